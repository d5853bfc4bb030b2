#include <gtest/gtest.h>

#include "editor/fonts/Design.h"
#include "editor/fonts/DesignWriter.h"
#include "editor/fonts/FolderEnvironment.h"
#include "editor/fonts/SystemFontRoots.h"
#include "editor/fonts/FontLoader.h"
#include "editor/fonts/FontManager.h"
#include "editor/fonts/LoadableFont.h"
#include "editor/platform/FontFile.h"
#include "editor/platform/RendererProbe.h"
#include "support/VorlFontBuilder.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace oq {
namespace {

// A recording renderer over a temporary Data folder with row 0 ("0.vorl") and, on request, row 2
// ("2.vorl"); the local data folder under XDG_DATA_HOME in a temporary folder.
class DesignFonts : public ::testing::Test
{
protected:
    void SetUp() override
    {
        test::FolderEnvironment::Set("XDG_DATA_HOME", environment.Path("data"));
        SetRenderer(&r.renderer);
        SetFontManager(&manager);
        ClearReportedMissingFonts();
    }

    void TearDown() override
    {
        // Every design released its fonts.
        EXPECT_EQ(Font::GetFirst(), nullptr);
        DestroyLoadedFonts();
        SetFontManager(nullptr);
        SetRenderer(nullptr);
        ClearReportedMissingFonts();
    }

    void WriteData(const char *name)
    {
        std::vector<uint8_t> image = test::MakeLoadableFont(1);
        ASSERT_TRUE(test::WriteBytes(r.data.File(name), image.data(), image.size()));
    }

    // Slots 0 and 1 keep their factory fonts, slot 3 names a font nobody has, the rest are empty.
    static void NameSlots(Design *design)
    {
        for (int32_t slot = 2; slot < kDesignFontSlotCount; ++slot) design->fontNames[slot] = "";
        design->fontNames[3] = "No \"Such\" Font";
    }

    static int32_t CountNames(const TextString (&missing)[kDesignFontSlotCount])
    {
        int32_t count = 0;
        for (const TextString &name : missing) count += name.IsEmpty() ? 0 : 1;
        return count;
    }

