// Debian's fonts compiled in-process, shaped through the runtime (LayoutText and the pen walk)
// and through HarfBuzz (hb_shape on the same file, scale = units per em): the compiled kerning
// pairs, ligatures (also between glyphs they kern with), composition context entries and
// alternates give the same glyphs, origins and advances in both, and the runtime's carets inside
// a ligature stand at the font's caret positions (hb_ot_layout_get_ligature_carets). Noto Sans
// Arabic's joining forms and required ligatures are compared with HarfBuzz's Arabic shaper.
// Right-to-left texts are laid out as right-to-left runs and as segments of bidirectional runs.
// Upright characters of vertical text advance as hb_shape's y advances (top to bottom).
//
// HarfBuzz runs with every feature it applies by default switched off and only the features
// under test on; each plan is checked to hold lookups of those features (and of the font's
// required features) only. What the two may legitimately do differently is left out:
// - scripts: the importer reads a feature's lookups whatever the script, HarfBuzz only those of
//   the text's script; a text is shaped under another script of the font when the guessed one
//   does not reach the lookup that acts on it;
// - normalization: texts HarfBuzz composes before any lookup (Unicode compositions, the Hebrew
//   shaper's presentation forms) are passed over;
// - marks, controls and joining characters are not paired for kerning (marks have no advance
//   and are placed by anchors; joining forms are their own pass);
// - alternates the runtime applies only in context (fractions, joining and vertical forms) and
//   those the compiler makes itself ('hmin', 'dtls': no lookup in the font) are not compared.
#include "ambrel/AmbrelDocument.h"
#include "ambrel/FontStructure.h"
#include "ambrel/GlyphStructure.h"
#include "base/TextUtils.h"
#include "support/TextRunStorage.h"
#include "vorl/text/FontDataAccess.h"
#include "vorl/text/GlyphMapping.h"
#include "vorl/text/RunPenWalk.h"
#include "vorl/text/TextMeasure.h"
#include "vorl/text/UnicodeTables.h"
#include "vorlfont/compiler/FontCompileContext.h"
#include "vorlfont/compiler/GlyphSelection.h"
#include "vorlfont/compiler/VorlFontCommandLine.h"
#include "vorlfont/opentype/OpenTypeImporter.h"
#include "vorlfont/VorlFontTestSupport.h"

#include <hb-ot.h>
#include <hb.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace oq {
namespace {

constexpr uint32_t kFlags = kDefaultCompileFlags & ~kCompileCompress;

// One shaped glyph: its number in the compiled font, its origin and its advance in ems.
struct ShapedGlyph
{
    uint32_t glyph;
    float x;
    float advance;
};

// A HarfBuzz face and font at units per em over a font file.
class HarfBuzzFont
{
public:
    explicit HarfBuzzFont(const std::string &bytes)
    {
        blob = hb_blob_create(bytes.data(), unsigned(bytes.size()), HB_MEMORY_MODE_READONLY, nullptr, nullptr);
        face = hb_face_create(blob, 0);
        font = hb_font_create(face);
        upem = hb_face_get_upem(face);
        hb_font_set_scale(font, int(upem), int(upem));
    }
    ~HarfBuzzFont()
    {
        hb_font_destroy(font);
        hb_face_destroy(face);
        hb_blob_destroy(blob);
    }
    HarfBuzzFont(const HarfBuzzFont &) = delete;
    HarfBuzzFont &operator=(const HarfBuzzFont &) = delete;

    hb_blob_t *blob;
    hb_face_t *face;
    hb_font_t *font;
    unsigned upem;
};

// Every feature HarfBuzz may apply by default (common, horizontal, direction and the joining
// forms of the Arabic shaper), switched off; the features under test, switched on.
std::vector<hb_feature_t> OnlyFeatures(const std::vector<hb_tag_t> &on)
{
    static const char *const kDefaults[] = {"abvm", "blwm", "ccmp", "locl", "mark", "mkmk", "rlig", "rvrn",
                                            "rand", "calt", "clig", "curs", "dist", "kern", "liga", "rclt",
                                            "ltra", "ltrm", "rtla", "rtlm", "vert", "frac", "numr", "dnom",
                                            "isol", "fina", "fin2", "fin3", "medi", "med2", "init", "stch",
                                            "mset", "trak"};
    std::vector<hb_feature_t> features;
    for (const char *name : kDefaults)
    {
        hb_tag_t t = hb_tag_from_string(name, 4);
        if (std::count(on.begin(), on.end(), t) == 0)
            features.push_back({t, 0, HB_FEATURE_GLOBAL_START, HB_FEATURE_GLOBAL_END});
    }
    // The joining forms are left to the Arabic shaper, which sets them glyph by glyph (a global
    // value would apply them everywhere).
    static const hb_tag_t kJoining[] = {HB_TAG('i', 'n', 'i', 't'), HB_TAG('m', 'e', 'd', 'i'),
                                        HB_TAG('f', 'i', 'n', 'a')};
    for (hb_tag_t t : on)
        if (std::count(std::begin(kJoining), std::end(kJoining), t) == 0)
            features.push_back({t, 1, HB_FEATURE_GLOBAL_START, HB_FEATURE_GLOBAL_END});
    return features;
}

// The lookups of every feature record of a table with the tag, whatever its script.
std::set<unsigned> FeatureLookups(hb_face_t *face, hb_tag_t table, hb_tag_t tag)
{
    std::set<unsigned> lookups;
    unsigned count = hb_ot_layout_table_get_feature_tags(face, table, 0, nullptr, nullptr);
    std::vector<hb_tag_t> tags(count);
    hb_ot_layout_table_get_feature_tags(face, table, 0, &count, tags.data());
    for (unsigned f = 0; f < count; ++f)
    {
        if (tags[f] != tag) continue;
        unsigned n = hb_ot_layout_feature_get_lookups(face, table, f, 0, nullptr, nullptr);
        std::vector<unsigned> list(n);
        hb_ot_layout_feature_get_lookups(face, table, f, 0, &n, list.data());
        lookups.insert(list.begin(), list.end());
    }
    return lookups;
}

// A font file compiled whole, loaded for the runtime, with the compile's glyph numbering and
// HarfBuzz over the same bytes.
struct CompiledFont
{
    explicit CompiledFont(const std::string &path)
        : bytes(test::ReadWholeFile(path)), harfBuzz(bytes)
    {
        if (bytes.empty() || ImportOpenTypeFont(bytes.data(), bytes.size(), &document) != 0) return;
        FontCompiler compiler(&document, kFlags, nullptr, 0, nullptr, 0);
        std::vector<uint8_t> file;
        OutputSink sink(test::AppendToBytes, &file);
        if (compiler.CompileAndWrite(&sink, nullptr, 0) != 0) return;
        test::ExpectReadableFontFile(file);
        loaded = std::make_unique<test::LoadedVorlFont>(std::move(file));
        if (!loaded->valid) return;
        // The same selection again over the compiled document gives the compile's numbering.
        context.font = document.fontList.GetFirst();
        context.glyphFont = context.font;
        selection.SelectAll(&context, compiler.GetInclusionMap(), kFlags);
        glyphFont = context.font;
        ready = true;
    }

