#include "vorlfont/opentype/SymbolTables.h"

namespace oq {

namespace {

struct SymbolFontEntry
{
    int32_t row;
    uint32_t byte;
    uint32_t codePoint;
};

// The entries known for each symbol font.
const SymbolFontEntry kEntries[] = {
    {0, 0x21, 0x1F589}, {0, 0x41, 0x270C},
    {1, 0x21, 0x1F58A},
    {2, 0x21, 0x2B60},
    {3, 0x21, 0x1F577}, {3, 0xFF, 0x1F54A},
    {4, 0x21, 0x229D}, {4, 0x41, 0x0041}, {4, 0xFF, 0x210F},
    {5, 0x21, 0x25B3},
    {6, 0x41, 0x2259}, {6, 0x61, 0x21A6},
    {7, 0x41, 0x0391}, {7, 0x61, 0x03B1}, {7, 0xFE, 0x23AD},
    {8, 0x21, 0x222B},
    {9, 0x41, 0x0041}, {9, 0x61, 0x0061},
};

const SymbolFontEncoding kNames[kSymbolFontEncodingCount] = {
    {"Wingdings", "", {}},
    {"Wingdings 2", "", {}},
    {"Wingdings 3", "", {}},
    {"Webdings", "", {}},
    {"Euclid Math One", "", {}},
    {"Euclid Math Two", "", {}},
    {"Euclid Extra", "MT Extra", {}},
    {"Mathematica1", "Mathematica1Mono", {}},
    {"Math3", "Math3Mono", {}},
    {"Mathematica5", "Mathematica5Mono", {}},
};

struct SymbolFontTable
{
    SymbolFontEncoding rows[kSymbolFontEncodingCount];

    SymbolFontTable()
    {
        for (int32_t i = 0; i < kSymbolFontEncodingCount; ++i) rows[i] = kNames[i];
        for (const SymbolFontEntry &entry : kEntries) rows[entry.row].codePoint[entry.byte] = entry.codePoint;
    }
};

}  // namespace

const SymbolFontEncoding *GetSymbolFontEncodings()
{
    static const SymbolFontTable table;
    return table.rows;
}

}  // namespace oq
