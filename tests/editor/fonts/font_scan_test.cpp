#include <gtest/gtest.h>

#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "base/File.h"
#include "editor/fonts/FolderEnvironment.h"
#include "editor/fonts/FolderFiles.h"
#include "editor/fonts/Folders.h"
#include "editor/fonts/FontFaceEntry.h"
#include "editor/fonts/FontFileScan.h"
#include "editor/fonts/FontFileSource.h"
#include "editor/fonts/FontManager.h"
#include "editor/fonts/FontResource.h"
#include "editor/fonts/MasterFontTable.h"
#include "editor/fonts/SystemFontRoots.h"
#include "editor/platform/TextBuffer.h"
#include "vorlfont/opentype/SfntFile.h"
#include "vorlfont/opentype/SfntTestBuilder.h"

namespace oq {
namespace {

using test::Bytes;
using test::ReadFile;

test::TestFace NamedFace(const char16_t *fullName)
{
    test::TestFace face = test::MinimalFace();
    face.Set("name", test::NameTable({{3, 1, 0x409, 4, test::Utf16(fullName)}}));
    return face;
}

Bytes SingleFont(const char16_t *fullName)
{
    return test::BuildSfnt({NamedFace(fullName)}, false);
}

// Two faces; those of shared point the second face's tables of those tags at the first face's.
Bytes Collection(const std::vector<std::string> &shared)
{
    return test::BuildSfnt({NamedFace(u"One"), NamedFace(u"Two")}, true, shared);
}

const std::vector<std::string> kAllShared = {"glyf", "loca", "hmtx"};

// The byte position of the directory record of the tag in the face whose offset table is at
// offsetTable.
size_t RecordOf(const Bytes &file, size_t offsetTable, const char *tag)
{
    size_t count = size_t(file[offsetTable + 4]) << 8 | file[offsetTable + 5];
    for (size_t i = 0; i < count; ++i)
    {
        size_t record = offsetTable + 12 + 16 * i;
        if (std::string(reinterpret_cast<const char *>(&file[record]), 4) == tag) return record;
    }
    ADD_FAILURE() << "no " << tag;
    return 0;
}

Bytes Patched(Bytes file, size_t at, uint32_t value)
{
    test::ByteWriter w{std::move(file)};
    w.PutU32(at, value);
    return w.bytes;
}

bool WriteBytes(const std::string &path, const Bytes &bytes)
{
    return test::WriteFile(path, std::string(bytes.begin(), bytes.end()));
}

TEST(FontScan, MalformedFilesGiveNoResource)
{
    Bytes collection = Collection(kAllShared);
    size_t secondFace = size_t(collection[16]) << 24 | size_t(collection[17]) << 16 | size_t(collection[18]) << 8 | collection[19];
    Bytes single = SingleFont(u"Single");

    // 257 faces, each pointing at the same well-formed face.
    Bytes manyFaces;
    {
        test::ByteWriter w;
        w.Tag("ttcf").U32(0x00010000).U32(257);
        uint32_t face = 12 + 4 * 257;
        for (int i = 0; i < 257; ++i) w.U32(face);
        Bytes one = SingleFont(u"Many");
        // The single font's offsets count from its own start: move them by the header's size.
        size_t count = size_t(one[4]) << 8 | one[5];
        test::ByteWriter moved{one};
        for (size_t i = 0; i < count; ++i)
        {
            size_t record = 12 + 16 * i;
            moved.PutU32(record + 8, (uint32_t(one[record + 8]) << 24 | uint32_t(one[record + 9]) << 16 |
                                      uint32_t(one[record + 10]) << 8 | one[record + 11]) + face);
        }
        w.Raw(moved.bytes);
        manyFaces = w.bytes;
    }
    Bytes shortHead = Patched(collection, RecordOf(collection, secondFace, "head") + 12, 4);
    // Offset plus length reaches 2^32 + 16: in 32 bits it would wrap to a small end inside the file.
    Bytes wrappedHead = Patched(Patched(collection, RecordOf(collection, secondFace, "head") + 8, 0xFFFFFFF0u),
                                RecordOf(collection, secondFace, "head") + 12, 0x20);
    Bytes wrappedName = Patched(Patched(single, RecordOf(single, 0, "name") + 8, 0xFFFFFFF0u),
                                RecordOf(single, 0, "name") + 12, 0x20);
    size_t nameTable = [&single] {
        size_t record = RecordOf(single, 0, "name");
        return size_t(single[record + 8]) << 24 | size_t(single[record + 9]) << 16 | size_t(single[record + 10]) << 8 |
               single[record + 11];
    }();
    Bytes nameOutside = single;
    nameOutside[nameTable + 6 + 10] = 0x7F;  // the record's string offset, high byte
    Bytes noNames = single;
    noNames[nameTable + 2] = 0;
    noNames[nameTable + 3] = 0;

    struct Case
    {
        const char *what;
        Bytes file;
    };
    const Case cases[] = {
        {"11 bytes", Bytes(single.begin(), single.begin() + 11)},
        {"12 bytes of ttcf", Bytes(collection.begin(), collection.begin() + 12)},
        {"13 bytes of ttcf", Bytes(collection.begin(), collection.begin() + 13)},
        {"15 bytes of ttcf", Bytes(collection.begin(), collection.begin() + 15)},
        {"4095 faces in 20 bytes", Patched(Bytes(collection.begin(), collection.begin() + 20), 8, 4095)},
        {"no faces", Patched(collection, 8, 0)},
        {"257 faces", manyFaces},
        {"head of 4 bytes", shortHead},
        {"head offset plus length past 2^32", wrappedHead},
        {"name offset plus length past 2^32", wrappedName},
        {"name record outside its table", nameOutside},
        {"name count 0", noNames},
        {"face offset past the end", Patched(collection, 16, 0xFFFFFFF8u)},
        {"unknown version", Patched(single, 0, 0x00020000)},
        {"directory past the end", Bytes(single.begin(), single.begin() + 40)},
    };
    test::TempDirectory folder;
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.what);
        FontBytesSource memory(FontBytes{c.file.data(), c.file.size()});
        EXPECT_EQ(BuildFontResource("x.ttc", memory), nullptr);
        std::string path = folder.File("x.ttc");
        ASSERT_TRUE(WriteBytes(path, c.file));
        FontFileSource file;
        ASSERT_TRUE(file.Open(path.c_str()));
        EXPECT_EQ(BuildFontResource("x.ttc", file), nullptr);
    }
    // The well-formed originals build, and 256 faces are still taken.
    for (const Bytes *good : {&collection, &single})
    {
        FontResource *resource = BuildFontResource("x.ttc", FontBytesSource(FontBytes{good->data(), good->size()}));
        EXPECT_NE(resource, nullptr);
        delete resource;
    }
    Bytes fewer = Patched(manyFaces, 8, 256);
    FontBytesSource fewerSource(FontBytes{fewer.data(), fewer.size()});
    EXPECT_EQ(TestSharedTables(fewerSource), 1);
}

