#pragma once

// The texts of the matrix tests: an equation group holding a matrix $m of given cells.
#include <cstdint>
#include <string>

namespace oq::test {

// The cell text repeated, each after a blank.
inline std::string MatrixCells(int32_t count, const char *cell = "Gr { Bg {} }")
{
    std::string text;
    for (int32_t i = 0; i < count; ++i) text += std::string(" ") + cell;
    return text;
}

// "(r=R,c=C" and the further properties, closed.
inline std::string MatrixCounts(int32_t rows, int32_t columns, const std::string &more = "")
{
    return "(r=" + std::to_string(rows) + ",c=" + std::to_string(columns) + more + ")";
}

// An equation group holding the matrix $m with the properties and that many empty cells, then the text after it.
inline std::string MatrixEquation(const std::string &properties, int32_t cells, const std::string &after = "")
{
    return "Gr { Bg {} Mx $m " + properties + " {" + MatrixCells(cells) + " } }" + after;
}

}  // namespace oq::test
