#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <sys/stat.h>
#include <vector>

#include "base/TextString.h"
#include "editor/fonts/FolderEnvironment.h"
#include "editor/fonts/LoadableFont.h"
#include "editor/fonts/Folders.h"
#include "editor/fonts/FontFaceEntry.h"
#include "editor/fonts/FontLoader.h"
#include "editor/fonts/FontManager.h"
#include "editor/fonts/MasterFontTable.h"
#include "editor/platform/FontFile.h"
#include "editor/platform/RendererProbe.h"
#include "support/VorlFontBuilder.h"
#include "vorl/text/FontDataAccess.h"
#include "vorl/text/VorlFontValidator.h"
#include "vorlfont/compiler/VorlFontRun.h"

namespace oq {
namespace {

using test::VorlFontBuilder;

using test::MakeLoadableBuilder;
using test::MakeLoadableFont;

using test::EditFontItem;

// The registry, renderer and folders the loaders use: a recording renderer over a temporary Data
// folder and the local data folder under XDG_DATA_HOME in a temporary folder.
class FontLoading : public ::testing::Test
{
protected:
    void SetUp() override
    {
        test::FolderEnvironment::Set("XDG_DATA_HOME", environment.Path("data"));
        SetRenderer(&r.renderer);
        SetFontManager(&manager);
    }

    void TearDown() override
    {
        // Every test releases what it loaded: nothing may be left.
        EXPECT_EQ(Font::GetFirst(), nullptr);
        EXPECT_EQ(FontFile::GetFirst(), nullptr);
        DestroyLoadedFonts();
        EXPECT_EQ(r.heap.GetBytesInUse(), 0U);
        SetFontManager(nullptr);
        SetRenderer(nullptr);
    }

    bool WriteData(const char *name, const std::vector<uint8_t> &image)
    {
        return test::WriteBytes(r.data.File(name), image.data(), image.size());
    }

    bool WriteLocal(const std::string &name, const std::vector<uint8_t> &image)
    {
        return test::WriteBytes(std::string(GetLocalDataFolder().GetText()) + name, image.data(), image.size());
    }

    Font *Load(const char *name)
    {
        TextString text(name);
        return LoadFont(text);
    }

