// The numbered fonts of the build's Data folder: every file validates with its faces, and every
// shipped row loads its face, and every mapped glyph's box, curves, advance and slanted extent and
// every face's math axis match fontTools' reading of the Debian font the build compiled it from
// (data_font_metrics.py). The folder is only read.
#include "base/Bezier.h"
#include "editor/fonts/FontLoader.h"
#include "editor/fonts/MasterFontTable.h"
#include "editor/platform/FontFile.h"
#include "editor/platform/Heap.h"
#include "editor/platform/RecordingDevice.h"
#include "editor/platform/Renderer.h"
#include "vorl/text/FontDataAccess.h"
#include "vorl/text/VorlFontValidator.h"
#include "vorlfont/opentype/SfntFile.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fstream>
#include <map>
#include <ostream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace oq {
namespace {

const std::string kDataFolder = OQ_DATA_DIR;

// The master font table's rows with a file.
std::vector<int32_t> ShippedRows()
{
    std::vector<int32_t> rows;
    for (int32_t row = 0; row < kMasterFontRowCount; ++row)
        if (MasterFontTable[row].fileNumber >= 0) rows.push_back(row);
    return rows;
}

// Font records each file must hold: one more than its largest face index.
std::map<int32_t, uint32_t> ExpectedFaceCounts()
{
    std::map<int32_t, uint32_t> counts;
    for (int32_t row : ShippedRows())
    {
        const MasterFontRow &entry = MasterFontTable[row];
        counts[entry.fileNumber] = std::max(counts[entry.fileNumber], uint32_t(entry.faceIndex + 1));
    }
    return counts;
}

std::string DataPath(int32_t file)
{
    return kDataFolder + "/" + std::to_string(file) + ".vorl";
}

// A whole file in a 4-byte aligned block, as the loader reads it; empty when it cannot be read.
std::vector<uint32_t> ReadAligned(const std::string &path, size_t *size)
{
    std::ifstream stream(path, std::ios::binary | std::ios::ate);
    *size = 0;
    if (!stream) return {};
    *size = size_t(stream.tellg());
    std::vector<uint32_t> block((*size + 3) / 4);
    stream.seekg(0);
    stream.read(reinterpret_cast<char *>(block.data()), std::streamsize(*size));
    if (!stream) *size = 0;
    return block;
}

// A validated Data file with its expanded curve texels.
struct DataFile
{
    std::vector<uint32_t> image;
    size_t size = 0;
    std::vector<uint8_t> texels;

