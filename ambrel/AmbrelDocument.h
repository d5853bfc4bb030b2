#pragma once

#include "ambrel/AmbrelStructure.h"
#include "ambrel/TextOutputStream.h"
#include "ambrel/TypographicStructure.h"
#include "base/List.h"
#include "kettric/KettricDocument.h"

#include <cstdint>

namespace oq {

class FontStructure;

// The canvas area and its mapping p -> (p - origin) * scale onto the unit square, the shorter
// extent centred.
struct CanvasView
{
    float xMinimum = 0.0f;
    float yMinimum = 0.0f;
    float xMaximum = 0.0f;
    float yMaximum = 0.0f;
    float originX = 0.0f;
    float originY = 0.0f;
    float scale = 1.0f;
};

// Parameters of the font compiler and the canvas compile.
struct FontCompileSettings
{
    int32_t maxBandCount = 32;
    int32_t polygonVertexCount = 4;
    float polygonEdgeFactor = 1.0f;
    float outlineEffectSize = 0.02f;
    float outlineMiterLimit = 4.0f;
    uint32_t outlineJoin = 'BEVL';
};

// An Ambrel file in memory: fonts and drawings as one structure tree, with the compile settings,
// the canvas view and the list of top-level fonts (which owns nothing).
class AmbrelDocument : public KettricDocument
{
public:
    AmbrelDocument() = default;
    ~AmbrelDocument() override;

    KettricStructure *MakeStructure(const TextString &identifier) override;
    bool CheckTopLevel(KettricStructure *structure) override;
    KettricResult ResolveData() override;

    // Transforms and document-space geometry of one top-level tree, parents before their subtrees.
    void UpdateTreeGeometry(AmbrelStructure *top);

    // Writes the whole document as Ambrel text.
    void Write(TextOutputStream *stream);

    // Sets the range, the centring origin and the scale; returns the scale.
    float SetCanvasRange(float xMinimum, float xMaximum, float yMinimum, float yMaximum);

    CanvasView canvasView;
    FontCompileSettings compileSettings;
    // Set by the compiling programs: resolution then fails with 'nfin' (kResultNonFiniteValue) at
    // the first number that is infinite or not a number.
    bool finiteValuesOnly = false;
    // Set by the compiling programs: a prepared Glyph whose outline is exactly its one geometry's
    // curves keeps the only copy of them (GlyphStructure::TakeGeometryCurves).
    bool glyphsTakeGeometryCurves = false;
    StructureList<FontStructure> fontList;
};

}  // namespace oq