    test::FolderEnvironment environment;
    test::RecordingRenderer r;
    FontManager manager;
};

TEST_F(FontLoading, MasterTableRows)
{
    EXPECT_STREQ(MasterFontTable[0].name, "Orlendo");
    EXPECT_STREQ(MasterFontTable[83].name, "Mathematica7");
    EXPECT_EQ(MasterFontTable[25].fileNumber, 21);
    EXPECT_EQ(MasterFontTable[25].faceIndex, 1);
    int shipped = 0;
    for (const MasterFontRow &row : MasterFontTable)
    {
        if (row.fileNumber >= 0) ++shipped;
        EXPECT_EQ(row.faceIndex != 0, &row == &MasterFontTable[25]) << row.name;
    }
    EXPECT_EQ(shipped, 25);
    EXPECT_EQ(FindMasterFontRow("cambria MATH"), 25);
    EXPECT_EQ(FindMasterFontRow("Cambria Math "), -1);
}

// The Part's sharing cases: what the second load gives next to the first.
TEST_F(FontLoading, FontsAndFilesAreShared)
{
    ASSERT_TRUE(WriteData("21.vorl", MakeLoadableFont(2)));
    ASSERT_TRUE(WriteData("2.vorl", MakeLoadableFont(1)));
    enum Expect { kSameFont, kSameFile, kNone };
    struct Case
    {
        const char *what;
        std::function<Font *()> first;
        std::function<Font *()> second;
        Expect expect;
        int32_t secondFace;
    };
    const Case cases[] = {
        {"the same name twice", [&] { return Load("Cambria"); }, [&] { return Load("Cambria"); }, kSameFont, 0},
        {"cambria math shares Cambria's file", [&] { return Load("Cambria"); }, [&] { return Load("cambria math"); },
         kSameFile, 1},
        {"row 2 twice", [] { return LoadFontByIndex(2); }, [] { return LoadFontByIndex(2); }, kSameFile, 0},
        {"row 25 after a load by name", [&] { return Load("CAMBRIA"); }, [] { return LoadFontByIndex(25); },
         kSameFile, 1},
        {"row 84", [] { return LoadFontByIndex(2); }, [] { return LoadFontByIndex(84); }, kNone, 0},
        {"row -1", [] { return LoadFontByIndex(2); }, [] { return LoadFontByIndex(-1); }, kNone, 0},
        {"a row without a file and no registry entry", [] { return LoadFontByIndex(2); },
         [] { return LoadFontByIndex(6); }, kNone, 0},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.what);
        Font *first = c.first();
        ASSERT_NE(first, nullptr);
        Font *second = c.second();
        switch (c.expect)
        {
        case kSameFont:
            EXPECT_EQ(second, first);
            EXPECT_EQ(first->references, 2);
            EXPECT_EQ(first->file->references, 1);
            break;
        case kSameFile:
            ASSERT_NE(second, nullptr);
            EXPECT_NE(second, first);
            EXPECT_EQ(second->file, first->file);
            EXPECT_EQ(second->faceIndex, c.secondFace);
            EXPECT_EQ(first->file->references, 2);
            EXPECT_EQ(first->references, 1);
            break;
        case kNone:
            EXPECT_EQ(second, nullptr);
            break;
        }
        if (second != nullptr) second->Release();
        EXPECT_EQ(first->Release(), 0);
        // A release to zero destroys the Font and, with the last Font, its file.
        EXPECT_EQ(Font::GetFirst(), nullptr);
        EXPECT_EQ(FontFile::GetFirst(), nullptr);
    }
}

TEST_F(FontLoading, NamesAreKeptAsRequested)
{
    ASSERT_TRUE(WriteData("21.vorl", MakeLoadableFont(2)));
    Font *math = Load("cambria math");
    ASSERT_NE(math, nullptr);
    EXPECT_STREQ(math->name.GetText(), "cambria math");
    EXPECT_EQ(math->slant, 0.375F);
    EXPECT_EQ(math->axisHeight, 0.25F);
    EXPECT_EQ(math->capitalHeight, 0.7F);
    // Loaded names are compared byte for byte: another case is another Font on the same file.
    Font *other = Load("Cambria Math");
    ASSERT_NE(other, nullptr);
    EXPECT_NE(other, math);
    EXPECT_EQ(other->file, math->file);
    // A loaded name is found without the file system.
    ASSERT_EQ(std::remove(r.data.File("21.vorl").c_str()), 0);
    Font *again = Load("cambria math");
    EXPECT_EQ(again, math);
    EXPECT_EQ(math->references, 2);
    // So is a face of a loaded file; a file not loaded yet is read.
    Font *cambria = Load("Cambria");
    ASSERT_NE(cambria, nullptr);
    EXPECT_EQ(cambria->file, math->file);
    EXPECT_EQ(Load("Times New Roman"), nullptr);
    cambria->Release();
    again->Release();
    math->Release();
    other->Release();
}

TEST_F(FontLoading, NoRendererOrNoDataFolderLoadsNothing)
{
    ASSERT_TRUE(WriteData("2.vorl", MakeLoadableFont(1)));
    SetRenderer(nullptr);
    EXPECT_EQ(Load("Times New Roman"), nullptr);
    EXPECT_EQ(LoadFontByIndex(2), nullptr);
    // A renderer without a Data folder never reads the working folder.
    Heap heap("empty");
    RecordingDevice device;
    Renderer empty(&device, "", &heap);
    SetRenderer(&empty);
    EXPECT_EQ(LoadFontByIndex(2), nullptr);
    SetRenderer(&r.renderer);
    Font *font = LoadFontByIndex(2);
    ASSERT_NE(font, nullptr);
    font->Release();
}

// Fonts loaded before the renderer starts get their textures when it starts; its shut-down releases
// them while the device runs, so a font released afterwards makes no device call.
TEST_F(FontLoading, TexturesFollowTheRenderer)
{
    ASSERT_TRUE(WriteData("21.vorl", MakeLoadableFont(2)));
    Font *font = Load("Cambria");
    ASSERT_NE(font, nullptr);
    EXPECT_EQ(font->GetTexturePair()->count, 0);
    EXPECT_EQ(r.device.textures.size(), 0U);
    ASSERT_TRUE(r.Start());
    EXPECT_EQ(font->GetTexturePair()->count, 2);
    EXPECT_EQ(r.device.textures.size(), 2U);
    // A second face after the start shares the textures.
    Font *math = LoadFontByIndex(25);
    ASSERT_NE(math, nullptr);
    EXPECT_EQ(r.device.textures.size(), 2U);
    r.renderer.Shutdown();
    EXPECT_EQ(r.device.textures.size(), 0U);
    EXPECT_EQ(font->GetTexturePair()->count, 0);
    size_t calls = r.device.calls.size();
    math->Release();
    font->Release();
    EXPECT_EQ(r.device.calls.size(), calls);
}

TEST_F(FontLoading, ExitDestroysWhatIsStillHeld)
{
    ASSERT_TRUE(WriteData("21.vorl", MakeLoadableFont(2)));
    Font *held = Load("Cambria");
    ASSERT_NE(held, nullptr);
    held->references += 2;
    ASSERT_NE(LoadFontByIndex(25), nullptr);
    held->file->references++;
    DestroyLoadedFonts();
    EXPECT_EQ(Font::GetFirst(), nullptr);
    EXPECT_EQ(FontFile::GetFirst(), nullptr);
    EXPECT_EQ(r.heap.GetBytesInUse(), 0U);
}

// Face keys and files of imported fonts: each case registers its resources, writes the files the
// key names and checks which file and record the name loads.
TEST_F(FontLoading, ImportedFileKeys)
{
    const std::string longFile = std::string(150, 'f') + ".ttf";
    const std::string longFace = "Long " + std::string(200, 'n');
    std::string registry = "R (n=\"Single.ttf\") { s{\"Single Face\"} }\n"
                           "R (n=\"Shared.ttc\", c) { s{\"Shared A\"} s{\"Shared B\"} s{\"Shared C\"} }\n"
                           "R (n=\"Fonts.ttc\") { s{\"Fonts A\"} s{\"Fonts B\"} s{\"Fonts C\"} }\n"
                           "R (n=\"Free.ttf\") { s{\"Free TT\"} }\n"
                           "R (n=\"Free.otf\") { s{\"Free OT\"} }\n"
                           "R (n=\"21.ttf\") { s{\"Twenty One\"} }\n"
                           "R (n=\"" + longFile + "\") { s{\"" + longFace + "\"} }\n";
    ASSERT_EQ(manager.ParseAndResolve(registry.c_str()), 0U);
    ASSERT_TRUE(WriteData("21.vorl", MakeLoadableFont(2)));
    for (const char *name : {"Single.ttf", "Fonts.ttc", "Fonts.ttc-1", "Fonts.ttc-2", "Free.ttf", "Free.otf", "21.ttf"})
        ASSERT_TRUE(WriteLocal(std::string(name) + ".vorl", MakeLoadableFont(1)));
    ASSERT_TRUE(WriteLocal("Shared.ttc.vorl", MakeLoadableFont(3)));
    ASSERT_TRUE(WriteLocal(longFile + ".vorl", MakeLoadableFont(1)));

    struct Case
    {
        std::string name;
        std::string key;
        int32_t face;
    };
    const Case cases[] = {
        {"Cambria Math", "21", 1},
        {"Single Face", "Single.ttf", 0},
        {"Shared C", "Shared.ttc", 2},
        {"Fonts A", "Fonts.ttc", 0},
        {"Fonts C", "Fonts.ttc-2", 0},
        {"Free TT", "Free.ttf", 0},
        {"Free OT", "Free.otf", 0},
        {"Twenty One", "21.ttf", 0},
        {longFace, longFile, 0},
    };
    std::vector<Font *> fonts;
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.name);
        Font *font = Load(c.name.c_str());
        ASSERT_NE(font, nullptr);
        EXPECT_EQ(std::string(font->file->key.GetText()), c.key);
        EXPECT_EQ(font->faceIndex, c.face);
        EXPECT_EQ(std::string(font->name.GetText()), c.name);
        // Each key is a file of its own.
        for (Font *other : fonts) EXPECT_NE(other->file, font->file) << other->name.GetText();
        fonts.push_back(font);
    }
    ImportedFontKey key = MakeImportedFontKey(*manager.FindFontName("Shared B")->GetFontResource(), 1);
    EXPECT_STREQ(key.key.GetText(), "Shared.ttc");
    EXPECT_EQ(key.indexInFile, 1);
    key = MakeImportedFontKey(*manager.FindFontName("Fonts B")->GetFontResource(), 1);
    EXPECT_STREQ(key.key.GetText(), "Fonts.ttc-1");
    EXPECT_EQ(key.indexInFile, 0);
    for (Font *font : fonts) font->Release();
}

