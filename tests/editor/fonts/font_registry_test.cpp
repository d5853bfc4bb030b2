#include <gtest/gtest.h>

#include <cerrno>
#include <cstdint>
#include <string>
#include <vector>

#include "base/File.h"
#include "editor/fonts/FaultyFileCalls.h"
#include "editor/fonts/FolderEnvironment.h"
#include "editor/fonts/FolderFiles.h"
#include "editor/fonts/FontFaceEntry.h"
#include "editor/fonts/Folders.h"
#include "editor/fonts/FontManager.h"
#include "editor/fonts/FontResource.h"
#include "editor/fonts/SystemFontRoots.h"
#include "editor/platform/TextBuffer.h"
#include "support/TempDirectory.h"

namespace oq {
namespace {

std::string WrittenText(FontManager &manager)
{
    TextBuffer buffer;
    manager.WriteText(&buffer);
    std::string text(buffer.data ? buffer.data : "", buffer.size);
    buffer.Free();
    return text;
}

using test::ListFolder;
using test::ReadFile;
using test::WriteFile;

int32_t CountResources(FontManager &manager)
{
    int32_t count = 0;
    for (FontResource *r = manager.GetFirstResource(); r != nullptr; r = FontManager::GetNextResource(r)) ++count;
    return count;
}

// Face names and the file name of each registered resource, as the name map gives them back.
TEST(FontRegistry, NamesWithQuotesBackslashesAndNonAsciiRoundTrip)
{
    // Kettric escapes for: a quote, a backslash, a tab, a minus, a question mark, an apostrophe,
    // Greek letters and a CJK face name.
    const char *text =
        "R (n=\"Qu\\\"ote\\\\s-\\u03B1.ttf\", c)\n{\n\ts{\"Face \\\"One\\\" \\\\ \\u03B1\\u03B2\\u03B3\"}\n"
        "\ts{\"\\u601D\\u6E90\\u9ED1\\u4F53 Bold?\", \"second string\"}\n}\n"
        "R (n=\"it's\\tfine.otf\") { s{\"<Tab>&\\tName\"} }\n";
    const char *faceNames[] = {"Face \"One\" \\ \xCE\xB1\xCE\xB2\xCE\xB3", "\xE6\x80\x9D\xE6\xBA\x90\xE9\xBB\x91\xE4\xBD\x93 Bold?",
                               "<Tab>&\tName"};

    FontManager first;
    ASSERT_EQ(first.ParseAndResolve(text), 0u);
    std::string written = WrittenText(first);

    FontManager second;
    ASSERT_EQ(second.ParseAndResolve(written.c_str()), 0u) << written;
    EXPECT_EQ(WrittenText(second), written);
    for (const char *name : faceNames)
    {
        FontFaceEntry *entry = second.FindFontName(name);
        ASSERT_NE(entry, nullptr) << name;
        EXPECT_STREQ(entry->GetFaceName(), name);
    }
    FontResource *resource = second.FindFontName(faceNames[1])->GetFontResource();
    ASSERT_NE(resource, nullptr);
    EXPECT_STREQ(resource->GetFileName(), "Qu\"ote\\s-\xCE\xB1.ttf");
    EXPECT_TRUE(resource->GetSharedTablesFlag());
    EXPECT_EQ(second.FindFontName(faceNames[1])->GetFaceIndex(), 1);
    EXPECT_EQ(second.FindResourceByFontFileName("it's\tFINE"), second.FindFontName(faceNames[2])->GetFontResource());
}

TEST(FontRegistry, WritesTheFileFormat)
{
    FontManager manager;
    ASSERT_EQ(manager.ParseAndResolve("R(n=\"a.ttc\",c=true){s{\"A\"}s{\"B\",\"x\"}} R(n=\"b.ttf\",c=false){s{\"C\"}}"),
              0u);
    EXPECT_EQ(WrittenText(manager), "R (n=\"a.ttc\",c)\n{\n\ts{\"A\"}\n\ts{\"B\"}\n}\n\n"
                                    "R (n=\"b.ttf\")\n{\n\ts{\"C\"}\n}\n\n");

    FontManager empty;
    EXPECT_EQ(WrittenText(empty), "");
}

TEST(FontRegistry, TheFirstFaceOfANameWinsAndTheSecondKeepsItsIndex)
{
    FontManager manager;
    ASSERT_EQ(manager.ParseAndResolve("R (n=\"a.ttf\") { s{\"Foo\"} s{\"Bar\"} }\n"
                                      "R (n=\"b.ttc\") { s{\"X\"} s{\"FOO\"} s{\"Baz\"} }\n"),
              0u);
    FontFaceEntry *foo = manager.FindFontName("foo");
    ASSERT_NE(foo, nullptr);
    EXPECT_STREQ(foo->GetFaceName(), "Foo");
    EXPECT_STREQ(foo->GetFontResource()->GetFileName(), "a.ttf");
    EXPECT_EQ(foo->GetFaceIndex(), 0);

    // b.ttc registers X and Baz only; Baz is still the third face of its file.
    FontResource *b = manager.FindFontName("X")->GetFontResource();
    ASSERT_NE(b, nullptr);
    FontFaceEntry *x = b->GetFirstFaceEntry();
    ASSERT_NE(x, nullptr);
    EXPECT_STREQ(x->GetFaceName(), "X");
    FontFaceEntry *baz = x->GetNextFaceEntry();
    ASSERT_NE(baz, nullptr);
    EXPECT_STREQ(baz->GetFaceName(), "Baz");
    EXPECT_EQ(baz->GetFaceIndex(), 2);
    EXPECT_EQ(baz->GetNextFaceEntry(), nullptr);
    EXPECT_EQ(manager.GetNameMap()->GetMapElementCount(), 4);

    // The dropped face is still written, so the indexes stay.
    EXPECT_NE(WrittenText(manager).find("\ts{\"FOO\"}\n\ts{\"Baz\"}"), std::string::npos);
}

TEST(FontRegistry, ASecondResourceOfAnEqualFileNameStaysOutOfTheMap)
{
    // Destroyed in each state the registry can be in; ASan reports an object freed twice or used
    // after its resource went.
    const char *text = "R (n=\"Foo.ttf\") { s{\"One\"} }\n"
                       "R (n=\"foo.TTF\") { s{\"Two\"} s{\"one\"} }\n"
                       "R (n=\"bar.otf\") { s{\"Three\"} }\n";
    {
        FontManager manager;
        ASSERT_EQ(manager.ParseAndResolve(text), 0u);
        EXPECT_EQ(CountResources(manager), 3);
        EXPECT_EQ(manager.GetResourceMap()->GetMapElementCount(), 2);
        FontResource *foo = manager.FindResourceByFontFileName("FOO");
        ASSERT_NE(foo, nullptr);
        EXPECT_STREQ(foo->GetFileName(), "Foo.ttf");
        FontResource *second = FontManager::GetNextResource(foo);
        EXPECT_FALSE(second->IsInResourceMap());
        EXPECT_TRUE(foo->IsInResourceMap());
        // Its own faces are registered; the one whose name is taken is not.
        EXPECT_EQ(manager.FindFontName("Two")->GetFontResource(), second);
        EXPECT_EQ(manager.FindFontName("ONE")->GetFontResource(), foo);
        // Both are written.
        EXPECT_NE(WrittenText(manager).find("R (n=\"foo.TTF\")"), std::string::npos);
    }
    {
        // Parsed again over a full registry: the old resources and their entries go first.
        FontManager manager;
        ASSERT_EQ(manager.ParseAndResolve(text), 0u);
        ASSERT_EQ(manager.ParseAndResolve("R (n=\"other.ttf\") { s{\"One\"} }"), 0u);
        EXPECT_EQ(manager.GetNameMap()->GetMapElementCount(), 1);
        EXPECT_EQ(manager.GetResourceMap()->GetMapElementCount(), 1);
        EXPECT_STREQ(manager.FindFontName("one")->GetFontResource()->GetFileName(), "other.ttf");
    }
    {
        // A failure after registered resources leaves resolved and unresolved ones behind.
        FontManager manager;
        std::string failing = std::string(text) + "R (n=\"\") { s{\"Four\"} }\nR (n=\"last.ttf\") { s{\"Five\"} }\n";
        EXPECT_EQ(manager.ParseAndResolve(failing.c_str()), uint32_t(kResultInvalidPropertyValue));
        EXPECT_EQ(manager.FindFontName("Five"), nullptr);
    }
}

TEST(FontRegistry, LoadFallsBackOnInvalidFiles)
{
    // A good resource first, so that a fallback is seen to drop it.
    const std::string good = "R (n=\"good.ttf\") { s{\"Good\"} }\n";
    struct Case
    {
        const char *name;
        std::string text;
        uint32_t result;
    };
    const Case cases[] = {
        {"empty file name", "R (n=\"\") { s{\"A\"} }", kResultInvalidPropertyValue},
        {"no file name", "R { s{\"A\"} }", kResultInvalidPropertyValue},
        {"file name with a slash", "R (n=\"../../x.ttf\") { s{\"A\"} }", kResultInvalidPropertyValue},
        {"file name ending in a slash", "R (n=\"dir/\") { s{\"A\"} }", kResultInvalidPropertyValue},
        {"file name .", "R (n=\".\") { s{\"A\"} }", kResultInvalidPropertyValue},
        {"file name ..", "R (n=\"..\") { s{\"A\"} }", kResultInvalidPropertyValue},
        {"no face list", "R (n=\"a.ttf\") { }", kResultMissingSubstructure},
        {"only an unknown structure", "R (n=\"a.ttf\") { Q { } }", kResultMissingSubstructure},
        {"a face list without a string", "R (n=\"a.ttf\") { s{\"A\"} s{} }", kResultInvalidDataFormat},
        {"a list of numbers as a face", "R (n=\"a.ttf\") { u32{1} }", kResultInvalidStructure},
        {"a face list at the top level", "s{\"A\"}", kResultInvalidStructure},
        {"a syntax error", "R (n=\"a.ttf\") { s{\"A\"} ", kResultSyntax},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.name);
        // The fallback rescan finds no installed fonts and writes the local data folder's file.
        test::FolderEnvironment environment;
        test::ScopedSystemFontRoots systemRoots(environment.Path("system"));
        std::string text = good + c.text;
        FontManager parsed;
        EXPECT_EQ(parsed.ParseAndResolve(text.c_str()), c.result);

        test::TempDirectory folder;
        std::string path = folder.File("fonts.quist");
        WriteFile(path, text);
        FontManager manager;
        manager.LoadFile(path.c_str());
        EXPECT_EQ(CountResources(manager), 0);
        EXPECT_EQ(manager.FindFontName("Good"), nullptr);
        EXPECT_TRUE(manager.GetResourceMap()->IsEmpty());
        EXPECT_EQ(ReadFile(path), text);
        EXPECT_EQ(ReadFile(GetLocalDataFolder().GetText() + std::string(kFontsFileName)), "");
    }
}

TEST(FontRegistry, LoadReadsAValidFile)
{
    test::FolderEnvironment environment;
    test::ScopedSystemFontRoots systemRoots(environment.Path("system"));
    test::TempDirectory folder;
    std::string path = folder.File("fonts.quist");
    // Unknown properties and structures are skipped; "c" alone means true.
    WriteFile(path, "// comment\nR (n=\"a.ttc\", c, weight=3.5, x=\"y\") { s{\"A\"} Q (z=1) { s{\"no\"} } s{\"B\"} }\n");
    FontManager manager;
    manager.LoadFile(path.c_str());
    ASSERT_NE(manager.FindFontName("B"), nullptr);
    EXPECT_EQ(manager.FindFontName("B")->GetFaceIndex(), 1);
    EXPECT_TRUE(manager.FindFontName("a")->GetFontResource()->GetSharedTablesFlag());
    EXPECT_EQ(manager.FindFontName("no"), nullptr);

    // Missing, empty and damaged files.
    FontManager missing;
    missing.LoadFile(folder.File("absent.quist").c_str());
    EXPECT_EQ(CountResources(missing), 0);

    WriteFile(path, "");
    FontManager empty;
    empty.LoadFile(path.c_str());
    EXPECT_EQ(CountResources(empty), 0);

    // A file past the size cap is not read, even when it would parse.
    std::string large = "R (n=\"a.ttf\") { s{\"A\"} }\n";
    large.resize(kMaxFontsFileSize + 1, ' ');
    WriteFile(path, large);
    FontManager pastCap;
    pastCap.LoadFile(path.c_str());
    EXPECT_EQ(pastCap.FindFontName("A"), nullptr);

    const char damaged[] = "R (n=\"a.ttf\") { s{\"A\"} }\n\0R (n=\"\") { s{\"B\"} }\n";
    WriteFile(path, std::string(damaged, sizeof(damaged) - 1));
    FontManager withNul;
    withNul.LoadFile(path.c_str());
    EXPECT_EQ(withNul.FindFontName("A"), nullptr);
}

TEST(FontRegistry, FindsNamesWithoutCaseAndPrefersTrueType)
{
    FontManager manager;
    ASSERT_EQ(manager.ParseAndResolve("R (n=\"Arial.otf\") { s{\"Arial Bold\"} s{\"Font 10\"} s{\"Font 9\"} }\n"
                                      "R (n=\"ARIAL.TTF\") { s{\"Arial\"} }\n"
                                      "R (n=\"Times.OTF\") { s{\"Times\"} }\n"
                                      "R (n=\"Mono.Ttf\") { s{\"Mono\"} }\n"
                                      "R (n=\"mono.otf\") { s{\"Mono Other\"} }\n"),
              0u);
    struct Case
    {
        const char *query;
        const char *face;  // null: not found
    };
    const Case faces[] = {
        {"arial BOLD", "Arial Bold"}, {"ARIAL", "Arial"}, {"font 9", "Font 9"}, {"FONT 10", "Font 10"},
        {"Font 09", nullptr},         {"Arial Bol", nullptr}, {"", nullptr},
    };
    // What a look-up found, "(none)" for nothing.
    auto shown = [](const char *text) { return std::string(text != nullptr ? text : "(none)"); };
    for (const Case &c : faces)
    {
        FontFaceEntry *entry = manager.FindFontName(c.query);
        EXPECT_EQ(shown(entry != nullptr ? entry->GetFaceName() : nullptr), shown(c.face)) << c.query;
    }
    const Case files[] = {
        {"arial", "ARIAL.TTF"}, {"Arial", "ARIAL.TTF"}, {"TIMES", "Times.OTF"},
        {"mono", "Mono.Ttf"},   {"Arial.ttf", nullptr}, {"Tim", nullptr},
    };
    for (const Case &c : files)
    {
        FontResource *resource = manager.FindResourceByFontFileName(c.query);
        EXPECT_EQ(shown(resource != nullptr ? resource->GetFileName().GetText() : nullptr), shown(c.face)) << c.query;
    }
}

const char kRegistryText[] = "R (n=\"a \\\"quoted\\\".ttc\", c) { s{\"A \\u03B1\"} s{\"B\"} }\n"
                             "R (n=\"b.otf\") { s{\"C\"} }\n";

TEST(FontRegistry, SavesAndLoadsInTheLocalDataFolder)
{
    test::FolderEnvironment environment;
    FontManager manager;
    ASSERT_EQ(manager.ParseAndResolve(kRegistryText), 0u);
    ASSERT_EQ(manager.Save(), kFileOkay);
    std::string folder = GetLocalDataFolder().GetText();
    ASSERT_EQ(folder, environment.Path("home/.local/share/OrlendoQuist/"));
    EXPECT_EQ(ReadFile(folder + "fonts.quist"), WrittenText(manager));
    EXPECT_EQ(ListFolder(folder), std::vector<std::string>{"fonts.quist"});

    FontManager loaded;
    loaded.Load();
    EXPECT_EQ(WrittenText(loaded), WrittenText(manager));
    ASSERT_NE(loaded.FindFontName("a \xCE\xB1"), nullptr);
    EXPECT_STREQ(loaded.FindResourceByFontFileName("B")->GetFileName(), "b.otf");

    // An empty registry writes an empty file, which loads as an empty registry.
    FontManager empty;
    ASSERT_EQ(empty.Save(), kFileOkay);
    EXPECT_EQ(ReadFile(folder + "fonts.quist"), "");
    loaded.Load();
    EXPECT_EQ(CountResources(loaded), 0);
}

TEST(FontRegistry, AFailedSaveKeepsTheOldFileAndReturnsTheError)
{
    struct Case
    {
        const char *name;
        void (*fault)(test::FaultyFileCalls *calls);
        int32_t result;
    };
    const Case cases[] = {
        {"the create fails", [](test::FaultyFileCalls *c) { c->createError = EACCES; }, kFileAccessDenied},
        {"the disk is full at byte 10", [](test::FaultyFileCalls *c) { c->writeLimit = 10; }, kFileDiskFull},
        {"a write stops short", [](test::FaultyFileCalls *c) {
             c->writeLimit = 10;
             c->writeError = 0;
         }, kFileTransferFailed},
        {"fsync fails", [](test::FaultyFileCalls *c) { c->syncError = EIO; }, kFileTransferFailed},
        {"rename fails", [](test::FaultyFileCalls *c) { c->renameError = EIO; }, kFileTransferFailed},
    };
    const std::string old = "R (n=\"old.ttf\") { s{\"Old\"} }\n";
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.name);
        test::FolderEnvironment environment;
        std::string folder = GetLocalDataFolder().GetText();
        ASSERT_FALSE(folder.empty());
        WriteFile(folder + "fonts.quist", old);

