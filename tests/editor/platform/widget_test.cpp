#include <gtest/gtest.h>

#include "WidgetProbe.h"

namespace oq {
namespace {

using test::MakeEvent;
using test::ProbeRoot;
using test::ProbeWidget;
using test::WidgetLog;

TEST(Widget, IsBuiltDisabledAndDirty)
{
    Widget widget('quad', Point2D(1.0f, 2.0f), Vector2D(3.0f, 4.0f));
    EXPECT_EQ(widget.GetWidgetType(), uint32_t('quad'));
    EXPECT_EQ(widget.GetWidgetFlags(), kWidgetDisabled);
    EXPECT_TRUE(widget.IsPositionDirty());
    EXPECT_TRUE(widget.AcceptsCapture());
    EXPECT_FALSE(widget.AcceptsFocus());
    widget.Enable();
    EXPECT_EQ(widget.GetWidgetFlags(), 0u);
    widget.Disable();
    EXPECT_EQ(widget.GetWidgetFlags(), kWidgetDisabled);

    WindowWidget root(Point2D(0.0f, 0.0f), Vector2D(0.0f, 0.0f));
    EXPECT_EQ(root.GetWidgetType(), uint32_t('root'));
    EXPECT_EQ(root.GetWidgetFlags(), 0u);
    EXPECT_TRUE(root.IsRedrawNeeded());
}

TEST(Widget, HitTestIsStrictOnAllFourSides)
{
    Widget widget(0, Point2D(10.0f, 20.0f), Vector2D(30.0f, 40.0f));
    struct Case { float x, y; bool hit; };
    const Case cases[] = {{0.0f, 20.0f, false}, {15.0f, 0.0f, false}, {30.0f, 20.0f, false}, {15.0f, 40.0f, false},
                          {0.5f, 0.5f, true},   {29.5f, 39.5f, true}, {-1.0f, 5.0f, false}, {15.0f, 41.0f, false}};
    for (const Case &c : cases)
    {
        EXPECT_EQ(widget.HitTest(Point2D(c.x, c.y)), c.hit ? uint32_t('intr') : 0u) << c.x << "," << c.y;
    }
}

// root > [back (0,0 100x100) > [inner (10,10 20x20)], front (50,50 100x100)]
struct HitTree
{
    HitTree()
    {
        root.AppendSubnode(back);
        back->AppendSubnode(inner);
        root.AppendSubnode(front);
        root.UpdatePosition();
    }

