#include "editor/fonts/FaceNames.h"

#include "base/TextUtils.h"
#include "vorlfont/opentype/SymbolTables.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace oq {

namespace {

// The farthest byte of a 'name' table that its 16-bit fields can reach: format 1's records and
// language tags at their most, then a string at the largest offset and length.
constexpr uint64_t kMaxNameTableReach = 6 + 12 * 65535 + 2 + 4 * 65535 + 2 * 65535;

constexpr uint16_t kEnglishUnitedStates = 0x0409;

bool IsControlCharacter(uint32_t codePoint)
{
    return codePoint < 0x20 || (codePoint >= 0x7F && codePoint < 0xA0);
}

void AppendCodePoint(TextString *text, uint32_t codePoint)
{
    if (IsControlCharacter(codePoint)) return;
    char buffer[4];
    int32_t size = EncodeUtf8(buffer, codePoint);
    text->AppendTextMax(buffer, size);
}

// The code point of a valid UTF-8 sequence at bytes (no overlong forms, no surrogates, nothing
// above U+10FFFF) and its size; 0 when the bytes there are not one.
uint32_t DecodeValidUtf8(const uint8_t *bytes, uint32_t available, uint32_t *codePoint)
{
    uint8_t lead = bytes[0];
    uint32_t size = lead < 0x80 ? 1 : lead >= 0xC2 && lead < 0xE0 ? 2 : lead >= 0xE0 && lead < 0xF0 ? 3
                  : lead >= 0xF0 && lead < 0xF5 ? 4 : 0;
    if (size == 0 || size > available) return 0;
    uint32_t value = size == 1 ? lead : lead & (0x7F >> size);
    for (uint32_t i = 1; i < size; ++i)
    {
        if ((bytes[i] & 0xC0) != 0x80) return 0;
        value = value << 6 | (bytes[i] & 0x3F);
    }
    static const uint32_t kSmallest[5] = {0, 0, 0x80, 0x800, 0x10000};
    if (value < kSmallest[size] || value > 0x10FFFF || (value >= 0xD800 && value < 0xE000)) return 0;
    *codePoint = value;
    return size;
}

bool IsValidUtf8(const uint8_t *bytes, uint32_t length)
{
    uint32_t codePoint = 0;
    for (uint32_t i = 0; i < length;)
    {
        uint32_t size = DecodeValidUtf8(bytes + i, length - i, &codePoint);
        if (size == 0) return false;
        i += size;
    }
    return true;
}

void AppendMacRoman(const uint8_t *bytes, uint32_t length, TextString *text)
{
    for (uint32_t i = 0; i < length; ++i)
        AppendCodePoint(text, bytes[i] < 0x80 ? bytes[i] : kMacRomanHighTable[bytes[i] - 0x80]);
}

void AppendUtf8(const uint8_t *bytes, uint32_t length, TextString *text)
{
    uint32_t codePoint = 0;
    for (uint32_t i = 0, size = 0; i < length; i += size)
    {
        size = DecodeValidUtf8(bytes + i, length - i, &codePoint);
        if (size == 0) return;
        AppendCodePoint(text, codePoint);
    }
}

void AppendUtf16(const uint8_t *bytes, uint32_t unitCount, TextString *text)
{
    auto unitAt = [bytes](uint32_t i) { return uint32_t(bytes[2 * i] << 8 | bytes[2 * i + 1]); };
    for (uint32_t i = 0; i < unitCount; ++i)
    {
        uint32_t unit = unitAt(i);
        if (unit >= 0xD800 && unit < 0xDC00 && i + 1 < unitCount)
        {
            uint32_t low = unitAt(i + 1);
            if (low >= 0xDC00 && low < 0xE000)
            {
                AppendCodePoint(text, 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00));
                ++i;
                continue;
            }
        }
        AppendCodePoint(text, unit >= 0xD800 && unit < 0xE000 ? 0xFFFD : unit);
    }
}

