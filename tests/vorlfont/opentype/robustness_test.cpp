// Cut and damaged fonts end with a result code: every prefix of each seed font, and every table
// record and leading count field set to values at and past the file's end.
#include "ImportDump.h"

#include "ambrel/AmbrelDocument.h"
#include "vorlfont/opentype/OpenTypeImporter.h"

#include <gtest/gtest.h>

#include <dirent.h>

#include <memory>
#include <string>
#include <vector>

namespace oq {
namespace {

using Bytes = std::vector<unsigned char>;

std::vector<std::string> SeedFonts()
{
    std::vector<std::string> paths;
    const std::string folder = OQ_SOURCE_DIR "/fuzz/corpus/opentype_import_fuzz";
    if (DIR *dir = opendir(folder.c_str()))
    {
        while (dirent *entry = readdir(dir))
            if (entry->d_name[0] != '.') paths.push_back(folder + "/" + entry->d_name);
        closedir(dir);
    }
    return paths;
}

// Imports a copy of exactly size bytes (so a read past the end is caught by the sanitizers).
uint32_t ImportCopy(const Bytes &bytes, size_t size)
{
    std::unique_ptr<unsigned char[]> copy(new unsigned char[size ? size : 1]);
    std::copy(bytes.begin(), bytes.begin() + ptrdiff_t(size), copy.get());
    AmbrelDocument document;
    return ImportOpenTypeFont(copy.get(), size, &document);
}

uint32_t Get32(const Bytes &b, size_t at)
{
    return uint32_t(b[at]) << 24 | uint32_t(b[at + 1]) << 16 | uint32_t(b[at + 2]) << 8 | b[at + 3];
}

void Put32(Bytes *b, size_t at, uint32_t v)
{
    for (int i = 0; i < 4; ++i) (*b)[at + size_t(i)] = uint8_t(v >> (24 - 8 * i));
}

// The offset-table offsets of a file: the collection's faces, or 0.
std::vector<size_t> FaceDirectories(const Bytes &b)
{
    if (Get32(b, 0) != 'ttcf') return {0};
    std::vector<size_t> faces;
    for (uint32_t i = 0; i < Get32(b, 8); ++i) faces.push_back(Get32(b, 12 + 4 * i));
    return faces;
}

TEST(ImportRobustness, SeedsImport)
{
    std::vector<std::string> seeds = SeedFonts();
    ASSERT_GE(seeds.size(), 8u);
    for (const std::string &path : seeds)
    {
        Bytes bytes = test::ReadFileBytes(path);
        EXPECT_EQ(ImportCopy(bytes, bytes.size()), 0u) << path;
    }
}

TEST(ImportRobustness, EveryPrefixEndsWithACode)
{
    for (const std::string &path : SeedFonts())
    {
        Bytes bytes = test::ReadFileBytes(path);
        for (size_t size = 0; size < bytes.size(); ++size)
        {
            uint32_t result = ImportCopy(bytes, size);
            // Only prefixes that keep every table the import reads may succeed.
            if (result == 0) { EXPECT_GT(size, 12u) << path; }
        }
    }
}

TEST(ImportRobustness, DamagedRecordsAndCounts)
{
    for (const std::string &path : SeedFonts())
    {
        Bytes bytes = test::ReadFileBytes(path);
        const uint32_t size = uint32_t(bytes.size());
        for (size_t directory : FaceDirectories(bytes))
        {
            uint32_t tableCount = uint32_t(bytes[directory + 4]) << 8 | bytes[directory + 5];
            for (uint32_t t = 0; t < tableCount; ++t)
            {
                size_t record = directory + 12 + 16 * t;
                uint32_t offset = Get32(bytes, record + 8);
                uint32_t length = Get32(bytes, record + 12);
                for (uint32_t value : {0u, size - 1, size, 0xFFFFFFFFu})
                {
                    for (size_t field : {record + 8, record + 12})
                    {
                        Bytes damaged = bytes;
                        Put32(&damaged, field, value);
                        static_cast<void>(ImportCopy(damaged, damaged.size()));
                    }
                }
                // Every 16-bit field in the table's first 40 bytes set to 0xFFFF (the counts).
                for (uint32_t at = 0; at + 2 <= length && at < 40 && uint64_t(offset) + at + 2 <= size; at += 2)
                {
                    Bytes damaged = bytes;
                    damaged[offset + at] = 0xFF;
                    damaged[offset + at + 1] = 0xFF;
                    static_cast<void>(ImportCopy(damaged, damaged.size()));
                }
            }
            Bytes manyTables = bytes;
            manyTables[directory + 4] = manyTables[directory + 5] = 0xFF;
            EXPECT_NE(ImportCopy(manyTables, manyTables.size()), 0u) << path;
        }
        if (Get32(bytes, 0) == 'ttcf')
        {
            for (uint32_t count : {0xFFFFu, 0x7FFFFFFFu, 0xFFFFFFFFu})
            {
                Bytes damaged = bytes;
                Put32(&damaged, 8, count);
                EXPECT_EQ(ImportCopy(damaged, damaged.size()), 'CRPT') << path;
            }
        }
    }
}

}  // namespace
}  // namespace oq