    test::FolderEnvironment environment;
    // The rescans find no installed fonts.
    test::ScopedSystemFontRoots systemRoots{environment.Path("system")};
    test::RecordingRenderer r;
    FontManager manager;
};

TEST_F(DesignFonts, AMissingFontKeepsItsNameAndIsReportedOnce)
{
    WriteData("0.vorl");
    WriteData("2.vorl");
    Design design;
    NameSlots(&design);

    TextString missing[kDesignFontSlotCount];
    EXPECT_EQ(design.ResolveFonts(missing), FontResolveResult::kReplaced);
    EXPECT_STREQ(design.fontNames[3].GetText(), "No \"Such\" Font");
    ASSERT_NE(design.fonts.slots[3], nullptr);
    EXPECT_EQ(design.fonts.slots[3]->file, design.fonts.slots[1]->file);
    EXPECT_NE(design.fonts.textFonts[3].fontRecord, nullptr);
    EXPECT_STREQ(missing[3].GetText(), "No \"Such\" Font");
    EXPECT_EQ(CountNames(missing), 1);

    // Saving keeps the user's choice.
    TextBuffer buffer;
    WriteDesignBlock(design, &buffer);
    std::string text(buffer.data, buffer.size);
    buffer.Free();
    EXPECT_NE(text.find("\tF (i=3) {s{\"No \\\"Such\\\" Font\"}}\n"), std::string::npos) << text;

    // Reported once per process.
    design.ReleaseFonts();
    TextString again[kDesignFontSlotCount];
    EXPECT_EQ(design.ResolveFonts(again), FontResolveResult::kReplaced);
    EXPECT_EQ(CountNames(again), 0);
    // A rescan of the installed fonts offers the name again.
    design.ReleaseFonts();
    static_cast<void>(manager.Rescan());
    TextString cleared[kDesignFontSlotCount];
    EXPECT_EQ(design.ResolveFonts(cleared), FontResolveResult::kReplaced);
    EXPECT_STREQ(cleared[3].GetText(), "No \"Such\" Font");
}

TEST_F(DesignFonts, ResolvedFontsStayAndStyleMapsAreCut)
{
    WriteData("0.vorl");
    WriteData("2.vorl");
    Design design;
    for (int32_t slot = 2; slot < kDesignFontSlotCount; ++slot) design.fontNames[slot] = "";
    const uint8_t uprt[4] = {0, 9, 1, 255};
    const uint8_t ital[4] = {255, 1, 1, 1};
    const uint8_t bold[4] = {20, 9, 1, 255};
    std::memcpy(design.styleMaps[0], uprt, 4);
    std::memcpy(design.styleMaps[1], ital, 4);
    std::memcpy(design.styleMaps[2], bold, 4);

    TextString missing[kDesignFontSlotCount];
    EXPECT_EQ(design.ResolveFonts(missing), FontResolveResult::kLoaded);
    EXPECT_EQ(CountNames(missing), 0);
    const uint8_t cut[4] = {0, 255, 255, 255};
    EXPECT_EQ(std::memcmp(design.styleMaps[0], cut, 4), 0);
    EXPECT_EQ(std::memcmp(design.styleMaps[1], ital, 4), 0);
    EXPECT_EQ(std::memcmp(design.styleMaps[2], bold, 4), 0);

    // With slot 0 loaded nothing changes, even for a slot that is not loaded.
    design.fontNames[4] = "Elsewhere";
    Font *first = design.fonts.slots[0];
    EXPECT_EQ(design.ResolveFonts(missing), FontResolveResult::kUnchanged);
    EXPECT_EQ(design.fonts.slots[0], first);
    EXPECT_EQ(design.fonts.slots[4], nullptr);
    EXPECT_EQ(CountNames(missing), 0);
}

TEST_F(DesignFonts, FallbacksEndAtSlotZeroAndADamagedDataFolderIsReported)
{
    WriteData("0.vorl");
    {
        Design design;
        NameSlots(&design);
        TextString missing[kDesignFontSlotCount];
        EXPECT_EQ(design.ResolveFonts(missing), FontResolveResult::kReplaced);
        EXPECT_EQ(design.fonts.slots[1], design.fonts.slots[0]);
        EXPECT_EQ(design.fonts.slots[3], design.fonts.slots[0]);
        EXPECT_EQ(design.fonts.slots[0]->references, 3);
        EXPECT_EQ(CountNames(missing), 2);
    }
    DestroyLoadedFonts();
    ASSERT_EQ(std::remove(r.data.File("0.vorl").c_str()), 0);

    // An empty Data folder: reported once, nothing loaded, every StyleMap cut.
    Design design;
    TextString missing[kDesignFontSlotCount];
    EXPECT_EQ(design.ResolveFonts(missing), FontResolveResult::kDataDamaged);
    for (Font *font : design.fonts.slots) EXPECT_EQ(font, nullptr);
    for (const uint8_t(&entry)[kStyleMapLength] : design.styleMaps) EXPECT_EQ(entry[0], kStyleMapEnd);
    EXPECT_STREQ(design.fontNames[1].GetText(), "Times New Roman");
    EXPECT_EQ(design.ResolveFonts(missing), FontResolveResult::kReplaced);
}

TEST_F(DesignFonts, CopiesShareTheFonts)
{
    WriteData("0.vorl");
    WriteData("2.vorl");
    Design *source = new Design;
    NameSlots(source);
    TextString missing[kDesignFontSlotCount];
    ASSERT_EQ(source->ResolveFonts(missing), FontResolveResult::kReplaced);
    int32_t counts[kDesignFontSlotCount] = {};
    for (int32_t slot = 0; slot < kDesignFontSlotCount; ++slot)
    {
        if (source->fonts.slots[slot] != nullptr) counts[slot] = source->fonts.slots[slot]->references;
    }

    Design copy;
    copy.CopyFrom(*source);
    for (int32_t slot = 0; slot < kDesignFontSlotCount; ++slot)
    {
        EXPECT_EQ(copy.fonts.slots[slot], source->fonts.slots[slot]);
        if (copy.fonts.slots[slot] == nullptr) continue;
        EXPECT_EQ(copy.fonts.slots[slot]->references, counts[slot] + 1);
    }
    EXPECT_EQ(copy.styleFallbackMap.rows, &copy.styleMaps[0][0]);
    delete source;
    // The copy's fonts are still whole.
    ASSERT_NE(copy.fonts.slots[0], nullptr);
    EXPECT_EQ(copy.fonts.slots[0]->references, counts[0]);
    EXPECT_NE(copy.fonts.textFonts[0].fontRecord, nullptr);
    EXPECT_STREQ(copy.fonts.slots[0]->name.GetText(), "Orlendo");
}

}  // namespace
}  // namespace oq