    const VorlFontRecord *Record() const { return loaded->fonts[0].fontRecord; }

    std::string bytes;
    HarfBuzzFont harfBuzz;
    AmbrelDocument document;
    std::unique_ptr<test::LoadedVorlFont> loaded;
    FontCompileContext context;
    GlyphSelection selection;
    const FontStructure *glyphFont = nullptr;
    bool ready = false;
};

// The code points as UTF-8; offsets (when given) receives the byte offset of each after the first.
std::string EncodeText(const std::vector<uint32_t> &text, std::vector<int32_t> *offsets = nullptr)
{
    std::string utf8;
    for (uint32_t c : text)
    {
        if (offsets != nullptr && !utf8.empty()) offsets->push_back(int32_t(utf8.size()));
        char buffer[4];
        utf8.append(buffer, size_t(EncodeUtf8(buffer, c)));
    }
    return utf8;
}

// A layout state of size 1 em with the given classes, selector and options.
TextLayoutState MakeState(uint32_t sequenceMask, uint32_t alternateMask, uint32_t selector, uint32_t options)
{
    TextLayoutState state;
    ResetTextLayoutState(&state);
    state.size = 1.0F;
    state.sequenceMask = sequenceMask;
    state.alternateMask = alternateMask;
    state.alternateSelector = selector;
    state.optionFlags = options;
    return state;
}

// What the runtime gives for the code points under a state.
std::vector<ShapedGlyph> ShapeWithRuntime(const CompiledFont &font, const std::vector<uint32_t> &text,
                                          uint32_t sequenceMask, uint32_t alternateMask, uint32_t selector,
                                          uint32_t options)
{
    std::string utf8 = EncodeText(text);
    TextLayoutState state = MakeState(sequenceMask, alternateMask, selector, options);
    static test::TextRunStorage storage;
    TextRun *run = LayoutText(font.loaded->Count(), font.loaded->fonts.data(), nullptr, &state, utf8.data(),
                              int32_t(utf8.size()), nullptr, &storage.run);
    // A right-to-left glyph stands left of the pen it leaves; the run's left edge becomes 0 (a
    // bidirectional run places its right-to-left segments from their far edge).
    float widths[kTextRunMaxSegments];
    MeasureRunSegments(run, nullptr, font.loaded->fonts.data(), widths);
    std::vector<ShapedGlyph> glyphs;
    RunPenWalk walk(run, nullptr, font.loaded->fonts.data(), true, widths);
    while (walk.Next())
        glyphs.push_back({GlyphIndexOf(walk.glyph->glyphWord), walk.pen.direction < 0.0F ? walk.extent : walk.leading,
                          walk.record != nullptr ? walk.record->advance : 0.0F});
    if (options & kTextOptionRightToLeft)
        for (ShapedGlyph &g : glyphs) g.x -= walk.pen.x;
    return glyphs;
}

// The segment properties hb_shape guesses for a text (script, direction, language).
hb_segment_properties_t GuessProperties(const std::vector<uint32_t> &text)
{
    hb_buffer_t *buffer = hb_buffer_create();
    hb_buffer_add_codepoints(buffer, text.data(), int(text.size()), 0, int(text.size()));
    hb_buffer_guess_segment_properties(buffer);
    hb_segment_properties_t properties;
    hb_buffer_get_segment_properties(buffer, &properties);
    hb_buffer_destroy(buffer);
    return properties;
}

// The lookups (GSUB and GPOS, by table) that HarfBuzz's plan applies for the properties.
std::set<std::pair<hb_tag_t, unsigned>> PlanLookups(hb_face_t *face, const hb_segment_properties_t &properties,
                                                    const std::vector<hb_feature_t> &features)
{
    hb_shape_plan_t *plan =
        hb_shape_plan_create_cached(face, &properties, features.data(), unsigned(features.size()), nullptr);
    std::set<std::pair<hb_tag_t, unsigned>> lookups;
    for (hb_tag_t table : {HB_OT_TAG_GSUB, HB_OT_TAG_GPOS})
    {
        hb_set_t *set = hb_set_create();
        hb_ot_shape_plan_collect_lookups(plan, table, set);
        for (hb_codepoint_t l = HB_SET_VALUE_INVALID; hb_set_next(set, &l);) lookups.emplace(table, l);
        hb_set_destroy(set);
    }
    hb_shape_plan_destroy(plan);
    return lookups;
}

// What hb_shape gives under the properties, in the compile's numbering, glyphs in text order.
std::vector<ShapedGlyph> ShapeWithHarfBuzz(const CompiledFont &font, const std::vector<uint32_t> &text,
                                           const hb_segment_properties_t &properties,
                                           const std::vector<hb_feature_t> &features)
{
    const HarfBuzzFont &hb = font.harfBuzz;
    hb_buffer_t *buffer = hb_buffer_create();
    hb_buffer_add_codepoints(buffer, text.data(), int(text.size()), 0, int(text.size()));
    hb_buffer_set_segment_properties(buffer, &properties);
    hb_shape(hb.font, buffer, features.data(), unsigned(features.size()));
    unsigned count = 0;
    const hb_glyph_info_t *info = hb_buffer_get_glyph_infos(buffer, &count);
    const hb_glyph_position_t *position = hb_buffer_get_glyph_positions(buffer, nullptr);
    std::vector<ShapedGlyph> glyphs;
    float em = 1.0F / float(hb.upem);
    int32_t pen = 0;
    for (unsigned i = 0; i < count; ++i)
    {
        glyphs.push_back({font.selection.GetNewNumber(info[i].codepoint), float(pen + position[i].x_offset) * em,
                          float(hb_font_get_glyph_h_advance(hb.font, info[i].codepoint)) * em});
        pen += position[i].x_advance;
    }
    // Right to left: HarfBuzz lists the glyphs from the left, the runtime in text order.
    if (HB_DIRECTION_IS_BACKWARD(properties.direction)) std::reverse(glyphs.begin(), glyphs.end());
    hb_buffer_destroy(buffer);
    return glyphs;
}

std::string Describe(const std::vector<ShapedGlyph> &glyphs)
{
    std::string text;
    for (const ShapedGlyph &g : glyphs)
        text += std::to_string(g.glyph) + "@" + std::to_string(g.x) + "+" + std::to_string(g.advance) + " ";
    return text;
}

// Same glyphs, and origins and advances within a float's rounding of the em scale.
bool SameShaping(const std::vector<ShapedGlyph> &a, const std::vector<ShapedGlyph> &b)
{
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
    {
        if (a[i].glyph != b[i].glyph) return false;
        if (std::fabs(a[i].x - b[i].x) > 1e-5F || std::fabs(a[i].advance - b[i].advance) > 1e-5F) return false;
    }
    return true;
}

// The runtime's caret x before each character of a text after its first (ligature carets
// included), with only the sequence classes on.
std::vector<float> RuntimeCarets(const CompiledFont &font, const std::vector<uint32_t> &text, uint32_t sequenceMask)
{
    std::vector<int32_t> offsets;
    std::string utf8 = EncodeText(text, &offsets);
    TextLayoutState state = MakeState(sequenceMask, 0, 0, kTextOptionNoKerning | kTextOptionNoDecomposition);
    test::TextRunStorage storage;
    TextRun *run = LayoutText(font.loaded->Count(), font.loaded->fonts.data(), nullptr, &state, utf8.data(),
                              int32_t(utf8.size()), nullptr, &storage.run);
    std::vector<CaretPlacement> placements(offsets.size());
    GetRunCaretPositions(run, nullptr, font.loaded->Count(), font.loaded->fonts.data(), int32_t(offsets.size()),
                         offsets.data(), placements.data());
    std::vector<float> carets;
    for (const CaretPlacement &placement : placements) carets.push_back(placement.x);
    return carets;
}

// Characters that both shape as plain letters: no marks, controls, joining or hidden characters.
bool IsPlainCharacter(uint32_t c)
{
    uint32_t properties = GetUnicodeProperties(c);
    if (properties & (kUnicodeControl | kUnicodeMark | kUnicodeJoinsNext | kUnicodeJoinsPrevious |
                      kUnicodeTransparent))
        return false;
    hb_unicode_funcs_t *unicode = hb_unicode_funcs_get_default();
    hb_unicode_general_category_t category = hb_unicode_general_category(unicode, c);
    return category != HB_UNICODE_GENERAL_CATEGORY_NON_SPACING_MARK &&
           category != HB_UNICODE_GENERAL_CATEGORY_SPACING_MARK &&
           category != HB_UNICODE_GENERAL_CATEGORY_ENCLOSING_MARK &&
           category != HB_UNICODE_GENERAL_CATEGORY_FORMAT && category != HB_UNICODE_GENERAL_CATEGORY_CONTROL &&
           category != HB_UNICODE_GENERAL_CATEGORY_SURROGATE;
}

// The lowest code point of each glyph of the compiled font (compiled numbering).
std::map<uint32_t, uint32_t> CharacterOfGlyph(const CompiledFont &font)
{
    std::map<uint32_t, uint32_t> characters;
    hb_set_t *unicodes = hb_set_create();
    hb_face_collect_unicodes(font.harfBuzz.face, unicodes);
    for (hb_codepoint_t c = HB_SET_VALUE_INVALID; hb_set_next(unicodes, &c);)
    {
        uint32_t glyph = font.Record()->GetGlyphIndex(c);
        if (glyph != 0) characters.emplace(glyph, c);
    }
    hb_set_destroy(unicodes);
    return characters;
}

// The lookups of the required features of every language system of a table, which HarfBuzz
// always applies.
std::set<unsigned> RequiredLookups(hb_face_t *face, hb_tag_t table)
{
    std::set<unsigned> lookups;
    unsigned scripts = hb_ot_layout_table_get_script_tags(face, table, 0, nullptr, nullptr);
    for (unsigned script = 0; script < scripts; ++script)
    {
        unsigned languages = hb_ot_layout_script_get_language_tags(face, table, script, 0, nullptr, nullptr);
        for (unsigned language = 0; language <= languages; ++language)
        {
            unsigned index = language < languages ? language : HB_OT_LAYOUT_DEFAULT_LANGUAGE_INDEX;
            unsigned feature = 0;
            if (!hb_ot_layout_language_get_required_feature(face, table, script, index, &feature, nullptr)) continue;
            unsigned n = hb_ot_layout_feature_get_lookups(face, table, feature, 0, nullptr, nullptr);
            std::vector<unsigned> list(n);
            hb_ot_layout_feature_get_lookups(face, table, feature, 0, &n, list.data());
            lookups.insert(list.begin(), list.end());
        }
    }
    return lookups;
}

using LookupSet = std::set<std::pair<hb_tag_t, unsigned>>;  // {table, lookup index}

// Shapes texts both ways with some features on and counts (and reports the first few)
// differences. HarfBuzz shapes under the script it guesses for the text, or else under the first
// script of the font whose plan holds a lookup that acts on the text (the runtime ignores
// scripts); a text no plan acts on is passed over. Each plan may hold lookups of the features
// and of the required features only.
class Comparison
{
public:
    explicit Comparison(const CompiledFont &font) : font(font)
    {
        for (hb_tag_t table : {HB_OT_TAG_GSUB, HB_OT_TAG_GPOS})
        {
            unsigned count = hb_ot_layout_table_get_script_tags(font.harfBuzz.face, table, 0, nullptr, nullptr);
            std::vector<hb_tag_t> tags(count);
            hb_ot_layout_table_get_script_tags(font.harfBuzz.face, table, 0, &count, tags.data());
            for (hb_tag_t tag : tags) scripts.push_back(hb_ot_tag_to_script(tag));
            for (unsigned l : RequiredLookups(font.harfBuzz.face, table)) required.emplace(table, l);
        }
    }