    const VorlFileHeader *Header() const { return reinterpret_cast<const VorlFileHeader *>(image.data()); }
    const VorlFontRecord *Record(uint32_t face) const { return GetVorlFontRecord(Header(), face); }
};

::testing::AssertionResult LoadDataFile(int32_t number, DataFile *file)
{
    std::string path = DataPath(number);
    file->image = ReadAligned(path, &file->size);
    if (file->size < sizeof(VorlFileHeader)) return ::testing::AssertionFailure() << "cannot read " << path;
    if (!ValidateVorlFontFile(file->image.data(), file->size))
        return ::testing::AssertionFailure() << path << " does not validate";
    if (std::memcmp(file->Header()->kind, "fnt", 4) != 0) return ::testing::AssertionFailure() << path << " is no font file";
    file->texels.resize(GetCurveTextureDataSize(file->Header()));
    if (!CopyCurveTextureData(file->Header(), file->texels.data(), uint32_t(file->texels.size())))
        return ::testing::AssertionFailure() << path << ": curve texture does not decode";
    return ::testing::AssertionSuccess();
}

// Every file of the table is there, validates, holds its faces, and every face carries the items
// and the contour runs the editor reads.
TEST(DataFonts, EveryFileValidatesWithItsFaces)
{
    for (const auto &[number, faces] : ExpectedFaceCounts())
    {
        SCOPED_TRACE(DataPath(number));
        DataFile file;
        ASSERT_TRUE(LoadDataFile(number, &file));
        EXPECT_EQ(file.Header()->count, faces);
        for (uint32_t face = 0; face < file.Header()->count; ++face)
        {
            const VorlFontRecord *record = file.Record(face);
            EXPECT_GT(record->glyphCount, 1u) << "face " << face;
            EXPECT_NE(record->contourListOffset, 0u) << "face " << face;
            for (uint32_t tag : {uint32_t('AXIS'), uint32_t('HITE'), uint32_t('SLNT')})
                EXPECT_NE(record->GetFontData(tag), nullptr) << "face " << face << " item " << char(tag >> 24)
                                                             << char(tag >> 16) << char(tag >> 8) << char(tag);
        }
    }
}

// File 21's source is one collection whose two faces share their tables, so the compiler wrote
// both faces into one file.
TEST(DataFonts, CollectionOfFile21SharesTables)
{
    size_t size = 0;
    std::vector<uint32_t> block = ReadAligned(OQ_DATA_FONT_COLLECTION, &size);
    ASSERT_GT(size, 0u) << OQ_DATA_FONT_COLLECTION;
    FontBytes bytes{reinterpret_cast<const uint8_t *>(block.data()), size};
    uint32_t faceCount = 0;
    ASSERT_EQ(ReadCollectionFaceCount(bytes, &faceCount), 0u);
    EXPECT_EQ(faceCount, 2u);
    EXPECT_TRUE(CollectionSharesTables(bytes, faceCount));
}

// What identifies a file's contents: size, modification time, inode.
struct FileStamp
{
    std::string name;
    off_t size;
    int64_t modified;
    ino_t inode;
    bool operator==(const FileStamp &) const = default;
};

std::vector<FileStamp> StampFolder(const std::string &folder)
{
    std::vector<FileStamp> stamps;
    DIR *directory = opendir(folder.c_str());
    if (directory == nullptr) return stamps;
    while (dirent *entry = readdir(directory))
    {
        std::string name = entry->d_name;
        if (name == "." || name == "..") continue;
        struct stat status = {};
        if (stat((folder + "/" + name).c_str(), &status) != 0) continue;
        stamps.push_back({name, status.st_size, int64_t(status.st_mtim.tv_sec) * 1000000000 + status.st_mtim.tv_nsec,
                          status.st_ino});
    }
    closedir(directory);
    std::sort(stamps.begin(), stamps.end(), [](const FileStamp &a, const FileStamp &b) { return a.name < b.name; });
    return stamps;
}

// The loaders' renderer: a recording device over the build's Data folder, never started (no
// textures are made).
struct DataFolderRenderer
{
    DataFolderRenderer() : heap("test"), renderer(&device, kDataFolder.c_str(), &heap) { SetRenderer(&renderer); }
    ~DataFolderRenderer() { SetRenderer(nullptr); }

    RecordingDevice device;
    Heap heap;
    Renderer renderer;
};

// The folder holds only what the build writes there (the table's Vorl files, the icon files and the
// shader files), and loading every shipped row and reading every glyph of every file leaves it as it
// was.
TEST(DataFonts, FolderStaysReadOnly)
{
    std::vector<FileStamp> before = StampFolder(kDataFolder);
    ASSERT_FALSE(before.empty()) << kDataFolder;
    std::set<std::string> fontNames;
    for (const auto &entry : ExpectedFaceCounts()) fontNames.insert(std::to_string(entry.first) + ".vorl");
    // The icon files the build compiles beside them.
    for (const char *icons : {"Tools", "Spaces", "Marks", "Brackets", "Structures", "Iterations", "Integrals",
                              "Widemarks", "Arrows", "Bonds", "Matrices"})
    {
        fontNames.insert(std::string(icons) + ".vorl");
    }
    for (const FileStamp &stamp : before)
    {
        bool shader = stamp.name.size() > 5 && stamp.name.compare(stamp.name.size() - 5, 5, ".glsl") == 0;
        EXPECT_TRUE(shader || fontNames.count(stamp.name) == 1) << "unexpected file " << stamp.name << " in " << kDataFolder;
    }

    {
        DataFolderRenderer data;
        for (int32_t row : ShippedRows())
        {
            Font *font = LoadFontByIndex(row);
            ASSERT_NE(font, nullptr) << MasterFontTable[row].name;
            font->Release();
        }
    }
    std::vector<QuadraticBezier2D> curves;
    for (const auto &entry : ExpectedFaceCounts())
    {
        DataFile file;
        ASSERT_TRUE(LoadDataFile(entry.first, &file));
        const VorlFontRecord *record = file.Record(0);
        for (uint32_t glyph = 0; glyph < record->glyphCount; ++glyph)
        {
            curves.resize(record->GetGlyphCurveCount(glyph));
            if (!curves.empty()) ExtractGlyphCurves(record, glyph, file.Header(), file.texels.data(), curves.data());
        }
    }
    EXPECT_EQ(StampFolder(kDataFolder), before);
}

// fontTools' reading of one source face.
struct SourceMetrics
{
    double unitsPerEm = 0.0;
    bool hasAxis = false;
    double axis = 0.0;
    struct Glyph
    {
        double advance;
        bool hasOutline;
        double box[4];
        double slanted[2];   // left and right along the slanted direction
    };
    std::map<uint32_t, Glyph> glyphs;   // by code point
};

// The slant of the extents compared (radians).
constexpr float kSlantAngle = 0.25F;

bool ReadSourceMetrics(const std::string &path, int32_t face, SourceMetrics *metrics)
{
    std::string command = "/usr/bin/python3 -B " OQ_SOURCE_DIR "/tests/editor/fonts/data_font_metrics.py '" + path +
                          "' " + std::to_string(face) + " " + std::to_string(kSlantAngle);
    FILE *pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) return false;
    std::string text;
    char buffer[65536];
    size_t count;
    while ((count = fread(buffer, 1, sizeof(buffer), pipe)) > 0) text.append(buffer, count);
    if (pclose(pipe) != 0) return false;