TEST_F(FontLoading, FontFileNameGivesItsFirstFace)
{
    ASSERT_EQ(manager.ParseAndResolve("R (n=\"Foo.otf\") { s{\"Foo Regular\"} s{\"Foo Bold\"} }\n"), 0U);
    ASSERT_TRUE(WriteLocal("Foo.otf.vorl", MakeLoadableFont(1)));
    TextString name("Foo");
    Font *font = LoadFont(name);
    ASSERT_NE(font, nullptr);
    EXPECT_STREQ(name.GetText(), "Foo Regular");
    EXPECT_STREQ(font->name.GetText(), "Foo Regular");
    // Only LoadFont matches file names; an unknown name is left alone.
    TextString unknown("Bar");
    EXPECT_EQ(LoadFont(unknown), nullptr);
    EXPECT_STREQ(unknown.GetText(), "Bar");
    font->Release();
}

TEST_F(FontLoading, AvailabilityOfFaces)
{
    ASSERT_EQ(manager.ParseAndResolve("R (n=\"Here.ttf\") { s{\"Here\"} }\nR (n=\"Gone.ttf\") { s{\"Gone\"} }\n"), 0U);
    ASSERT_TRUE(WriteLocal("Here.ttf.vorl", MakeLoadableFont(1)));
    ASSERT_TRUE(WriteData("2.vorl", MakeLoadableFont(1)));
    Font *loaded = LoadFontByIndex(2);
    ASSERT_NE(loaded, nullptr);
    struct Case
    {
        const char *name;
        bool registered;
        bool available;
    };
    for (const Case &c : {Case{"Here", true, true}, Case{"Gone", true, false}, Case{"times new roman", false, true},
                          Case{"Times New Roman", false, true}, Case{"Arial", false, false}, Case{"Elsewhere", false, false}})
    {
        const FontFaceEntry *registered = manager.FindFontName(c.name);
        FontFaceEntry builtIn(c.name, nullptr);
        EXPECT_EQ(IsFontAvailable(c.registered ? *registered : builtIn), c.available) << c.name;
    }
    loaded->Release();
}

