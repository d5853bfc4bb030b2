#pragma once

// A drawing for frame tests: a box filled in one colour (or not) and stroked by four edge pieces in
// another, as a drawing object's path items are.
#include "editor/platform/DisplayItems.h"
#include "support/DocumentTestKinds.h"

namespace oq::test {

class BoxDrawing : public TestDrawingNode
{
public:
    BoxDrawing(const Box2D &box, bool filled, uint32_t fillWord, uint32_t strokeWord)
        : TestDrawingNode("Rt"), box(box), filled(filled), fillWord(fillWord), strokeWord(strokeWord)
    {
    }

    void BuildPathItems(const Design *, DisplayList *list) const override
    {
        if (filled) AppendBox(list, box, fillWord);
        const float w = 1.0f;
        AppendBox(list, Box2D({box.min.x, box.min.y}, {box.max.x, box.min.y + w}), strokeWord);
        AppendBox(list, Box2D({box.max.x - w, box.min.y}, {box.max.x, box.max.y}), strokeWord);
        AppendBox(list, Box2D({box.min.x, box.max.y - w}, {box.max.x, box.max.y}), strokeWord);
        AppendBox(list, Box2D({box.min.x, box.min.y}, {box.min.x + w, box.max.y}), strokeWord);
    }
    bool GetFillColor(NodeColor *color) const override
    {
        if (!filled) return false;
        *color = {-1, fillWord};
        return true;
    }

    // Four straight curves around the box (document points, y up).
    static void AppendBox(DisplayList *list, const Box2D &box, uint32_t color)
    {
        Point2D c[4] = {box.min, Point2D(box.max.x, box.min.y), box.max, Point2D(box.min.x, box.max.y)};
        QuadraticBezier2D curves[4];
        for (int32_t i = 0; i < 4; ++i) curves[i] = MakeLineCurve(c[i], c[(i + 1) % 4]);
        list->Append(new FillPathItem(Point2D(0.0f, 0.0f), 4, curves, color));
    }

    Box2D box;
    bool filled;
    uint32_t fillWord;
    uint32_t strokeWord;
};

}  // namespace oq::test