bool IsCandidate(uint16_t platform, uint16_t encoding)
{
    return platform == 0 || (platform == 3 && (encoding == 0 || encoding == 1 || encoding == 10)) ||
           (platform == 1 && encoding == 0);
}

// One chosen record of a name ID.
struct NameRecord
{
    bool present = false;
    uint16_t platform = 0, encoding = 0, length = 0, offset = 0;
};

}  // namespace

bool DecodeFaceNameRecord(const uint8_t *bytes, uint32_t length, uint16_t platform, uint16_t encoding,
                          TextString *text)
{
    int32_t before = text->GetLength();
    if (length == 0) return false;
    if (platform == 1)
        AppendMacRoman(bytes, length, text);
    else if (platform == 0 && encoding == 0 && bytes[0] != 0)
    {
        if (IsValidUtf8(bytes, length))
            AppendUtf8(bytes, length, text);
        else
            AppendMacRoman(bytes, length, text);
    }
    else
        AppendUtf16(bytes, length / 2, text);
    return text->GetLength() != before;
}

bool ReadFaceName(const FontByteSource &file, const SfntFaceDirectory &directory, TextString *name)
{
    *name = TextString();
    SfntTable table = LookUpSfntTable(directory, file.GetSize(), 'name');
    if (!table.present) return false;
    // Every string the records can address lies within the reach; what lies past it is not read.
    std::vector<uint8_t> bytes(size_t(std::min(table.length, kMaxNameTableReach)));
    if (!file.Read(table.offset, bytes.size(), bytes.data())) return false;
    FontBytes names{bytes.data(), bytes.size()};

    uint16_t format = 0, count = 0, stringOffset = 0;
    if (!names.ReadUInt16(0, &format) || !names.ReadUInt16(2, &count) || !names.ReadUInt16(4, &stringOffset))
        return false;
    if (count == 0) return false;
    uint64_t storage = 6 + uint64_t(count) * 12;
    if (format != 0)
    {
        uint16_t tagCount = 0;
        if (!names.ReadUInt16(storage, &tagCount)) return false;
        storage += 2 + uint64_t(tagCount) * 4;
    }
    if (storage > names.size) return false;
    // The table's own storage offset, when it lies inside the table: a font may pad its records.
    if (stringOffset <= names.size) storage = stringOffset;

    // Full name, typographic family and subfamily, family, subfamily.
    const uint16_t ids[5] = {4, 16, 17, 1, 2};
    NameRecord chosen[5];
    for (uint32_t i = 0; i < count; ++i)
    {
        uint64_t at = 6 + uint64_t(i) * 12;
        uint16_t platform = names.GetUInt16(at), encoding = names.GetUInt16(at + 2);
        uint16_t language = names.GetUInt16(at + 4), id = names.GetUInt16(at + 6);
        if (!IsCandidate(platform, encoding)) continue;
        const uint16_t *slot = std::find(ids, ids + 5, id);
        if (slot == ids + 5) continue;
        NameRecord &record = chosen[slot - ids];
        if (record.present && language != kEnglishUnitedStates) continue;
        record = NameRecord{true, platform, encoding, names.GetUInt16(at + 8), names.GetUInt16(at + 10)};
    }

    auto decode = [&](const NameRecord &record, TextString *text) {
        uint64_t start = storage + record.offset;
        if (!names.Contains(start, record.length)) return false;
        return DecodeFaceNameRecord(names.data + start, record.length, record.platform, record.encoding, text);
    };
    const NameRecord &fullName = chosen[0];
    if (fullName.present) return decode(fullName, name);
    bool typographic = chosen[1].present;
    const NameRecord &family = typographic ? chosen[1] : chosen[3];
    const NameRecord &subfamily = typographic ? chosen[2] : chosen[4];
    if (!family.present || !decode(family, name)) return false;
    if (!subfamily.present) return true;
    TextString style;
    if (!decode(subfamily, &style)) return false;
    if (std::strcmp(style.GetText(), "Regular") != 0)
    {
        name->AppendChar(' ');
        name->AppendString(style);
    }
    return true;
}

}  // namespace oq
