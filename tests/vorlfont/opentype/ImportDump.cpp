#include "ImportDump.h"

#include "ambrel/AttachmentStructures.h"
#include "ambrel/ColorStructures.h"
#include "ambrel/FontStructure.h"
#include "ambrel/GlyphStructure.h"
#include "ambrel/MatrixStructures.h"
#include "ambrel/MetricStructures.h"
#include "ambrel/TextStructures.h"
#include "kettric/KettricPrimitive.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <sstream>

namespace oq::test {

namespace {

std::string Number(float value)
{
    char buffer[64];
    std::snprintf(buffer, sizeof(buffer), "%.9g", double(value));
    return buffer;
}

std::string Quote(const TextString &text)
{
    std::string out = "\"";
    for (const char *p = text.GetText(); *p; ++p)
    {
        unsigned char c = static_cast<unsigned char>(*p);
        if (c >= 0x20 && c < 0x7F && c != '"' && c != '\\') out += char(c);
        else
        {
            char buffer[8];
            std::snprintf(buffer, sizeof(buffer), "\\x%02X", c);
            out += buffer;
        }
    }
    return out + "\"";
}

std::string Floats(const KettricFloatList *list)
{
    std::string out;
    for (int32_t i = 0; list && i < list->GetElementCount(); ++i) out += (i ? " " : "") + Number((*list)[i]);
    return out;
}

void DumpFont(const FontStructure *font, bool member, std::string *out)
{
    std::string names, messages, metrics, cmaps, glyphs;
    for (KettricStructure *s = font->GetFirstSubnodeStructure(); s; s = s->GetNextStructure())
    {
        switch (s->GetStructureType())
        {
        case 'name':
        {
            const auto *list = static_cast<const KettricStringList *>(s->GetFirstSubnodeStructure());
            names += "name " + Quote((*list)[0]) + " " + Quote((*list)[1]) + "\n";
            break;
        }
        case 'mess':
        {
            const auto *message = static_cast<const MessageStructure *>(s);
            const auto *list = static_cast<const KettricStringList *>(s->GetFirstSubnodeStructure());
            messages += std::string("message ") + message->messageKind.GetText() + " " + Quote((*list)[0]) + "\n";
            break;
        }
        case 'mtrc':
        {
            const auto *metric = static_cast<const MetricStructure *>(s);
            metrics += std::string("metric ") + metric->metricKey.GetText() + " ";
            const KettricStructure *list = s->GetFirstSubnodeStructure();
            if (list->GetStructureType() == 'UI32')
                metrics += std::to_string((*static_cast<const KettricUInt32List *>(list))[0]);
            else metrics += Floats(static_cast<const KettricFloatList *>(list));
            metrics += "\n";
            break;
        }
        case 'cmap':
        {
            const auto *charMap = static_cast<const CharMapStructure *>(s);
            const auto *list = static_cast<const KettricUInt16List *>(charMap->GetGlyphList());
            cmaps += "cmap " + std::to_string(charMap->firstCodePoint) + " " + std::to_string(charMap->runLength);
            for (int32_t i = 0; i < list->GetElementCount(); ++i) cmaps += " " + std::to_string((*list)[i]);
            cmaps += "\n";
            break;
        }
        case 'glyf':
        {
            const auto *glyph = static_cast<const AmbrelStructure *>(s);
            std::string advance, bearing;
            for (KettricStructure *g = glyph->GetFirstSubnodeStructure(); g; g = g->GetNextStructure())
            {
                if (g->GetStructureType() == 'advc') advance = Floats(static_cast<AmbrelStructure *>(g)->GetFirstFloatList());
                if (g->GetStructureType() == 'bear') bearing = Floats(static_cast<AmbrelStructure *>(g)->GetFirstFloatList());
            }
            glyphs += "glyph " + std::to_string(static_cast<const GlyphStructure *>(s)->glyphIndex) + " advance " +
                      advance + " bearing " + bearing + "\n";
            break;
        }
        default: break;
        }
    }
    *out += member ? "member\n" : "font\n";
    if (!member) *out += "units " + Number(font->unitsPerEm) + " glyphs " + std::to_string(font->glyphCount) + "\n";
    *out += names + messages + metrics + cmaps + glyphs;
    for (KettricStructure *s = font->GetFirstSubnodeStructure(); s; s = s->GetNextStructure())
    {
        if (s->GetStructureType() == 'font') DumpFont(static_cast<const FontStructure *>(s), true, out);
    }
}

std::string TypeText(uint32_t type)
{
    return {char(type >> 24), char(type >> 16), char(type >> 8), char(type)};
}

template <typename List>
std::string ListValues(const KettricStructure *s)
{
    const auto *list = static_cast<const List *>(s);
    std::string out = TypeText(s->GetStructureType()) + "/" + std::to_string(list->GetArraySize());
    for (int32_t i = 0; i < list->GetElementCount(); ++i)
    {
        if constexpr (std::is_same_v<List, KettricFloatList>) out += " " + Number((*list)[i]);
        else out += " " + std::to_string(uint32_t((*list)[i]));
    }
    return out;
}

// One structure and its subnodes, one line each, indented one space per level.
void DumpStructureTree(const KettricStructure *s, int depth, std::string *out)
{
    std::string line(size_t(depth), ' ');
    uint32_t type = s->GetStructureType();
    switch (type)
    {
    case 'UIN8': line += ListValues<KettricUInt8List>(s); break;
    case 'UI32': line += ListValues<KettricUInt32List>(s); break;
    case 'FLOT': line += ListValues<KettricFloatList>(s); break;
    case 'colr': line += "colr " + std::to_string(static_cast<const ColorStructure *>(s)->paletteIndex); break;
    case 'grad': line += std::string("grad ") + static_cast<const GradientStructure *>(s)->gradientKind.GetText(); break;
    case 'stop': line += std::string("stop ") + static_cast<const StopStructure *>(s)->extensionMode.GetText(); break;
    case 'pant': line += "pant comp=" + std::to_string(static_cast<const PaintStructure *>(s)->compositeMode); break;
    case 'xslt': line += std::string("xslt ") + static_cast<const TranslationStructure *>(s)->transformKind.GetText(); break;
    case 'scal': line += std::string("scal ") + static_cast<const ScaleStructure *>(s)->transformKind.GetText(); break;
    case 'rota': line += std::string("rota ") + static_cast<const RotationStructure *>(s)->transformKind.GetText(); break;
    default: line += TypeText(type); break;
    }
    *out += line + "\n";
    for (const KettricStructure *sub = s->GetFirstSubnodeStructure(); sub; sub = sub->GetNextStructure())
        DumpStructureTree(sub, depth + 1, out);
}

bool SameWords(const std::string &expected, const std::string &actual, double tolerance)
{
    std::istringstream a(expected), b(actual);
    std::string x, y;
    while (true)
    {
        bool moreA = bool(a >> x), moreB = bool(b >> y);
        if (moreA != moreB) return false;
        if (!moreA) return true;
        if (x == y) continue;
        char *endX = nullptr, *endY = nullptr;
        double u = std::strtod(x.c_str(), &endX), v = std::strtod(y.c_str(), &endY);
        if (*endX != 0 || *endY != 0) return false;
        if (!(std::fabs(u - v) <= tolerance * std::max({1.0, std::fabs(u), std::fabs(v)}))) return false;
    }
}

void DumpColorFont(const FontStructure *glyphFont, std::string *text)
{
    std::string out = "font\n";
    for (KettricStructure *s = glyphFont->GetFirstSubnodeStructure(); s; s = s->GetNextStructure())
    {
        if (s->GetStructureType() != 'mtrc') continue;
        std::string key = static_cast<const MetricStructure *>(s)->metricKey.GetText();
        if (key != "light_palette" && key != "dark_palette") continue;
        out += "metric " + key + " " +
               std::to_string((*static_cast<const KettricUInt32List *>(s->GetFirstSubnodeStructure()))[0]) + "\n";
    }
    for (uint32_t g = 0; g < glyphFont->glyphCount && g < glyphFont->glyphTableSize; ++g)
    {
        std::string glyph;
        for (KettricStructure *s = glyphFont->glyphTable[g]->GetFirstSubnodeStructure(); s; s = s->GetNextStructure())
            if (s->GetStructureType() == 'cart' || s->GetStructureType() == 'emoj') DumpStructureTree(s, 1, &glyph);
        if (!glyph.empty()) out += "glyph " + std::to_string(g) + "\n" + glyph;
    }
    *text += out;
}

}  // namespace

std::string DumpColorGlyphs(AmbrelDocument *document)
{
    std::string out;
    for (KettricStructure *s = document->GetRootStructure()->GetFirstSubnodeStructure(); s; s = s->GetNextStructure())
    {
        if (s->GetStructureType() == 'font') DumpColorFont(static_cast<const FontStructure *>(s), &out);
    }
    return out;
}

std::string FirstDifference(const std::string &expected, const std::string &actual, double tolerance)
{
    std::istringstream a(expected), b(actual);
    std::string x, y;
    for (int line = 1;; ++line)
    {
        bool moreA = bool(std::getline(a, x)), moreB = bool(std::getline(b, y));
        if (!moreA && !moreB) return "";
        if (moreA != moreB || (x != y && (tolerance == 0.0 || !SameWords(x, y, tolerance))))
        {
            return "line " + std::to_string(line) + "\n  fontTools: " + x.substr(0, 300) + "\n  import:    " +
                   y.substr(0, 300);
        }
    }
}

std::string DumpImportedFonts(AmbrelDocument *document)
{
    std::string out;
    for (KettricStructure *s = document->GetRootStructure()->GetFirstSubnodeStructure(); s; s = s->GetNextStructure())
    {
        if (s->GetStructureType() == 'font') DumpFont(static_cast<const FontStructure *>(s), false, &out);
    }
    return out;
}

std::vector<unsigned char> ReadFileBytes(const std::string &path)
{
    std::vector<unsigned char> bytes;
    FILE *file = std::fopen(path.c_str(), "rb");
    if (!file) return bytes;
    unsigned char buffer[65536];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof(buffer), file)) > 0) bytes.insert(bytes.end(), buffer, buffer + n);
    std::fclose(file);
    return bytes;
}

std::string RunCommand(const std::string &command)
{
    std::string out;
    FILE *pipe = popen(command.c_str(), "r");
    if (!pipe) return out;
    char buffer[65536];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof(buffer), pipe)) > 0) out.append(buffer, n);
    pclose(pipe);
    return out;
}

}  // namespace oq::test