    std::istringstream lines(text);
    std::string line, word, axis;
    if (!std::getline(lines, line)) return false;
    std::istringstream head(line);
    head >> word >> metrics->unitsPerEm >> word >> axis;
    if (metrics->unitsPerEm <= 0.0) return false;
    metrics->hasAxis = axis != "-";
    if (metrics->hasAxis) metrics->axis = std::stod(axis);
    while (std::getline(lines, line))
    {
        std::istringstream fields(line);
        uint32_t codePoint = 0;
        SourceMetrics::Glyph glyph = {};
        fields >> codePoint >> glyph.advance;
        glyph.hasOutline = bool(fields >> glyph.box[0] >> glyph.box[1] >> glyph.box[2] >> glyph.box[3] >>
                                glyph.slanted[0] >> glyph.slanted[1]);
        metrics->glyphs[codePoint] = glyph;
    }
    return !metrics->glyphs.empty();
}

// The Data fonts' sources, as the build wrote them: "file-number path" per line (file 21: the
// collection it compiled).
std::map<int32_t, std::string> ReadSources()
{
    std::map<int32_t, std::string> sources;
    std::ifstream stream(OQ_DATA_FONT_SOURCES);
    int32_t number = 0;
    std::string path;
    while (stream >> number >> path) sources[number] = path;
    return sources;
}

// Tolerances in ems. Advances are whole font units divided exactly. Boxes: TrueType curves are
// stored as half floats (11 significant bits of the glyph's largest coordinate); CFF cubics become
// quadratics within 2^-10 em on top of that.
constexpr double kAdvanceTolerance = 1e-6;
constexpr double kHalfPrecision = 1.0 / 2048.0;
constexpr double kCubicTolerance = 1.0 / 1024.0;

class DataFontMetrics : public ::testing::TestWithParam<int32_t>
{
};

