#include "ImportDump.h"

#include "ambrel/FontStructure.h"
#include "ambrel/GlyphStructure.h"
#include "ambrel/MetricStructures.h"
#include "ambrel/TextStructures.h"
#include "kettric/KettricPrimitive.h"

#include <cstdio>

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

}  // namespace

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
