#include "vorlfont/opentype/NameTable.h"

#include "base/TextUtils.h"
#include "vorlfont/opentype/SfntFile.h"
#include "vorlfont/opentype/SymbolTables.h"

namespace oq {

namespace {

const char *const kMessageKinds[15] = {
    "copyright", nullptr, nullptr, nullptr, "fullname", "version", "postscript", "trademark",
    "manufacturer", "designer", "description", "vendor_url", "designer_url", "license", "license_url",
};

void AppendCodePoint(TextString *text, uint32_t codePoint)
{
    char buffer[4];
    int32_t size = EncodeUtf8(buffer, codePoint);
    text->AppendTextMax(buffer, size);
}

bool IsUsable(uint16_t platform, uint16_t encoding)
{
    return platform == 0 || (platform == 3 && (encoding == 0 || encoding == 1 || encoding == 10)) ||
           (platform == 1 && encoding == 0);
}

}  // namespace

void DecodeNameRecord(const FontBytes &string, uint16_t platform, uint16_t encoding, TextString *text)
{
    if (platform == 1 || (platform == 0 && encoding == 0 && string.GetUInt8(0) != 0))
    {
        for (uint64_t i = 0; i < string.size; ++i)
        {
            uint8_t byte = string.data[i];
            if (byte == 0) break;
            if (byte < 0x80 || platform != 1) text->AppendChar(char(byte));
            else AppendCodePoint(text, kMacRomanHighTable[byte - 0x80]);
        }
        return;
    }

    uint64_t unitCount = string.size / 2;
    for (uint64_t i = 0; i < unitCount; ++i)
    {
        uint32_t unit = string.GetUInt16(i * 2);
        if (unit == 0) break;
        if (unit >= 0xD800 && unit < 0xDC00 && i + 1 < unitCount)
        {
            uint32_t low = string.GetUInt16(i * 2 + 2);
            if (low >= 0xDC00 && low < 0xE000)
            {
                AppendCodePoint(text, 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00));
                ++i;
                continue;
            }
        }
        if (unit >= 0xD800 && unit < 0xE000) unit = 0xFFFD;
        AppendCodePoint(text, unit);
    }
}

uint32_t ReadNameTableText(const FontBytes &file, uint64_t offsetTable, NameTableText *names)
{
    FontBytes name;
    if (uint32_t result = FindSfntTable(file, offsetTable, 'name', &name)) return result;
    if (!name.IsPresent()) return kResultMissingName;
    uint16_t count = 0, storageOffset = 0;
    if (!name.ReadUInt16(2, &count) || !name.ReadUInt16(4, &storageOffset)) return kResultCorrupt;
    if (!name.Contains(6, uint64_t(count) * 12)) return kResultCorrupt;

    // The string of record i, or an empty view when it does not lie inside the table.
    auto recordString = [&](uint32_t i, bool *inside) {
        uint64_t record = 6 + uint64_t(i) * 12;
        uint64_t start = uint64_t(storageOffset) + name.GetUInt16(record + 10);
        uint64_t length = name.GetUInt16(record + 8);
        *inside = name.Contains(start, length);
        return name.Slice(start, length);
    };

    // Candidates for IDs 16, 17, 1, 2: the last usable record in English (US), else the first.
    int64_t candidate[4] = {-1, -1, -1, -1};
    const uint16_t candidateIds[4] = {16, 17, 1, 2};
    for (uint32_t i = 0; i < count; ++i)
    {
        uint64_t record = 6 + uint64_t(i) * 12;
        bool inside = false;
        static_cast<void>(recordString(i, &inside));
        if (!inside || !IsUsable(name.GetUInt16(record), name.GetUInt16(record + 2))) continue;
        for (int32_t k = 0; k < 4; ++k)
        {
            if (name.GetUInt16(record + 6) != candidateIds[k]) continue;
            if (candidate[k] < 0 || name.GetUInt16(record + 4) == 0x0409) candidate[k] = i;
        }
    }

    int64_t family = candidate[0] >= 0 ? candidate[0] : candidate[2];
    int64_t style = candidate[1] >= 0 ? candidate[1] : candidate[3];
    if (family >= 0 && style >= 0)
    {
        bool inside = false;
        uint64_t record = 6 + uint64_t(family) * 12;
        DecodeNameRecord(recordString(uint32_t(family), &inside), name.GetUInt16(record), name.GetUInt16(record + 2),
                         &names->family);
        record = 6 + uint64_t(style) * 12;
        DecodeNameRecord(recordString(uint32_t(style), &inside), name.GetUInt16(record), name.GetUInt16(record + 2),
                         &names->style);
        names->hasName = true;
    }

    bool taken[15] = {};
    for (uint32_t i = 0; i < count; ++i)
    {
        uint64_t record = 6 + uint64_t(i) * 12;
        uint16_t platform = name.GetUInt16(record), encoding = name.GetUInt16(record + 2);
        uint16_t id = name.GetUInt16(record + 6);
        bool inside = false;
        FontBytes string = recordString(i, &inside);
        if (!inside || !IsUsable(platform, encoding) || id >= 15 || taken[id]) continue;
        taken[id] = true;
        if (!kMessageKinds[id]) continue;
        NameMessage &message = names->messages.AddElement(NameMessage());
        message.kind = kMessageKinds[id];
        DecodeNameRecord(string, platform, encoding, &message.text);
    }
    return 0;
}

}  // namespace oq
