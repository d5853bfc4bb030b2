// Damaged positioning, substitution, caret and colour tables: every prefix and every byte set to
// 0xFF of the fuzz seeds' tables imports, or is refused as 'CRPT' (every limit and fault of these
// tables is), never read outside its bytes (run under the sanitizers too).
#include "ImportDump.h"
#include "SfntTestBuilder.h"

#include "ambrel/AmbrelDocument.h"
#include "vorlfont/opentype/OpenTypeImporter.h"
#include "vorlfont/opentype/SfntFile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace oq {
namespace {

using test::Bytes;

// Imports the seed's tables (the layout_tables_fuzz input form) in a small face.
uint32_t ImportSeed(const Bytes &seed)
{
    uint16_t glyphCount = uint16_t(seed[1] << 8 | seed[2]);
    Bytes rest(seed.begin() + 3, seed.end());
    test::TestFace face = test::MinimalFace(glyphCount);
    if ((seed[0] & 3) == 3)
    {
        size_t split = size_t(rest[0]) << 24 | size_t(rest[1]) << 16 | size_t(rest[2]) << 8 | rest[3];
        split = std::min(split, rest.size() - 4);
        face.Set("CPAL", Bytes(rest.begin() + 4, rest.begin() + 4 + ptrdiff_t(split)));
        face.Set("COLR", Bytes(rest.begin() + 4 + ptrdiff_t(split), rest.end()));
    }
    else
    {
        const char *tags[] = {"GPOS", "GSUB", "GDEF"};
        face.Set(tags[seed[0] & 3], rest);
    }
    Bytes font = test::BuildSfnt({face}, false);
    AmbrelDocument document;
    return ImportOpenTypeFont(font.data(), font.size(), &document);
}

TEST(LayoutRobustness, DamagedSeedTablesEndWithACode)
{
    int seeds = 0;
    for (const auto &entry : std::filesystem::directory_iterator(OQ_SOURCE_DIR "/fuzz/corpus/layout_tables_fuzz"))
    {
        std::vector<unsigned char> seed = test::ReadFileBytes(entry.path().string());
        ASSERT_GT(seed.size(), 7u);
        ++seeds;
        EXPECT_EQ(ImportSeed(seed), 0u) << entry.path();
        int failures = 0;
        auto import = [&](const Bytes &damaged, size_t at) {
            uint32_t result = ImportSeed(damaged);
            EXPECT_TRUE(result == 0 || result == kResultCorrupt) << entry.path() << " at " << at << ": " << result;
            failures += result != 0;
        };
        size_t head = (seed[0] & 3) == 3 ? 7 : 3;
        for (size_t length = head; length < seed.size(); ++length) import(Bytes(seed.begin(), seed.begin() + ptrdiff_t(length)), length);
        for (size_t i = head; i < seed.size(); ++i)
        {
            Bytes damaged = seed;
            damaged[i] = 0xFF;
            import(damaged, i);
        }
        // Damage is found somewhere: offsets past the table's end fail the import.
        EXPECT_GT(failures, 0) << entry.path();
    }
    EXPECT_GE(seeds, 10);
}

}  // namespace
}  // namespace oq