    WidgetLog log;
    ProbeRoot root{&log};
    ProbeWidget *back = new ProbeWidget(&log, "back", Point2D(0.0f, 0.0f), Vector2D(100.0f, 100.0f));
    ProbeWidget *inner = new ProbeWidget(&log, "inner", Point2D(10.0f, 10.0f), Vector2D(20.0f, 20.0f));
    ProbeWidget *front = new ProbeWidget(&log, "front", Point2D(50.0f, 50.0f), Vector2D(100.0f, 100.0f));
};

TEST(Widget, FindWidgetAtSkipsDisabledAndHiddenBranches)
{
    struct Case
    {
        const char *name;
        uint32_t backFlags, innerFlags, frontFlags;
        Point2D point;
        const char *expected;
    };
    const Case cases[] = {
        {"overlap: later sibling wins", 0, 0, 0, Point2D(60.0f, 60.0f), "front"},
        {"deepest widget", 0, 0, 0, Point2D(15.0f, 15.0f), "inner"},
        {"container itself", 0, 0, 0, Point2D(5.0f, 5.0f), "back"},
        {"front disabled", 0, 0, kWidgetDisabled, Point2D(60.0f, 60.0f), "back"},
        {"front hidden", 0, 0, kWidgetHidden, Point2D(60.0f, 60.0f), "back"},
        {"disabled container hides an enabled child", kWidgetDisabled, 0, 0, Point2D(15.0f, 15.0f), nullptr},
        {"hidden container hides an enabled child", kWidgetHidden, 0, 0, Point2D(15.0f, 15.0f), nullptr},
        {"disabled child falls through to its container", 0, kWidgetDisabled, 0, Point2D(15.0f, 15.0f), "back"},
        {"edge of the child", 0, 0, 0, Point2D(10.0f, 15.0f), "back"},
        {"outside everything", 0, 0, 0, Point2D(200.0f, 5.0f), nullptr},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.name);
        HitTree tree;
        tree.back->SetWidgetFlags(c.backFlags);
        tree.inner->SetWidgetFlags(c.innerFlags);
        tree.front->SetWidgetFlags(c.frontFlags);
        uint32_t hitCode = 0;
        Widget *found = tree.root.FindWidgetAt(c.point, &hitCode);
        if (!c.expected)
        {
            EXPECT_EQ(found, nullptr);
            EXPECT_EQ(hitCode, 0u);
            continue;
        }
        ASSERT_NE(found, nullptr);
        EXPECT_EQ(static_cast<ProbeWidget *>(found)->name, c.expected);
        EXPECT_EQ(hitCode, uint32_t('intr'));
    }
}

TEST(Widget, PositionsFollowOnlyInvalidatedBranches)
{
    HitTree tree;
    EXPECT_EQ(tree.inner->GetGlobalPosition().x, 10.0f);
    EXPECT_EQ(tree.front->GetGlobalPosition().y, 50.0f);
    EXPECT_FALSE(tree.root.IsPositionDirty());

    tree.log.clear();
    tree.back->SetLocalPosition(Point2D(5.0f, 7.0f));
    tree.back->InvalidatePosition();
    EXPECT_TRUE(tree.root.IsPositionDirty());
    EXPECT_TRUE(tree.inner->IsPositionDirty());
    EXPECT_FALSE(tree.front->IsPositionDirty());
    tree.root.UpdatePosition();
    EXPECT_EQ(tree.log, (WidgetLog{"back position", "inner position"}));
    EXPECT_EQ(tree.inner->GetGlobalPosition().x, 15.0f);
    EXPECT_EQ(tree.inner->GetGlobalPosition().y, 17.0f);

    // Nothing moved: the root is clean and nothing is visited.
    tree.log.clear();
    tree.root.UpdatePosition();
    EXPECT_TRUE(tree.log.empty());
}

TEST(Widget, RenderTreeDrawsInSiblingOrderAndSkipsHiddenBranches)
{
    HitTree tree;
    Matrix4D projection{};
    tree.log.clear();
    tree.root.RenderTree(projection);
    EXPECT_EQ(tree.log, (WidgetLog{"back render", "inner render", "front render"}));
    EXPECT_FALSE(tree.root.IsRedrawNeeded());

    // Disabled widgets are drawn; hidden ones are not, with their subtree.
    tree.log.clear();
    tree.front->SetWidgetFlags(kWidgetDisabled);
    tree.back->SetWidgetFlags(kWidgetHidden);
    tree.inner->RequestRedraw();
    EXPECT_TRUE(tree.root.IsRedrawNeeded());
    tree.root.RenderTree(projection);
    EXPECT_EQ(tree.log, (WidgetLog{"front render"}));

    // A widget outside any window marks nothing.
    WidgetLog log;
    ProbeWidget loose(&log, "loose", Point2D(0.0f, 0.0f), Vector2D(1.0f, 1.0f));
    loose.RequestRedraw();
    EXPECT_FALSE(tree.root.IsRedrawNeeded());
}

TEST(Widget, DestructionEmptiesLinksBeforeTheSubtreeGoes)
{
    struct Receiver
    {
        void Handle(EventLink *, uint32_t) {}
        EventObserver observer{this, ObserverHandler<&Receiver::Handle>};
    } receiver;

    HitTree tree;
    tree.back->SetObserver(&receiver.observer);
    tree.inner->SetObserver(&receiver.observer);
    Link<Widget> creatorLink;
    creatorLink.SetTarget(tree.inner);
    tree.root.SetFocus(tree.inner);
    tree.root.SetHover(tree.back);
    tree.root.SetDefaultButton(tree.back);
    tree.root.HandleMouseEvent(MakeEvent('lmdn', 15.0f, 15.0f));
    ASSERT_EQ(tree.root.GetCaptureWidget(), tree.inner);

    tree.log.clear();
    delete tree.back;
    // No hover, focus or capture operation runs for a destroyed widget.
    EXPECT_TRUE(tree.log.empty());
    EXPECT_EQ(tree.root.GetFocusWidget(), nullptr);
    EXPECT_EQ(tree.root.GetHoverWidget(), nullptr);
    EXPECT_EQ(tree.root.GetCaptureWidget(), nullptr);
    EXPECT_EQ(tree.root.GetDefaultButton(), nullptr);
    EXPECT_EQ(creatorLink.GetTarget(), nullptr);
    EXPECT_EQ(receiver.observer.GetFirstLink(), nullptr);
    EXPECT_EQ(tree.root.GetFirstSubwidget(), tree.front);

    // The routing goes on without them.
    tree.root.HandleMouseEvent(MakeEvent('msmv', 60.0f, 60.0f));
    EXPECT_EQ(tree.log, (WidgetLog{"front hoverBegin", "front msmv 10,10 intr"}));
}

}  // namespace
}  // namespace oq
