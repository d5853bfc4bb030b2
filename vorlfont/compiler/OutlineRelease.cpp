#include "vorlfont/compiler/OutlineRelease.h"

#include "ambrel/FontStructure.h"
#include "ambrel/GeometryStructure.h"
#include "ambrel/GlyphStructure.h"

#if defined(__linux__) && defined(__GLIBC__)
#include <malloc.h>
#endif

namespace oq {

void ReleaseUnusedCurves(const FontStructure *glyphFont, const int32_t *newNumbers, uint32_t newNumberCount)
{
    Array<KettricStructure *> geometries;
    for (uint32_t i = 0; i < glyphFont->glyphCount; ++i)
    {
        GlyphStructure *glyph = glyphFont->GetGlyph(i);
        if (glyph == nullptr) continue;
        bool selected = i == 0 || (i < newNumberCount && newNumbers[i] > 0);
        if (!selected) glyph->curves.Reset();
        // Gathered first (a geometry's subtree goes with it), then deleted.
        geometries.SetElementCount(0);
        for (auto *node = glyph->GetFirstSubnodeStructure(); node != nullptr;)
        {
            if (node->GetBaseStructureType() == kAmbrelGeometryBase)
            {
                geometries.AddElement(node);
                node = static_cast<KettricStructure *>(glyph->GetNextLevelTreeNode(node));
            }
            else
            {
                node = static_cast<KettricStructure *>(glyph->GetNextTreeNode(node));
            }
        }
        for (KettricStructure *geometry : geometries) delete geometry;
    }
}

size_t ReleaseGlyphCurves(GlyphStructure *glyph)
{
    size_t bytes = size_t(glyph->curves.GetElementCount()) * sizeof(QuadraticBezier2D);
    glyph->curves.Reset();
    return bytes;
}

void ReturnFreeHeapPages()
{
#if defined(__linux__) && defined(__GLIBC__)
    malloc_trim(0);
#endif
}

}  // namespace oq