// Damaged or unfit files give none without a crash and leave nothing loaded.
TEST_F(FontLoading, DamagedFilesAreRefused)
{
    std::vector<uint8_t> good = MakeLoadableFont(1);
    std::vector<uint8_t> truncated(good.begin(), good.begin() + long(good.size() / 2));
    std::vector<uint8_t> magic = good;
    magic[0] ^= 0x55;
    VorlFontBuilder noAxis = MakeLoadableBuilder(1);
    EditFontItem(noAxis.fonts[0], 'AXIS', 0, true);
    VorlFontBuilder noHeight = MakeLoadableBuilder(1);
    EditFontItem(noHeight.fonts[0], 'HITE', 0, true);
    VorlFontBuilder noSlant = MakeLoadableBuilder(1);
    EditFontItem(noSlant.fonts[0], 'SLNT', 0, true);
    // Compiled without contours: outlines (band data) but no ContourList.
    VorlFontBuilder noContours = MakeLoadableBuilder(1);
    noContours.contours.clear();
    for (VorlGlyphRecord &glyph : noContours.glyphs) glyph.curveCount = 0;
    struct Case
    {
        const char *what;
        std::vector<uint8_t> image;
        int32_t row;
        bool valid;  // the validator accepts it: the loader's own checks refuse it
    };
    const Case cases[] = {
        {"truncated", truncated, 2, false},
        {"wrong magic", magic, 2, true},
        {"empty", {}, 2, false},
        {"face index at the count", good, 25, true},
        {"no 'AXIS'", noAxis.Build(), 2, true},
        {"no 'HITE'", noHeight.Build(), 2, true},
        {"no 'SLNT'", noSlant.Build(), 2, true},
        {"no ContourList", noContours.Build(), 2, true},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(ValidateVorlFontFile(c.image.data(), c.image.size()), c.valid);
        ASSERT_TRUE(WriteData(c.row == 25 ? "21.vorl" : "2.vorl", c.image));
        EXPECT_EQ(LoadFontByIndex(c.row), nullptr);
        TextString name(MasterFontTable[c.row].name);
        EXPECT_EQ(LoadFont(name), nullptr);
        EXPECT_EQ(FontFile::GetFirst(), nullptr);
        EXPECT_EQ(r.heap.GetBytesInUse(), 0U);
    }
}

