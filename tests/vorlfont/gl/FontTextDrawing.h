#pragma once

// Text of a compiled font file drawn through the run builder and the Vorl shaders.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "gl/GLHarness.h"
#include "support/TextDrawGeometry.h"
#include "support/TextRunStorage.h"
#include "vorl/geometry/GeometryBuffer.h"
#include "vorl/text/FontDataAccess.h"
#include "vorl/text/TextLayoutState.h"

namespace oq::test {

// Draws the text in white at the size with the effect on a width x height target, keeping the
// first `triangleLimit` triangles (all for -1); the coverage out, row 0 at the bottom.
inline void DrawFontText(const LoadedVorlFont &font, const char *text, float size, const float pen[2], TextEffect effect,
                         int32_t triangleLimit, int32_t width, int32_t height, std::vector<float> *alpha)
{
    TextLayoutState state;
    ResetTextLayoutState(&state);
    state.size = size;
    state.fillPaint.color = {1, 1, 1, 1};
    state.outlinePaint.color = {1, 1, 1, 1};
    state.effect = effect;
    TextDrawGeometry geometry;
    BuildTextDrawGeometry(font, state, text, int32_t(std::strlen(text)), pen, &geometry);
    ASSERT_FALSE(geometry.vertices.empty());

    VorlDrawData data;
    const uint8_t *vertexBytes = reinterpret_cast<const uint8_t *>(geometry.vertices.data());
    data.vertices.assign(vertexBytes, vertexBytes + sizeof(AttribStruct) * geometry.vertices.size());
    data.triangles = geometry.triangles;
    if (triangleLimit >= 0 && data.triangles.size() > size_t(triangleLimit) * 3) data.triangles.resize(size_t(triangleLimit) * 3);
    const auto *header = reinterpret_cast<const VorlFileHeader *>(font.image.data());
    data.curveWidth = int32_t(header->curveTexture.width);
    data.curveHeight = int32_t(header->curveTexture.height);
    data.curveHalves.resize(GetCurveTextureDataSize(header) / 2);
    ASSERT_TRUE(CopyCurveTextureData(header, data.curveHalves.data(), uint32_t(data.curveHalves.size() * 2)));
    data.bandWidth = int32_t(header->bandTexture.width);
    data.bandHeight = int32_t(header->bandTexture.height);
    data.bandTexels.resize(GetBandTextureDataSize(header) / 4);
    ASSERT_TRUE(CopyBandTextureData(header, data.bandTexels.data(), uint32_t(data.bandTexels.size() * 4)));
    SetPixelMatrix(&data, width, height, true);
    std::vector<float> rgba;
    std::string error;
    ASSERT_TRUE(DrawVorlImage(GetVorlProgram(0), data, width, height, &rgba, &error)) << error;
    alpha->assign(size_t(width) * size_t(height), 0.0F);
    for (size_t i = 0; i < alpha->size(); ++i) (*alpha)[i] = std::max(rgba[i * 4 + 3], 0.0F);
}

}   // namespace oq::test