// The row loads its face from the Data folder. Its mapped glyphs' advances and boxes (the Font's
// and the curves' own) and slanted extents, and the face's math axis height (the MATH table's
// AxisHeight, else the middle of the '=' glyph's box, as the compiler takes it) match fontTools.
TEST_P(DataFontMetrics, MatchFontTools)
{
    const int32_t row = GetParam();
    const MasterFontRow &entry = MasterFontTable[row];
    std::map<int32_t, std::string> sources = ReadSources();
    ASSERT_EQ(sources.count(entry.fileNumber), 1u) << OQ_DATA_FONT_SOURCES;
    const std::string &source = sources[entry.fileNumber];
    SourceMetrics metrics;
    ASSERT_TRUE(ReadSourceMetrics(source, entry.faceIndex, &metrics)) << source;
    const bool cubic = source.size() > 4 && source.compare(source.size() - 4, 4, ".ttf") != 0;

    DataFile file;
    ASSERT_TRUE(LoadDataFile(entry.fileNumber, &file));
    ASSERT_LT(uint32_t(entry.faceIndex), file.Header()->count);
    const VorlFontRecord *record = file.Record(entry.faceIndex);
    const double em = metrics.unitsPerEm;

    DataFolderRenderer data;
    Font *font = LoadFontByIndex(row);
    ASSERT_NE(font, nullptr) << entry.name;
    EXPECT_EQ(font->faceIndex, int32_t(entry.faceIndex));
    EXPECT_STREQ(font->name.GetText(), entry.name);
    EXPECT_EQ(font->GetGlyphCount(), record->glyphCount);
    EXPECT_EQ(std::memcmp(font->GetRecord(), record, sizeof(VorlFontRecord)), 0);

    if (metrics.hasAxis)
    {
        EXPECT_NEAR(font->axisHeight, metrics.axis / em, 1e-6);
    }
    else
    {
        ASSERT_EQ(metrics.glyphs.count('='), 1u);
        const SourceMetrics::Glyph &equals = metrics.glyphs['='];
        EXPECT_NEAR(font->axisHeight, (equals.box[1] + equals.box[3]) * 0.5 / em, 2.0 * kHalfPrecision);
    }

    std::vector<QuadraticBezier2D> curves;
    int32_t checked = 0, failures = 0;
    for (const auto &[codePoint, theirs] : metrics.glyphs)
    {
        if (failures >= 10) break;
        uint32_t index = record->GetGlyphIndex(codePoint);
        if (index == 0) continue;   // left out by the compiler's character selection (controls)
        ++checked;
        std::ostringstream fault;
        float advance = -1.0F;
        GlyphBounds bounds = font->GetGlyphBounds(index, 0, &advance);
        if (std::fabs(advance - theirs.advance / em) > kAdvanceTolerance)
            fault << " advance " << advance * em << " / " << theirs.advance;

        curves.resize(record->GetGlyphCurveCount(index));
        if (!curves.empty()) ExtractGlyphCurves(record, index, file.Header(), file.texels.data(), curves.data());
        if (theirs.hasOutline != !curves.empty())
        {
            fault << " outline " << curves.size() << " curves";
        }
        else if (theirs.hasOutline)
        {
            double largest = std::max({std::fabs(theirs.box[0]), std::fabs(theirs.box[1]), std::fabs(theirs.box[2]),
                                       std::fabs(theirs.box[3])}) / em;
            double tolerance = (largest + 1.0) * kHalfPrecision + (cubic ? kCubicTolerance : 0.0);
            float curveBox[4] = {INFINITY, INFINITY, -INFINITY, -INFINITY};
            for (const QuadraticBezier2D &curve : curves)
            {
                float low, high;
                curve.GetXExtent(&low, &high);
                curveBox[0] = std::min(curveBox[0], low);
                curveBox[2] = std::max(curveBox[2], high);
                curve.GetYExtent(&low, &high);
                curveBox[1] = std::min(curveBox[1], low);
                curveBox[3] = std::max(curveBox[3], high);
            }
            const float fontBox[4] = {bounds.xMin, bounds.yMin, bounds.xMax, bounds.yMax};
            for (int32_t k = 0; k < 4; ++k)
            {
                double expected = theirs.box[k] / em;
                if (std::fabs(fontBox[k] - expected) > tolerance || std::fabs(curveBox[k] - expected) > tolerance)
                {
                    fault << " box[" << k << "] font " << fontBox[k] * em << " curves " << curveBox[k] * em << " / "
                          << theirs.box[k];
                }
            }
            // Along the slant both coordinates count: the tolerance grows by cos + sin.
            float angle = kSlantAngle;
            GlyphExtent extent = font->GetSlantedGlyphExtent(index, 0, &angle);
            const double slantTolerance = tolerance * (std::cos(kSlantAngle) + std::sin(kSlantAngle));
            if (std::fabs(extent.left - theirs.slanted[0] / em) > slantTolerance ||
                std::fabs(extent.right - theirs.slanted[1] / em) > slantTolerance)
            {
                fault << " slanted " << extent.left * em << ", " << extent.right * em << " / " << theirs.slanted[0]
                      << ", " << theirs.slanted[1];
            }
        }
        if (!fault.str().empty())
        {
            ++failures;
            ADD_FAILURE() << "U+" << std::hex << codePoint << std::dec << " (glyph " << index << "):" << fault.str();
        }
    }
    // Nearly every code point the source maps is kept.
    EXPECT_GE(checked, int32_t(metrics.glyphs.size()) * 9 / 10);
    font->Release();
    EXPECT_EQ(Font::GetFirst(), nullptr);
    EXPECT_EQ(FontFile::GetFirst(), nullptr);
}

std::string RowName(const ::testing::TestParamInfo<int32_t> &info)
{
    return "Row" + std::to_string(info.param);
}

INSTANTIATE_TEST_SUITE_P(ShippedRows, DataFontMetrics, ::testing::ValuesIn(ShippedRows()), RowName);

}  // namespace
}  // namespace oq