TEST(FontScan, SharedTablesAgreeWithTheCompiler)
{
    test::TestFace moved = NamedFace(u"Two");
    moved.Set("hmtx", test::MetricsTable({{600, 5}}, {10, 20, 30}));
    struct Case
    {
        const char *what;
        Bytes file;
        int32_t shared;
    };
    const Case cases[] = {
        {"all shared", Collection(kAllShared), 1},
        {"nothing shared", Collection({}), 0},
        {"hmtx elsewhere", test::BuildSfnt({NamedFace(u"One"), moved}, true, {"glyf", "loca"}), 0},
        {"one face", test::BuildSfnt({NamedFace(u"One")}, true), 1},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.what);
        FontBytes bytes{c.file.data(), c.file.size()};
        EXPECT_EQ(TestSharedTables(FontBytesSource(bytes)), c.shared);
        uint32_t faceCount = 0;
        ASSERT_EQ(ReadCollectionFaceCount(bytes, &faceCount), 0u);
        EXPECT_EQ(CollectionSharesTables(bytes, faceCount), c.shared == 1);
        FontResource *resource = BuildFontResource("x.ttc", FontBytesSource(bytes));
        ASSERT_NE(resource, nullptr);
        EXPECT_EQ(resource->GetSharedTablesFlag(), c.shared == 1);
        delete resource;
    }
}

TEST(FontScan, FontFileNames)
{
    struct Case
    {
        const char *name;
        bool font;
    };
    const Case cases[] = {{"a.ttf", true}, {"a.TTF", true}, {"b.OtF", true}, {"c.ttc", true}, {"d.otc", true},
                          {".ttf", false}, {"a.tt", false}, {"font.woff", false}, {"a.ttx", false},
                          {"a.pfb", false}, {"attf", false}};
    for (const Case &c : cases) EXPECT_EQ(IsFontFileName(c.name), c.font) << c.name;
}

class FontRescan : public ::testing::Test
{
protected:
    void SetUp() override
    {
        test::FolderEnvironment::Set("XDG_DATA_HOME", environment.Path("data"));
        ASSERT_EQ(mkdir(environment.Path("data").c_str(), 0700), 0);
        ASSERT_EQ(mkdir(environment.Path("data/fonts").c_str(), 0700), 0);
        ASSERT_EQ(mkdir(environment.Path("home").c_str(), 0700), 0);
        ASSERT_EQ(mkdir(environment.Path("home/.fonts").c_str(), 0700), 0);
    }

    void Put(const char *relative, const Bytes &bytes)
    {
        std::string path = environment.Path(relative);
        for (size_t slash = path.find('/', environment.folder.Path().size() + 1); slash != std::string::npos;
             slash = path.find('/', slash + 1))
            mkdir(path.substr(0, slash).c_str(), 0700);
        ASSERT_TRUE(WriteBytes(path, bytes)) << relative;
    }

    std::string FontsFileText() { return ReadFile(GetLocalDataFolder().GetText() + std::string(kFontsFileName)); }

    test::FolderEnvironment environment;
    test::ScopedSystemFontRoots systemRoots{environment.Path("system")};
    FontManager manager;
};