// A face without its metrics is refused also when its file is already loaded for another face.
TEST_F(FontLoading, UnfitFaceOfALoadedFile)
{
    VorlFontBuilder builder = MakeLoadableBuilder(2);
    EditFontItem(builder.fonts[1], 'SLNT', 0, true);
    ASSERT_TRUE(WriteData("21.vorl", builder.Build()));
    Font *cambria = Load("Cambria");
    ASSERT_NE(cambria, nullptr);
    EXPECT_EQ(Load("Cambria Math"), nullptr);
    EXPECT_EQ(cambria->file->references, 1);
    cambria->Release();
}

// Debian fonts compiled with the import's switches load as imported faces: the compiler writes
// every item and the ContourList the loaders ask for, and the slanted extents of TrueType's own
// quadratics at the upright font's slant (0) are the glyph boxes' x ranges.
TEST_F(FontLoading, CompiledFontsLoadAndMeasure)
{
    ASSERT_EQ(manager.ParseAndResolve("R (n=\"DejaVuSans.ttf\") { s{\"DejaVu Sans\"} }\n"
                                      "R (n=\"DejaVuSans-Oblique.ttf\") { s{\"DejaVu Sans Oblique\"} }\n"),
              0U);
    for (const char *file : {"DejaVuSans.ttf", "DejaVuSans-Oblique.ttf"})
    {
        std::string input = std::string("/usr/share/fonts/truetype/dejavu/") + file;
        std::string output = std::string(GetLocalDataFolder().GetText()) + file + ".vorl";
        const char *arguments[] = {input.c_str(), "-o", output.c_str(), "-no-poly", "-contours", "-math"};
        const char *message = nullptr;
        ASSERT_EQ(RunVorlFont(6, arguments, &message), 0) << (message ? message : "");
    }
    Font *upright = Load("DejaVu Sans");
    Font *oblique = Load("DejaVu Sans Oblique");
    ASSERT_NE(upright, nullptr);
    ASSERT_NE(oblique, nullptr);
    EXPECT_GT(upright->capitalHeight, 0.6F);
    EXPECT_GT(upright->axisHeight, 0.0F);
    EXPECT_EQ(upright->slant, 0.0F);
    const VorlFontRecord *record = upright->GetRecord();
    for (uint32_t code : {uint32_t('A'), uint32_t('W'), uint32_t('g'), uint32_t('8'), 0x3A9u, 0x222Bu})
    {
        uint32_t glyph = record->GetGlyphIndex(code);
        ASSERT_NE(glyph, 0U) << code;
        float angle = 0.0F;
        GlyphExtent extent = upright->GetSlantedGlyphExtent(glyph, 0, &angle);
        GlyphBounds box = upright->GetGlyphBounds(glyph, 0);
        // Curve texels are half floats about the glyph's origin.
        EXPECT_NEAR(extent.left, box.xMin, 2e-3) << code;
        EXPECT_NEAR(extent.right, box.xMax, 2e-3) << code;
    }
    // The oblique face's own slant is written back and leans its extents.
    float angle = 0.0F;
    uint32_t bar = oblique->GetRecord()->GetGlyphIndex('l');
    GlyphExtent leaning = oblique->GetSlantedGlyphExtent(bar, 0, &angle);
    EXPECT_NE(angle, 0.0F);
    EXPECT_EQ(angle, oblique->slant);
    float upright0 = 1e-6F;
    GlyphExtent unslanted = oblique->GetSlantedGlyphExtent(bar, 0, &upright0);
    EXPECT_LT(leaning.right - leaning.left, unslanted.right - unslanted.left);
    // DejaVu's digits are tabular with small side bearings.
    GlyphExtent bearings = upright->GetDigitSideBearings();
    EXPECT_GT(bearings.left, 0.0F);
    EXPECT_LT(bearings.left, 0.2F);
    EXPECT_GT(bearings.right, 0.0F);
    EXPECT_LT(bearings.right, 0.2F);
    upright->Release();
    oblique->Release();
}