    // The lookups of a feature that act on the glyphs (every positioning lookup).
    LookupSet Acting(hb_tag_t feature, const std::vector<hb_codepoint_t> &glyphs) const
    {
        LookupSet acting;
        hb_face_t *face = font.harfBuzz.face;
        for (hb_tag_t table : {HB_OT_TAG_GSUB, HB_OT_TAG_GPOS})
            for (unsigned l : FeatureLookups(face, table, feature))
                if (table == HB_OT_TAG_GPOS ||
                    hb_ot_layout_lookup_would_substitute(face, l, glyphs.data(), unsigned(glyphs.size()), false))
                    acting.emplace(table, l);
        return acting;
    }

    void Compare(const std::vector<uint32_t> &text, const std::vector<hb_tag_t> &on, const LookupSet &acting,
                 uint32_t sequenceMask, uint32_t alternateMask, uint32_t selector, uint32_t options)
    {
        std::string names;
        LookupSet allowed = required;
        for (hb_tag_t tag : on)
        {
            char name[5] = {};
            hb_tag_to_string(tag, name);
            names += std::string(name) + " ";
            for (hb_tag_t table : {HB_OT_TAG_GSUB, HB_OT_TAG_GPOS})
                for (unsigned l : FeatureLookups(font.harfBuzz.face, table, tag)) allowed.emplace(table, l);
        }
        std::vector<hb_feature_t> features = OnlyFeatures(on);
        hb_segment_properties_t properties = GuessProperties(text);
        if (options & kTextOptionRightToLeft) properties.direction = HB_DIRECTION_RTL;
        LookupSet plan;
        bool found = false;
        for (size_t s = 0; s <= scripts.size() && !found; ++s)
        {
            if (s > 0) properties.script = scripts[s - 1];
            plan = PlanLookups(font.harfBuzz.face, properties, features);
            for (const auto &lookup : acting) found = found || plan.count(lookup) != 0;
        }
        if (!found)
        {
            ++passedOver;
            return;
        }
        for (const auto &lookup : plan) EXPECT_TRUE(allowed.count(lookup) != 0) << names << "lookup " << lookup.second;
        std::vector<ShapedGlyph> theirs = ShapeWithHarfBuzz(font, text, properties, features);
        // Right to left: as a right-to-left run, and as a segment of a bidirectional one.
        bool backward = HB_DIRECTION_IS_BACKWARD(properties.direction);
        std::vector<ShapedGlyph> ours = ShapeWithRuntime(font, text, sequenceMask, alternateMask, selector,
                                                         options | (backward ? uint32_t(kTextOptionRightToLeft) : 0u));
        if (backward && (options & kTextOptionRightToLeft) == 0 && SameShaping(ours, theirs))
            ours = ShapeWithRuntime(font, text, sequenceMask, alternateMask, selector,
                                    options | kTextOptionBidirectional);
        ++compared;
        if (SameShaping(ours, theirs)) return;
        if (++differing <= 10)
        {
            std::string codes;
            for (uint32_t c : text)
            {
                char code[16];
                std::snprintf(code, sizeof(code), "U+%04X ", c);
                codes += code;
            }
            ADD_FAILURE() << names << codes << ": runtime " << Describe(ours) << "HarfBuzz " << Describe(theirs);
        }
    }