TEST_F(FontRescan, RegistersInstalledFilesOnceAndDropsRemovedOnes)
{
    Put("system/a.ttf", SingleFont(u"Alpha"));
    Put("system/nested/deep/b.otf", SingleFont(u"Beta"));
    Put("system/pair.ttc", Collection(kAllShared));
    Put("data/fonts/A.ttf", SingleFont(u"User Alpha"));
    Put("data/fonts/u.otf", SingleFont(u"User Font"));
    Put("home/.fonts/c.TTF", SingleFont(u"Gamma"));
    Put("system/.hidden.ttf", SingleFont(u"Hidden File"));
    Put("system/.dir/h.ttf", SingleFont(u"Hidden Folder"));
    Put("system/a.tt", SingleFont(u"Short Ending"));
    Put("system/font.woff", SingleFont(u"Web"));
    Put("system/x.ttf/inner.ttf", SingleFont(u"Inside"));
    Put("system/bad.ttf", Bytes(100, 0x55));
    ASSERT_EQ(symlink(environment.Path("system").c_str(), environment.Path("system/nested/loop").c_str()), 0);
    ASSERT_EQ(symlink(environment.Path("system/a.ttf").c_str(), environment.Path("system/nested/link.ttf").c_str()), 0);
    ASSERT_EQ(mkfifo(environment.Path("system/fifo.ttf").c_str(), 0600), 0);

    ASSERT_EQ(manager.Rescan(), kFileOkay);
    for (const char *face : {"Alpha", "Beta", "One", "Two", "User Font", "Gamma", "Inside"})
    {
        FontFaceEntry *entry = manager.FindFontName(face);
        ASSERT_NE(entry, nullptr) << face;
        EXPECT_NE(entry->GetFontResource(), nullptr) << face;
    }
    for (const char *face : {"User Alpha", "Hidden File", "Hidden Folder", "Short Ending", "Web"})
        EXPECT_EQ(manager.FindFontName(face), nullptr) << face;
    EXPECT_EQ(manager.FindFontName("Two")->GetFaceIndex(), 1);
    EXPECT_TRUE(manager.FindFontName("Two")->GetFontResource()->GetSharedTablesFlag());
    EXPECT_EQ(manager.FindResourceByFontFileName("x"), nullptr);
    EXPECT_NE(manager.FindResourceByFontFileName("link"), nullptr);
    // The built-in names stand in the name map without a face.
    for (int32_t row = 1; row < kMasterFontRowCount; ++row)
    {
        FontFaceEntry *entry = manager.FindFontName(MasterFontTable[row].name);
        ASSERT_NE(entry, nullptr) << MasterFontTable[row].name;
        if (FindMasterFontRow(entry->GetFaceName()) == row) { EXPECT_EQ(entry->GetFaceList(), nullptr); }
    }
    EXPECT_EQ(FontsFileText(), [this] {
        TextBuffer buffer;
        manager.WriteText(&buffer);
        std::string text(buffer.data ? buffer.data : "", buffer.size);
        buffer.Free();
        return text;
    }());
    EXPECT_NE(FontsFileText().find("R (n=\"pair.ttc\",c)\n{\n\ts{\"One\"}\n\ts{\"Two\"}\n}\n"), std::string::npos);

    // Removed files leave the registry; files already registered are not read again.
    ASSERT_EQ(unlink(environment.Path("system/nested/deep/b.otf").c_str()), 0);
    ASSERT_EQ(unlink(environment.Path("home/.fonts/c.TTF").c_str()), 0);
    Put("system/a.ttf", SingleFont(u"Alpha Changed"));
    ASSERT_EQ(manager.Rescan(), kFileOkay);
    EXPECT_EQ(manager.FindFontName("Beta"), nullptr);
    EXPECT_EQ(manager.FindFontName("Gamma"), nullptr);
    EXPECT_NE(manager.FindFontName("Alpha"), nullptr);
    EXPECT_EQ(FontsFileText().find("b.otf"), std::string::npos);
    EXPECT_EQ(FontsFileText().find("c.TTF"), std::string::npos);

    // A fresh start reads the registry back.
    FontManager loaded;
    loaded.Load();
    EXPECT_NE(loaded.FindFontName("User Font"), nullptr);
    EXPECT_EQ(loaded.FindFontName("Beta"), nullptr);
}

TEST_F(FontRescan, LoadWithoutARegistryRescans)
{
    Put("data/fonts/u.otf", SingleFont(u"User Font"));
    manager.Load();
    EXPECT_NE(manager.FindFontName("User Font"), nullptr);
    EXPECT_NE(FontsFileText().find("R (n=\"u.otf\")"), std::string::npos);
}

TEST_F(FontRescan, AnUnwritableRegistryIsReported)
{
    Put("system/a.ttf", SingleFont(u"Alpha"));
    // A folder where fonts.quist must go.
    std::string registry = GetLocalDataFolder().GetText() + std::string(kFontsFileName);
    ASSERT_EQ(mkdir(registry.c_str(), 0700), 0);
    EXPECT_NE(manager.Rescan(), kFileOkay);
    EXPECT_NE(manager.FindFontName("Alpha"), nullptr);
}

}  // namespace
}  // namespace oq
