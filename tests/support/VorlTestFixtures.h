#pragma once

#include <string>
#include <vector>

#include "support/VorlFontBuilder.h"
#include "support/VorlTestShape.h"

namespace oq::test {

// A named outline in em space with its box, for rendering tests of the Vorl pixel stage.
struct VorlTestFixture
{
    std::string name;
    std::vector<ReferenceCurve> curves;
    float width;
    float height;
    bool evenOdd = false;
    std::vector<double> crossings;   // x, y of sharp tips and of points where the outline crosses itself
};

// Square, triangle, ring, circle, rounded rectangle, a slash under 1 px at 48 px per em, and a
// self-intersecting star filled non-zero and even-odd.
std::vector<VorlTestFixture> MakeVorlTestFixtures();

// A named view: em space onto a 64 x 64 image at 48 px per em, the box centred, under a linear map.
struct VorlTestViewCase
{
    std::string name;
    VorlTestView view;
};

// Sub-pixel translation, rotation, skew and a mirrored matrix.
std::vector<VorlTestViewCase> MakeVorlTestViews(float width, float height);

// A view of the box at a given scale in pixels per em, centred off the pixel grid of a 64 x 64 image.
VorlTestView MakeVorlTestView(float width, float height, double pixelsPerEm);

// A one-font description whose glyph 1 ('A', advance 1.1 em) is the fixture, with the shape's
// curve and band texels as its textures; glyph 0 is empty.
VorlFontBuilder MakeFixtureFont(const VorlTestFixture &fixture, const VorlTestShape &shape);

}   // namespace oq::test
