#include <gtest/gtest.h>

#include "base/Memory.h"
#include "editor/platform/EventObserver.h"
#include "editor/platform/Heap.h"
#include "editor/platform/Link.h"
#include "editor/platform/Shared.h"

#include <vector>

namespace oq {
namespace {

struct Target : Observable<Target>, HeapObject
{
};

// Holds links the way widgets hold theirs: as members.
struct Holder : HeapObject
{
    Link<Target> first;
    Link<Target> second;
};

std::vector<Link<Target> *> LinksOf(const Target &target)
{
    std::vector<Link<Target> *> links;
    for (Link<Target> *link = target.GetFirstLink(); link; link = link->GetNextLink()) links.push_back(link);
    return links;
}

TEST(Link, RetargetingMovesTheLinkBetweenTargets)
{
    Target a, b;
    Link<Target> x, y, z;
    x.SetTarget(&a);
    y.SetTarget(&a);
    z.SetTarget(&a);
    y.SetTarget(&a);
    EXPECT_EQ(LinksOf(a), (std::vector<Link<Target> *>{&x, &y, &z}));

    y.SetTarget(&b);
    x.SetTarget(&b);
    EXPECT_EQ(LinksOf(a), (std::vector<Link<Target> *>{&z}));
    EXPECT_EQ(LinksOf(b), (std::vector<Link<Target> *>{&y, &x}));
    EXPECT_EQ(x.GetTarget(), &b);

    z.SetTarget(nullptr);
    EXPECT_TRUE(LinksOf(a).empty());
    EXPECT_EQ(z.GetTarget(), nullptr);
    z.SetTarget(nullptr);
    EXPECT_EQ(z.GetTarget(), nullptr);
}

TEST(Link, DestroyingTheTargetEmptiesEveryLink)
{
    auto *a = new Target;
    Target b;
    Holder holders[3];
    for (Holder &holder : holders) holder.first.SetTarget(a);
    holders[0].second.SetTarget(&b);
    holders[1].second.SetTarget(a);
    holders[1].second.SetTarget(&b);
    delete a;
    for (Holder &holder : holders) EXPECT_EQ(holder.first.GetTarget(), nullptr);
    EXPECT_EQ(holders[1].second.GetTarget(), &b);
    // An emptied link can be pointed again.
    holders[2].first.SetTarget(&b);
    EXPECT_EQ(LinksOf(b), (std::vector<Link<Target> *>{&holders[0].second, &holders[1].second, &holders[2].first}));
}

TEST(Link, DestroyingTheHolderUnlinksIt)
{
    Target target;
    Link<Target> before, after;
    before.SetTarget(&target);
    auto *holder = new Holder;
    holder->first.SetTarget(&target);
    holder->second.SetTarget(&target);
    after.SetTarget(&target);
    delete holder;
    EXPECT_EQ(LinksOf(target), (std::vector<Link<Target> *>{&before, &after}));
}

// A sender that records nothing itself: events go to its observer.
struct Sender : EventLink, HeapObject
{
};

// The receiver of a test: records what it got, and can delete the sender from its handler.
struct Receiver
{
    void HandleEvent(EventLink *sender, uint32_t event)
    {
        senders.push_back(sender);
        events.push_back(event);
        if (deleteSender) delete static_cast<Sender *>(sender);
    }

    EventObserver observer{this, ObserverHandler<&Receiver::HandleEvent>};
    std::vector<EventLink *> senders;
    std::vector<uint32_t> events;
    bool deleteSender = false;
};

TEST(EventLink, SendCallsTheObserverWhileItLives)
{
    Sender sender;
    EXPECT_FALSE(sender.Send('wgac'));
    Receiver first;
    {
        Receiver second;
        sender.SetObserver(&first.observer);
        sender.SetObserver(&second.observer);
        EXPECT_TRUE(sender.Send('wgch'));
        EXPECT_EQ(second.senders, std::vector<EventLink *>{&sender});
        EXPECT_EQ(second.events, std::vector<uint32_t>{'wgch'});
        EXPECT_TRUE(first.events.empty());
    }
    EXPECT_EQ(sender.GetObserver(), nullptr);
    EXPECT_FALSE(sender.Send('wgac'));
    EXPECT_TRUE(first.events.empty());
}

TEST(EventLink, HandlerMayDeleteTheSender)
{
    // The sender lives in the editor heap (every block its own allocation under the sanitizers).
    InstallMemoryManager();
    {
        Receiver receiver;
        receiver.deleteSender = true;
        auto *sender = new Sender;
        sender->SetObserver(&receiver.observer);
        EXPECT_TRUE(sender->Send('wgac'));
        EXPECT_EQ(receiver.events, std::vector<uint32_t>{'wgac'});
        EXPECT_EQ(receiver.observer.GetFirstLink(), nullptr);
    }
    SetAllocator(nullptr, nullptr);
}

// Counts its deletions.
struct Counted : Shared
{
    explicit Counted(int *deletions) : deleted(deletions) {}
    ~Counted() override { ++*deleted; }
    int *deleted;
};

TEST(Shared, LastReleaseDeletes)
{
    int deletions = 0;
    auto *once = new Counted(&deletions);
    EXPECT_EQ(once->Release(), 0);
    EXPECT_EQ(deletions, 1);

    auto *twice = new Counted(&deletions);
    twice->references++;
    EXPECT_EQ(twice->Release(), 1);
    EXPECT_EQ(deletions, 1);
    EXPECT_EQ(twice->references, 1);
    EXPECT_EQ(twice->Release(), 0);
    EXPECT_EQ(deletions, 2);
}

}  // namespace
}  // namespace oq
