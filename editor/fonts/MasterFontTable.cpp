#include "editor/fonts/MasterFontTable.h"

#include "base/TextUtils.h"

namespace oq {

const MasterFontRow MasterFontTable[kMasterFontRowCount] = {
    {0, 0, "Orlendo"},  // 0
    {-1, 0, "Symbol"},  // 1
    {2, 0, "Times New Roman"},  // 2
    {3, 0, "Times New Roman Italic"},  // 3
    {4, 0, "Times New Roman Bold"},  // 4
    {5, 0, "Times New Roman Bold Italic"},  // 5
    {-1, 0, "Arial"},  // 6
    {-1, 0, "Arial Italic"},  // 7
    {-1, 0, "Arial Bold"},  // 8
    {-1, 0, "Arial Bold Italic"},  // 9
    {-1, 0, "Arial Narrow"},  // 10
    {-1, 0, "Arial Narrow Italic"},  // 11
    {-1, 0, "Arial Narrow Bold"},  // 12
    {-1, 0, "Arial Narrow Bold Italic"},  // 13
    {-1, 0, "Arial Black"},  // 14
    {-1, 0, "Calibri"},  // 15
    {-1, 0, "Calibri Italic"},  // 16
    {-1, 0, "Calibri Bold"},  // 17
    {-1, 0, "Calibri Bold Italic"},  // 18
    {-1, 0, "Calibri Light"},  // 19
    {-1, 0, "Calibri Light Italic"},  // 20
    {21, 0, "Cambria"},  // 21
    {22, 0, "Cambria Italic"},  // 22
    {23, 0, "Cambria Bold"},  // 23
    {24, 0, "Cambria Bold Italic"},  // 24
    {21, 1, "Cambria Math"},  // 25
    {-1, 0, "Courier New"},  // 26
    {-1, 0, "Courier New Italic"},  // 27
    {-1, 0, "Courier New Bold"},  // 28
    {-1, 0, "Courier New Bold Italic"},  // 29
    {30, 0, "Consolas"},  // 30
    {31, 0, "Consolas Italic"},  // 31
    {32, 0, "Consolas Bold"},  // 32
    {33, 0, "Consolas Bold Italic"},  // 33
    {-1, 0, "Century Schoolbook"},  // 34
    {-1, 0, "Century Schoolbook Italic"},  // 35
    {-1, 0, "Century Schoolbook Bold"},  // 36
    {-1, 0, "Century Schoolbook Bold Italic"},  // 37
    {-1, 0, "Segoe UI"},  // 38
    {-1, 0, "Segoe UI Italic"},  // 39
    {-1, 0, "Segoe UI Bold"},  // 40
    {-1, 0, "Segoe UI Bold Italic"},  // 41
    {-1, 0, "Segoe UI Black"},  // 42
    {-1, 0, "Segoe UI Black Italic"},  // 43
    {-1, 0, "Segoe UI Light"},  // 44
    {-1, 0, "Segoe UI Semilight"},  // 45
    {-1, 0, "Segoe UI Symbol"},  // 46
    {47, 0, "Segoe UI Emoji"},  // 47
    {48, 0, "STIX Two Math Regular"},  // 48
    {49, 0, "STIX Two Text Regular"},  // 49
    {50, 0, "STIX Two Text Italic"},  // 50
    {51, 0, "STIX Two Text Bold"},  // 51
    {52, 0, "STIX Two Text Bold Italic"},  // 52
    {53, 0, "STIX Two Text Medium"},  // 53
    {54, 0, "STIX Two Text Medium Italic"},  // 54
    {55, 0, "STIX Two Text SemiBold"},  // 55
    {56, 0, "STIX Two Text SemiBold Italic"},  // 56
    {57, 0, "Noto Sans Math Regular"},  // 57
    {-1, 0, "Euclid"},  // 58
    {-1, 0, "Euclid Italic"},  // 59
    {-1, 0, "Euclid Bold"},  // 60
    {-1, 0, "Euclid Bold Italic"},  // 61
    {-1, 0, "Euclid Symbol"},  // 62
    {-1, 0, "Euclid Symbol Italic"},  // 63
    {-1, 0, "Euclid Symbol Bold"},  // 64
    {-1, 0, "Euclid Symbol Bold Italic"},  // 65
    {-1, 0, "Euclid Fraktur"},  // 66
    {-1, 0, "Euclid Fraktur Bold"},  // 67
    {-1, 0, "Euclid Math One"},  // 68
    {-1, 0, "Euclid Math One Bold"},  // 69
    {-1, 0, "Euclid Math Two"},  // 70
    {-1, 0, "Euclid Math Two Bold"},  // 71
    {-1, 0, "Mathematica1"},  // 72
    {-1, 0, "Mathematica1-Bold"},  // 73
    {-1, 0, "Mathematica2"},  // 74
    {-1, 0, "Mathematica2-Bold"},  // 75
    {-1, 0, "Mathematica3"},  // 76
    {-1, 0, "Mathematica3-Bold"},  // 77
    {-1, 0, "Mathematica4"},  // 78
    {-1, 0, "Mathematica4-Bold"},  // 79
    {-1, 0, "Mathematica5"},  // 80
    {-1, 0, "Mathematica5 Bold"},  // 81
    {-1, 0, "Mathematica6"},  // 82
    {-1, 0, "Mathematica7"},  // 83
};

int32_t FindMasterFontRow(const char *name)
{
    for (int32_t row = 0; row < kMasterFontRowCount; ++row)
    {
        if (CompareTextNoCase(MasterFontTable[row].name, name)) return row;
    }
    return -1;
}

}  // namespace oq