    int32_t compared = 0;
    int32_t differing = 0;
    int32_t passedOver = 0;

private:
    const CompiledFont &font;
    std::vector<hb_script_t> scripts;
    LookupSet required;
};

// Whether HarfBuzz, with every feature off, still gives each character its own glyph: its
// normalization may compose neighbours (Unicode compositions, and the Hebrew shaper's
// presentation forms) before any lookup runs.
bool KeptByHarfBuzz(const CompiledFont &font, const std::vector<uint32_t> &text)
{
    std::vector<hb_feature_t> features = OnlyFeatures({});
    hb_buffer_t *buffer = hb_buffer_create();
    hb_buffer_add_codepoints(buffer, text.data(), int(text.size()), 0, int(text.size()));
    hb_buffer_guess_segment_properties(buffer);
    hb_buffer_set_direction(buffer, HB_DIRECTION_LTR);
    hb_shape(font.harfBuzz.font, buffer, features.data(), unsigned(features.size()));
    unsigned count = 0;
    const hb_glyph_info_t *info = hb_buffer_get_glyph_infos(buffer, &count);
    bool kept = count == text.size();
    for (unsigned i = 0; kept && i < count; ++i)
    {
        hb_codepoint_t glyph = 0;
        kept = hb_font_get_nominal_glyph(font.harfBuzz.font, text[i], &glyph) && glyph == info[i].codepoint;
    }
    hb_buffer_destroy(buffer);
    return kept;
}

// Every character the compiled font maps gives HarfBuzz's glyph through the compile's numbering.
void ExpectSameNumbering(const CompiledFont &font)
{
    hb_set_t *unicodes = hb_set_create();
    hb_face_collect_unicodes(font.harfBuzz.face, unicodes);
    int32_t checked = 0;
    for (hb_codepoint_t c = HB_SET_VALUE_INVALID; hb_set_next(unicodes, &c);)
    {
        hb_codepoint_t glyph = 0;
        ASSERT_TRUE(hb_font_get_nominal_glyph(font.harfBuzz.font, c, &glyph));
        ASSERT_EQ(font.Record()->GetGlyphIndex(c), font.selection.GetNewNumber(glyph)) << std::hex << c;
        ++checked;
    }
    hb_set_destroy(unicodes);
    EXPECT_GT(checked, 100);
}

const char *const kFonts[] = {"/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf",
                              "/usr/share/fonts/truetype/noto/NotoSans-Regular.ttf",
                              "/usr/share/fonts/truetype/liberation2/LiberationSans-Regular.ttf",
                              "/usr/share/fonts/truetype/noto/NotoSerif-Regular.ttf"};

class HarfBuzzShaping : public testing::TestWithParam<const char *>
{
};

// The runtime state of an alternate feature that a state selects alone: its mask and selector.
// False for the features the runtime applies only in context (fractions, joining and vertical
// forms, math styles) and for those it does not compile.
bool AlternateState(uint32_t tag, uint32_t *mask, uint32_t *selector)
{
    uint32_t bits = FeatureTagToAlternateBits(tag);
    bool styleSet = (tag >> 16) == ('s' << 8 | 's');
    if (bits == 0 || (FeatureHasSelector(tag) && !styleSet)) return false;
    *mask = styleSet ? 0x1 : bits;
    *selector = styleSet ? bits >> 24 : 0;
    return true;
}

// The sanitizer build compares every eighth kerning pair.
#if defined(__SANITIZE_ADDRESS__)
constexpr uint32_t kPairStep = 8;
#else
constexpr uint32_t kPairStep = 1;
#endif

// The comparisons of one compiled font, kind by kind, with their counts.
class ShapingChecks
{
public:
    explicit ShapingChecks(const CompiledFont &font)
        : font(font), record(font.Record()), ligatures(font), contexts(font), alternates(font), kerning(font)
    {
        characters = CharacterOfGlyph(font);
        for (uint32_t second = 1; second < record->glyphCount; ++second)
        {
            const KerningListEntry *entries = KerningEntries(second);
            for (uint32_t k = 0; k < KerningCount(second); ++k) following[entries[k].precedingGlyph].push_back(second);
        }
    }