// A font built for the metric operations: a unit square (glyph 0), a ring of the same shape at
// x 2..3 (the ring glyph) and the smiling face layered from both; digits mapped to glyphs whose
// 'tnum' alternates carry the side bearings.
class FontMetrics : public FontLoading
{
protected:
    static constexpr float kSlant = 0.25F;

    Font *LoadMetricsFont(VorlFontBuilder builder)
    {
        if (!WriteData("2.vorl", builder.Build())) return nullptr;
        return LoadFontByIndex(2);
    }

    static VorlFontBuilder MakeBuilder()
    {
        VorlFontBuilder builder = MakeLoadableBuilder(1);
        builder.SetContours(test::kSampleRing, {{{2, 0}, {2.5F, 0}, {3, 0}, {3, 0.5F}, {3, 1}, {2.5F, 1}, {2, 1},
                                                 {2, 0.5F}, {2, 0}}});
        builder.glyphs[test::kSampleMissing].box[2] = builder.glyphs[test::kSampleMissing].box[3] = 1.0F;
        float ring[4] = {2.0F, 0.0F, 3.0F, 1.0F};
        std::memcpy(builder.glyphs[test::kSampleRing].box, ring, sizeof(ring));
        float own[4] = {0.1F, 0.2F, 0.3F, 0.4F};
        std::memcpy(builder.glyphs[test::kSampleSmile].box, own, sizeof(own));
        return builder;
    }

    // Digits: glyph d maps '0' + d to a proportional glyph whose tabular alternate has box x from
    // left[d] to advance - right[d]; a selector entry listed first must be passed over.
    static void AddDigits(VorlFontBuilder &builder, const float *left, const float *right)
    {
        uint32_t narrow = builder.AddGlyph(0.5F);
        for (int d = 0; d < 10; ++d)
        {
            uint32_t proportional = builder.AddGlyph(0.4F);
            uint32_t tabular = builder.AddGlyph(0.6F);
            builder.glyphs[tabular].box[0] = left[d];
            builder.glyphs[tabular].box[2] = 0.6F - right[d];
            builder.SetAlternates(proportional, {{1u << 24 | 0x40000, narrow}, {0x40000, tabular}});
            builder.fonts[0].Map(uint32_t('0' + d), proportional);
        }
        builder.glyphs[narrow].box[0] = -0.5F;
        builder.outlineGlyphs.resize(builder.glyphs.size());
    }
};

TEST_F(FontMetrics, GlyphBoundsOfLayersAndAdvances)
{
    Font *font = LoadMetricsFont(MakeBuilder());
    ASSERT_NE(font, nullptr);
    float advance = 0.0F;
    GlyphBounds layered = font->GetGlyphBounds(test::kSampleSmile, 0, &advance);
    EXPECT_EQ(advance, 0.25F + 0.0625F * float(test::kSampleSmile));
    EXPECT_EQ(layered.xMin, 0.0F);
    EXPECT_EQ(layered.yMin, 0.0F);
    EXPECT_EQ(layered.xMax, 3.0F);
    EXPECT_EQ(layered.yMax, 1.0F);
    GlyphBounds own = font->GetGlyphBounds(test::kSampleSmile, kGlyphOwnOutline);
    EXPECT_EQ(own.xMin, 0.1F);
    EXPECT_EQ(own.yMax, 0.4F);
    GlyphBounds outside = font->GetGlyphBounds(font->GetGlyphCount(), 0, &advance);
    EXPECT_EQ(outside.xMax, 0.0F);
    EXPECT_EQ(advance, 0.0F);
    font->Release();
}