        FontManager manager;
        ASSERT_EQ(manager.ParseAndResolve(kRegistryText), 0u);
        {
            test::FaultyFileCalls calls;
            c.fault(&calls);
            EXPECT_EQ(manager.Save(), c.result);
        }
        EXPECT_EQ(ReadFile(folder + "fonts.quist"), old);
        EXPECT_EQ(ListFolder(folder), std::vector<std::string>{"fonts.quist"});
    }
}

TEST(FontRegistry, WithoutADataFolderNothingIsReadOrWritten)
{
    test::FolderEnvironment environment;
    // A regular file where the data folder's parent must be.
    std::string file = environment.Path("file");
    WriteFile(file, "x");
    test::FolderEnvironment::Set("XDG_DATA_HOME", file);
    test::FolderEnvironment::Set("HOME", file);
    ASSERT_TRUE(GetLocalDataFolder().IsEmpty());
    test::ScopedSystemFontRoots systemRoots(environment.Path("system"));

    FontManager manager;
    ASSERT_EQ(manager.ParseAndResolve(kRegistryText), 0u);
    EXPECT_NE(manager.Save(), kFileOkay);
    manager.Load();
    EXPECT_EQ(CountResources(manager), 0);
    EXPECT_EQ(ReadFile(file), "x");
    EXPECT_EQ(ListFolder(environment.folder.Path()), (std::vector<std::string>{"file", "system"}));
}

}  // namespace
}  // namespace oq