    // Ligatures, context entries and alternates as imported, wherever the character map reaches
    // their glyphs.
    void CompareSubstitutions()
    {
        const FontStructure *glyphFont = font.glyphFont;
        for (uint32_t g = 1; g < glyphFont->glyphCount; ++g)
        {
            if (!font.selection.IsSelected(g)) continue;
            GlyphStructure *glyph = glyphFont->glyphTable[g];
            uint32_t c = CharacterOf(font.selection.GetNewNumber(g));
            for (SequenceStructure *s = glyph->sequences.GetFirst(); s;
                 s = StructureList<SequenceStructure>::GetNext(s))
            {
                RuleStructure *rule = s->ruleList.GetFirst();
                if (rule == nullptr) continue;
                if (rule->ruleKind == 'sbst' && c != 0) CompareContextEntry(g, c, s);
                if (rule->ruleKind == 'rall') CompareLigature(g, c, s, (*rule->GetFirstUInt32List())[0]);
            }
            for (AlternateStructure *a = glyph->alternates.GetFirst(); a;
                 a = StructureList<AlternateStructure>::GetNext(a))
                CompareAlternate(g, c, a);
        }
    }

    // Every compiled pair of two plain characters, or of glyphs that one alternate feature
    // reaches from plain characters (small capitals, figures).
    void CompareKerning()
    {
        LookupSet acting = kerning.Acting(kKern, {});
        uint32_t pair = 0;
        for (uint32_t second = 1; second < record->glyphCount; ++second)
        {
            const KerningListEntry *entries = KerningEntries(second);
            for (uint32_t k = 0; k < KerningCount(second); ++k)
            {
                if (pair++ % kPairStep != 0) continue;
                uint32_t glyphs[2] = {entries[k].precedingGlyph, second};
                uint32_t a = CharacterOf(glyphs[0]), b = CharacterOf(glyphs[1]);
                if (a != 0 && b != 0)
                {
                    if (IsPlainCharacter(a) && IsPlainCharacter(b))
                        kerning.Compare({a, b}, {kKern}, acting, 0, 0, 0, kTextOptionNoDecomposition);
                    else
                        ++kerningSkipped;
                    continue;
                }
                bool done = false;
                for (const auto &[feature, forms] : reached)
                {
                    // Each glyph is an alternate of the feature or a glyph the feature keeps.
                    std::vector<uint32_t> text;
                    for (uint32_t glyph : glyphs)
                    {
                        auto form = forms.find(glyph);
                        uint32_t c = form != forms.end()                   ? form->second
                                     : replaced[feature].count(glyph) == 0 ? CharacterOf(glyph)
                                                                           : 0;
                        if (c != 0 && IsPlainCharacter(c)) text.push_back(c);
                    }
                    uint32_t mask = 0, selector = 0;
                    if (text.size() != 2 || !AlternateState(feature, &mask, &selector)) continue;
                    kerning.Compare(text, {feature, kKern}, acting, 0, mask, selector, kTextOptionNoDecomposition);
                    done = true;
                    break;
                }
                kerningSkipped += !done;
            }
        }
    }

    void Report(const char *path) const
    {
        std::printf("%s: compared (skipped, passed over, differing): kerning %d (%d, %d, %d), ligatures %d (%d, %d, "
                    "%d), contexts %d (%d, %d, %d), alternates %d (%d, %d, %d), ligature carets %d\n",
                    path, kerning.compared, kerningSkipped, kerning.passedOver, kerning.differing, ligatures.compared,
                    ligaturesSkipped, ligatures.passedOver, ligatures.differing, contexts.compared, contextsSkipped,
                    contexts.passedOver, contexts.differing, alternates.compared, alternatesSkipped,
                    alternates.passedOver, alternates.differing, caretsCompared);
    }

    const CompiledFont &font;
    const VorlFontRecord *record;
    Comparison ligatures, contexts, alternates, kerning;
    int32_t ligaturesSkipped = 0, contextsSkipped = 0, alternatesSkipped = 0, kerningSkipped = 0;
    int32_t caretsCompared = 0;

private:
    static constexpr hb_tag_t kKern = HB_TAG('k', 'e', 'r', 'n');
    static constexpr uint32_t kPlain = kTextOptionNoKerning | kTextOptionNoDecomposition;

    uint32_t CharacterOf(uint32_t newNumber) const
    {
        auto found = characters.find(newNumber);
        return found != characters.end() ? found->second : 0;
    }
    const KerningListEntry *KerningEntries(uint32_t glyph) const
    {
        return record->GetKerningList() + ListIndexB(record->GetGlyphRecords()[glyph].kerningWord);
    }
    uint32_t KerningCount(uint32_t glyph) const { return ListCountB(record->GetGlyphRecords()[glyph].kerningWord); }