TEST_F(FontMetrics, SlantedExtentsAreCached)
{
    Font *font = LoadMetricsFont(MakeBuilder());
    ASSERT_NE(font, nullptr);
    float c = std::cos(kSlant);
    float s = std::sin(kSlant);
    // Angle 0 is the font's slant, written back.
    float angle = 0.0F;
    GlyphExtent square = font->GetSlantedGlyphExtent(test::kSampleMissing, 0, &angle);
    EXPECT_EQ(angle, kSlant);
    EXPECT_NEAR(square.left, -s, 1e-6);
    EXPECT_NEAR(square.right, c, 1e-6);
    // A layered glyph takes the union of its layers' extents.
    GlyphExtent layered = font->GetSlantedGlyphExtent(test::kSampleSmile, 0, &angle);
    EXPECT_NEAR(layered.left, -s, 1e-6);
    EXPECT_NEAR(layered.right, 3.0F * c, 1e-6);
    // With the curves gone, the same angle still answers from the cache; another angle reads them.
    std::memset(font->file->pair.decodedCurveData, 0, GetCurveTextureDataSize(font->file->GetHeader()));
    GlyphExtent cached = font->GetSlantedGlyphExtent(test::kSampleMissing, 0, &angle);
    EXPECT_EQ(cached.left, square.left);
    EXPECT_EQ(cached.right, square.right);
    EXPECT_EQ(font->GetSlantedGlyphExtent(test::kSampleSmile, 0, &angle).right, layered.right);
    float upright = 0.5F;
    GlyphExtent recomputed = font->GetSlantedGlyphExtent(test::kSampleMissing, 0, &upright);
    EXPECT_EQ(recomputed.left, 0.0F);
    EXPECT_EQ(recomputed.right, 0.0F);
    EXPECT_EQ(font->extentCache[test::kSampleMissing].angle, 0.5F);
    // A glyph without curves, and one past the face's glyphs.
    EXPECT_EQ(font->GetSlantedGlyphExtent(test::kSampleSmile, kGlyphOwnOutline, &upright).right, 0.0F);
    EXPECT_EQ(font->GetSlantedGlyphExtent(font->GetGlyphCount(), 0, &upright).right, 0.0F);
    font->Release();
}

TEST_F(FontMetrics, DigitSideBearingsOfTabularAlternates)
{
    const float left[10] = {0.05F, 0.04F, 0.06F, 0.05F, 0.02F, 0.05F, 0.05F, 0.07F, 0.05F, 0.05F};
    const float right[10] = {0.05F, 0.05F, 0.03F, 0.05F, 0.05F, 0.05F, 0.05F, 0.05F, 0.08F, 0.05F};
    VorlFontBuilder builder = MakeBuilder();
    AddDigits(builder, left, right);
    Font *font = LoadMetricsFont(builder);
    ASSERT_NE(font, nullptr);
    GlyphExtent bearings = font->GetDigitSideBearings();
    EXPECT_NEAR(bearings.left, 0.02F, 1e-6);
    EXPECT_NEAR(bearings.right, 0.03F, 1e-6);
    EXPECT_EQ(font->GetDigitSideBearings().left, bearings.left);
    font->Release();

    // Wide bearings are capped at 1.0.
    const float wide[10] = {1.5F, 1.5F, 1.5F, 1.5F, 1.5F, 1.5F, 1.5F, 1.5F, 1.5F, 1.5F};
    VorlFontBuilder wideBuilder = MakeBuilder();
    AddDigits(wideBuilder, wide, wide);
    font = LoadMetricsFont(wideBuilder);
    ASSERT_NE(font, nullptr);
    bearings = font->GetDigitSideBearings();
    EXPECT_EQ(bearings.left, 1.0F);
    EXPECT_EQ(bearings.right, 1.0F);
    font->Release();
}

}  // namespace
}  // namespace oq