    // The ligature alone, its carets, and the ligature after and before glyphs it kerns with.
    void CompareLigature(uint32_t g, uint32_t c, SequenceStructure *s, uint32_t ligatureGlyph)
    {
        uint16_t ligatureClass = FeatureTagToLigatureClass(s->featureTag, false);
        if (ligatureClass == 0) return;
        std::vector<uint32_t> text = {c};
        std::vector<hb_codepoint_t> components = {g};
        for (MatchStructure *m = s->matchList.GetFirst(); m; m = StructureList<MatchStructure>::GetNext(m))
        {
            components.push_back((*m->GetFirstUInt32List())[0]);
            text.push_back(CharacterOf(font.selection.GetNewNumber(components.back())));
        }
        if (std::count(text.begin(), text.end(), 0u) != 0 || !KeptByHarfBuzz(font, text))
        {
            ++ligaturesSkipped;
            return;
        }
        // Composition also decomposes, as HarfBuzz's 'ccmp' does.
        bool composition = s->featureTag == 'ccmp';
        LookupSet acting = ligatures.Acting(s->featureTag, components);
        uint32_t options = composition ? uint32_t(kTextOptionNoKerning) : kPlain;
        ligatures.Compare(text, {s->featureTag}, acting, ligatureClass, 0, 0, options);
        if (composition) return;

        // Carets inside the ligature stand where the font's caret list puts them.
        hb_position_t hbCarets[16];
        unsigned caretCount = 16;
        hb_ot_layout_get_ligature_carets(font.harfBuzz.font, HB_DIRECTION_LTR, ligatureGlyph, 0, &caretCount, hbCarets);
        if (caretCount != 0)
        {
            std::vector<float> ours = RuntimeCarets(font, text, ligatureClass);
            ++caretsCompared;
            EXPECT_EQ(ours.size(), size_t(caretCount));
            for (size_t k = 0; k < ours.size() && k < caretCount; ++k)
                EXPECT_NEAR(ours[k], float(hbCarets[k]) / float(font.harfBuzz.upem), 1e-5F)
                    << "caret " << k << " of ligature glyph " << ligatureGlyph;
        }

        // The ligature kerns with its neighbours as the glyph it became (a few of each).
        uint32_t result = font.selection.GetNewNumber(ligatureGlyph);
        if (result == 0) return;
        const KerningListEntry *entries = KerningEntries(result);
        for (uint32_t k = 0; k < KerningCount(result) && k < 4; ++k)
        {
            uint32_t before = CharacterOf(entries[k].precedingGlyph);
            if (before == 0 || !IsPlainCharacter(before)) continue;
            std::vector<uint32_t> kerned = {before};
            kerned.insert(kerned.end(), text.begin(), text.end());
            ligatures.Compare(kerned, {s->featureTag, kKern}, acting, ligatureClass, 0, 0, kTextOptionNoDecomposition);
        }
        const std::vector<uint32_t> &seconds = following[result];
        for (size_t k = 0; k < seconds.size() && k < 4; ++k)
        {
            uint32_t after = CharacterOf(seconds[k]);
            if (after == 0 || !IsPlainCharacter(after)) continue;
            std::vector<uint32_t> kerned = text;
            kerned.push_back(after);
            ligatures.Compare(kerned, {s->featureTag, kKern}, acting, ligatureClass, 0, 0, kTextOptionNoDecomposition);
        }
    }

    // A composition context entry ('ccmp' chaining rule: one glyph replaced between backtrack
    // and lookahead classes) in texts of the glyph's character between characters of the
    // classes: each glyph of the first class in turn with the first mapped glyph of every other
    // class. Texts that HarfBuzz composes are passed over.
    void CompareContextEntry(uint32_t g, uint32_t c, SequenceStructure *sequence)
    {
        std::vector<std::vector<uint32_t>> before, after;  // characters of each class; before nearest first
        for (MatchStructure *m = sequence->matchList.GetFirst(); m; m = StructureList<MatchStructure>::GetNext(m))
        {
            std::vector<uint32_t> classCharacters;
            const KettricUInt32List *list = m->GetFirstUInt32List();
            for (int32_t i = 0; list != nullptr && i < list->GetElementCount(); ++i)
            {
                uint32_t character = CharacterOf(font.selection.GetNewNumber((*list)[i]));
                if (character != 0) classCharacters.push_back(character);
            }
            if (classCharacters.empty() || m->matchKind == 0)
            {
                ++contextsSkipped;
                return;
            }
            (m->matchKind == 'bkwd' ? before : after).push_back(classCharacters);
        }
        std::vector<std::vector<uint32_t>> &varied = after.empty() ? before : after;
        if (varied.empty()) return;
        LookupSet acting = contexts.Acting('ccmp', {g});
        for (uint32_t choice : varied[0])
        {
            std::vector<uint32_t> text;
            bool beforeVaries = &varied == &before;
            for (size_t i = before.size(); i-- > 0;) text.push_back(beforeVaries && i == 0 ? choice : before[i][0]);
            text.push_back(c);
            for (size_t i = 0; i < after.size(); ++i) text.push_back(!beforeVaries && i == 0 ? choice : after[i][0]);
            if (!KeptByHarfBuzz(font, text))
            {
                ++contextsSkipped;
                continue;
            }
            contexts.Compare(text, {'ccmp'}, acting, 1, 0, 0, kTextOptionNoKerning);
        }
    }

    // The glyph's first alternate of a feature that a state selects alone; remembered for the
    // kerning of alternate glyphs.
    void CompareAlternate(uint32_t g, uint32_t c, AlternateStructure *a)
    {
        uint32_t mask = 0, selector = 0;
        if (FeatureTagToAlternateBits(a->featureTag) == 0) return;
        if (c == 0 || !AlternateState(a->featureTag, &mask, &selector))
        {
            ++alternatesSkipped;
            return;
        }
        // Mirrored forms apply in right-to-left runs only.
        bool mirrored = a->featureTag == 'rtlm';
        alternates.Compare({c}, {a->featureTag}, alternates.Acting(a->featureTag, {g}), 0, mask, selector,
                           kPlain | (mirrored ? uint32_t(kTextOptionRightToLeft) : 0u));
        const uint32_t *forms = nullptr;
        if (!mirrored && a->GetGlyphs(&forms) > 0)
        {
            reached[a->featureTag].emplace(font.selection.GetNewNumber(forms[0]), c);
            replaced[a->featureTag].insert(font.selection.GetNewNumber(g));
        }
    }

    std::map<uint32_t, uint32_t> characters;                      // glyph -> lowest character
    std::map<uint32_t, std::vector<uint32_t>> following;          // glyph -> glyphs it kerns before
    std::map<uint32_t, std::map<uint32_t, uint32_t>> reached;     // feature -> alternate glyph -> character
    std::map<uint32_t, std::set<uint32_t>> replaced;              // feature -> glyphs it replaces
};

// One compile per font (the compile is the heavy part); numbering, substitutions and kerning
// are compared in turn.
TEST_P(HarfBuzzShaping, CompiledFontShapesAsHarfBuzz)
{
    CompiledFont font(GetParam());
    ASSERT_TRUE(font.ready) << GetParam() << " (make deps)";
    ExpectSameNumbering(font);
    ShapingChecks checks(font);
    checks.CompareSubstitutions();
    checks.CompareKerning();
    checks.Report(GetParam());
    EXPECT_GT(checks.kerning.compared, 100);
    EXPECT_GT(checks.ligatures.compared, 50);
    EXPECT_EQ(checks.kerning.differing, 0);
    EXPECT_EQ(checks.ligatures.differing, 0);
    EXPECT_EQ(checks.contexts.differing, 0);
    EXPECT_EQ(checks.alternates.differing, 0);
}

INSTANTIATE_TEST_SUITE_P(DebianFonts, HarfBuzzShaping, testing::ValuesIn(kFonts));

// FreeSerif's 'kern' lookups hold several pair subtables; only the first that covers a pair
// applies, also when its value is 0 (a Cyrillic "\u0435\u0448" is not kerned though a later
// subtable's classes would kern it). Every pair of Cyrillic letters, a Cyrillic sentence and every
// compiled pair of plain characters shape as HarfBuzz shapes them with only 'kern' on.
TEST(HarfBuzzShapingKerning, FreeSerifPairsOfLaterSubtables)
{
    CompiledFont font("/usr/share/fonts/opentype/freefont/FreeSerif.otf");
    ASSERT_TRUE(font.ready) << "(make deps)";
    constexpr hb_tag_t kKern = HB_TAG('k', 'e', 'r', 'n');
    Comparison letters(font);
    LookupSet acting = letters.Acting(kKern, {});
    for (uint32_t a = 0x410; a <= 0x44F; ++a)
        for (uint32_t b = 0x410; b <= 0x44F; ++b)
            letters.Compare({a, b}, {kKern}, acting, 0, 0, 0, kTextOptionNoDecomposition);
    // "The quick brown fox" in Russian ("Съешь же ещё этих мягких французских булок").
    const std::vector<uint32_t> sentence = {0x421, 0x44A, 0x435, 0x448, 0x44C, 0x20,  0x436, 0x435, 0x20,  0x435,
                                            0x449, 0x451, 0x20,  0x44D, 0x442, 0x438, 0x445, 0x20,  0x43C, 0x44F,
                                            0x433, 0x43A, 0x438, 0x445, 0x20,  0x444, 0x440, 0x430, 0x43D, 0x446,
                                            0x443, 0x437, 0x441, 0x43A, 0x438, 0x445, 0x20,  0x431, 0x443, 0x43B,
                                            0x43E, 0x43A};
    letters.Compare(sentence, {kKern}, acting, 0, 0, 0, kTextOptionNoDecomposition);
    std::printf("Cyrillic: %d compared (%d passed over, %d differing)\n", letters.compared, letters.passedOver,
                letters.differing);
    EXPECT_EQ(letters.compared, 64 * 64 + 1);
    EXPECT_EQ(letters.differing, 0);
    // The pair that a later subtable kerned is left as the first subtable leaves it.
    std::vector<ShapedGlyph> pair = ShapeWithRuntime(font, {0x435, 0x448}, 0, 0, 0, kTextOptionNoDecomposition);
    ASSERT_EQ(pair.size(), 2u);
    EXPECT_FLOAT_EQ(pair[1].x, pair[0].advance);

    // Latin letters too.
    Comparison latin(font);
    std::vector<uint32_t> latinLetters;
    for (uint32_t c = 'A'; c <= 'z'; ++c)
        if (c <= 'Z' || c >= 'a') latinLetters.push_back(c);
    for (uint32_t a : latinLetters)
        for (uint32_t b : latinLetters) latin.Compare({a, b}, {kKern}, acting, 0, 0, 0, kTextOptionNoDecomposition);
    std::printf("Latin: %d compared (%d passed over, %d differing)\n", latin.compared, latin.passedOver,
                latin.differing);
    EXPECT_EQ(latin.differing, 0);
}

// Vertical text in a face without vertical metrics (DejaVu Sans has no 'vhea' or 'vmtx'): each
// upright character advances by the 'hhea' ascender minus descender, as hb_shape's y advances.
TEST(HarfBuzzShapingVertical, AdvancesWithoutVerticalMetrics)
{
    CompiledFont font("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf");
    ASSERT_TRUE(font.ready) << "(make deps)";
    hb_blob_t *vmtx = hb_face_reference_table(font.harfBuzz.face, HB_TAG('v', 'm', 't', 'x'));
    EXPECT_EQ(hb_blob_get_length(vmtx), 0u);
    hb_blob_destroy(vmtx);
    std::vector<uint32_t> upright;
    hb_set_t *unicodes = hb_set_create();
    hb_face_collect_unicodes(font.harfBuzz.face, unicodes);
    for (hb_codepoint_t c = HB_SET_VALUE_INVALID; hb_set_next(unicodes, &c);)
        if ((GetUnicodeProperties(c) & kUnicodeUpright) != 0 && IsPlainCharacter(c)) upright.push_back(c);
    hb_set_destroy(unicodes);
    ASSERT_GT(upright.size(), 200u);

    const HarfBuzzFont &hb = font.harfBuzz;
    std::vector<hb_feature_t> features = OnlyFeatures({});
    int32_t compared = 0, differing = 0;
    // Texts of 16 characters: every glyph of both gets its own advance.
    for (size_t start = 0; start < upright.size(); start += 16)
    {
        std::vector<uint32_t> text(upright.begin() + start, upright.begin() + std::min(start + 16, upright.size()));
        hb_buffer_t *buffer = hb_buffer_create();
        hb_buffer_add_codepoints(buffer, text.data(), int(text.size()), 0, int(text.size()));
        hb_buffer_guess_segment_properties(buffer);
        hb_buffer_set_direction(buffer, HB_DIRECTION_TTB);
        hb_shape(hb.font, buffer, features.data(), unsigned(features.size()));
        unsigned count = 0;
        const hb_glyph_info_t *info = hb_buffer_get_glyph_infos(buffer, &count);
        const hb_glyph_position_t *position = hb_buffer_get_glyph_positions(buffer, nullptr);

        std::string utf8 = EncodeText(text);
        TextLayoutState state = MakeState(0, 0, 0, kTextOptionVertical | kTextOptionNoKerning | kTextOptionNoDecomposition);
        test::TextRunStorage storage;
        TextRun *run = LayoutText(font.loaded->Count(), font.loaded->fonts.data(), nullptr, &state, utf8.data(),
                                  int32_t(utf8.size()), nullptr, &storage.run);
        RunPenWalk walk(run, nullptr, font.loaded->fonts.data(), true, nullptr);
        unsigned i = 0;
        for (; walk.Next(); ++i)
        {
            ASSERT_LT(i, count);
            ++compared;
            float theirs = -float(position[i].y_advance) / float(hb.upem);
            bool same = GlyphIndexOf(walk.glyph->glyphWord) == font.selection.GetNewNumber(info[i].codepoint) &&
                        std::fabs(walk.advance - theirs) <= 1e-5F;
            if (!same && ++differing <= 10)
                ADD_FAILURE() << "U+" << std::hex << text[walk.glyph->characterIndex] << std::dec << ": runtime "
                              << walk.advance << ", HarfBuzz " << theirs;
        }
        EXPECT_EQ(i, count);
        hb_buffer_destroy(buffer);
    }
    std::printf("upright: %d compared, %d differing\n", compared, differing);
    EXPECT_EQ(compared, int32_t(upright.size()));
    EXPECT_EQ(differing, 0);
    // 2384 font units of a 2048-unit em.
    std::vector<ShapedGlyph> one = ShapeWithRuntime(font, {upright[0]}, 0, 0, 0, kTextOptionNoDecomposition);
    ASSERT_EQ(one.size(), 1u);
    EXPECT_FLOAT_EQ(font.Record()->GetGlyphRecords()[one[0].glyph].verticalAdvance, 2384.0F / 2048.0F);
}

// Noto Sans Arabic: the runtime's joining pass picks the initial, medial and final forms of
// HarfBuzz's Arabic shaper (its isolated forms are contextual, not compiled), and the required
// ligatures (lam with alef) form on the joined glyphs: words of two letters, of three with
// every letter in the middle, and of two letters around a mark (joining only: the importer
// reads no lookup flags, so HarfBuzz's lam-alef across a skipped mark does not form).
TEST(HarfBuzzShapingArabic, JoiningFormsAndRequiredLigatures)
{
    CompiledFont font("/usr/share/fonts/truetype/noto/NotoSansArabic-Regular.ttf");
    ASSERT_TRUE(font.ready) << "(make deps)";
    ExpectSameNumbering(font);
    std::vector<uint32_t> letters;
    for (uint32_t c = 0x621; c <= 0x64A; ++c)
        if (font.Record()->GetGlyphIndex(c) != 0 && (GetUnicodeProperties(c) & (kUnicodeMark | kUnicodeControl)) == 0)
            letters.push_back(c);
    ASSERT_GT(letters.size(), 30u);
    std::vector<std::vector<uint32_t>> words;
    for (uint32_t a : letters)
        for (uint32_t b : letters) words.push_back({a, b});
    for (uint32_t ends : {0x628u, 0x627u, 0x621u})
        for (uint32_t middle : letters) words.push_back({ends, middle, ends});
    // A mark between two letters is passed over by the joining.
    for (uint32_t mark : {0x64Eu, 0x651u})
        for (uint32_t a : letters)
            for (uint32_t b : {0x628u, 0x627u}) words.push_back({a, mark, b});
    const hb_tag_t forms[] = {HB_TAG('i', 'n', 'i', 't'), HB_TAG('m', 'e', 'd', 'i'), HB_TAG('f', 'i', 'n', 'a')};
    LookupSet acting;
    for (hb_tag_t tag : forms)
        for (unsigned l : FeatureLookups(font.harfBuzz.face, HB_OT_TAG_GSUB, tag)) acting.emplace(HB_OT_TAG_GSUB, l);
    Comparison joining(font), ligatures(font);
    for (const std::vector<uint32_t> &word : words)
    {
        joining.Compare(word, {forms[0], forms[1], forms[2]}, acting, 0, 0, 0,
                        kTextOptionNoKerning | kTextOptionNoDecomposition);
        // Lookup flags are not imported: a ligature does not form across a mark it would skip.
        if (word.size() == 3 && (GetUnicodeProperties(word[1]) & kUnicodeMark) != 0) continue;
        ligatures.Compare(word, {forms[0], forms[1], forms[2], HB_TAG('r', 'l', 'i', 'g')}, acting, 4, 0, 0,
                          kTextOptionNoKerning | kTextOptionNoDecomposition);
    }
    std::printf("joining %d compared (%d passed over, %d differing), with 'rlig' %d (%d, %d)\n", joining.compared,
                joining.passedOver, joining.differing, ligatures.compared, ligatures.passedOver, ligatures.differing);
    EXPECT_EQ(joining.compared, int32_t(words.size()));
    // The words do reach the forms: three behs take three forms, lam with alef becomes one glyph.
    const uint32_t options = kTextOptionNoKerning | kTextOptionNoDecomposition | kTextOptionRightToLeft;
    std::vector<ShapedGlyph> beh = ShapeWithRuntime(font, {0x628, 0x628, 0x628}, 0, 0, 0, options);
    ASSERT_EQ(beh.size(), 3u);
    EXPECT_TRUE(beh[0].glyph != beh[1].glyph && beh[1].glyph != beh[2].glyph && beh[0].glyph != beh[2].glyph);
    EXPECT_EQ(ShapeWithRuntime(font, {0x644, 0x627}, 4, 0, 0, options).size(), 1u);
    EXPECT_EQ(joining.differing, 0);
    EXPECT_EQ(ligatures.differing, 0);
}

}  // namespace
}  // namespace oq
