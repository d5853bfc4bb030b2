#include "vorlfont/compiler/VorlFontRun.h"

#include "ambrel/AmbrelDocument.h"
#include "ambrel/FontStructure.h"
#include "ambrel/GlyphStructure.h"
#include "ambrel/TextOutputStream.h"
#include "vorl/text/OutputSink.h"
#include "vorlfont/compiler/CompileResultCodes.h"
#include "vorlfont/compiler/FontCompiler.h"
#include "vorlfont/compiler/VorlFontCommandLine.h"
#include "vorlfont/opentype/OpenTypeImporter.h"
#include "vorlfont/opentype/OutlineLimits.h"
#include "vorlfont/opentype/SfntFile.h"

#include <cctype>
#include <cstdlib>
#include <cstring>

namespace oq {

namespace {

constexpr const char *kCannotOpenInput = "Error: Cannot open input file.";
constexpr const char *kOutOfMemory = "Error: Out of memory.";
constexpr const char *kUnknownFailure = "Error: Font conversion failed.";

// A name of at least 5 characters ending in .ttf, .ttc, .otf or .otc in any case.
bool IsFontFileName(const char *name)
{
    size_t length = std::strlen(name);
    if (length < 5) return false;
    const char *end = name + length - 4;
    if (end[0] != '.') return false;
    char a = char(std::tolower(static_cast<unsigned char>(end[1])));
    char b = char(std::tolower(static_cast<unsigned char>(end[2])));
    char c = char(std::tolower(static_cast<unsigned char>(end[3])));
    return (a == 't' && b == 't' && (c == 'f' || c == 'c')) || (a == 'o' && b == 't' && (c == 'f' || c == 'c'));
}

// The metric switches that were given, stored into a top-level Font.
void ApplyMetrics(const VorlFontOptions &options, FontStructure *font)
{
    auto store = [](float value, float marker, float *target) {
        if (value != marker) *target = value;
    };
    for (int32_t i = 0; i < 2; ++i)
    {
        store(options.subscriptScale[i], kScaleNotGiven, &font->subscriptScale[i]);
        store(options.subscriptOffset[i], kPositionNotGiven, &font->subscriptOffset[i]);
        store(options.superscriptScale[i], kScaleNotGiven, &font->superscriptScale[i]);
        store(options.superscriptOffset[i], kPositionNotGiven, &font->superscriptOffset[i]);
    }
    store(options.underlineSize, kScaleNotGiven, &font->underlineSize);
    store(options.underlinePosition, kPositionNotGiven, &font->underlinePosition);
    store(options.strikethroughSize, kScaleNotGiven, &font->strikethroughSize);
    store(options.strikethroughPosition, kPositionNotGiven, &font->strikethroughPosition);
}

void ApplySettings(const VorlFontOptions &options, FontCompileSettings *settings)
{
    if (options.polygonVertexCount != 0) settings->polygonVertexCount = options.polygonVertexCount;
    if (options.polygonEdgeFactor != 0.0f) settings->polygonEdgeFactor = options.polygonEdgeFactor;
    if (options.maxBandCount != 0) settings->maxBandCount = options.maxBandCount;
    if (options.outlineEffectSize != 0.0f) settings->outlineEffectSize = options.outlineEffectSize;
    if (options.outlineMiterLimit != 0.0f) settings->outlineMiterLimit = options.outlineMiterLimit;
    if (options.outlineJoin != 0) settings->outlineJoin = options.outlineJoin;
}

// Reads the whole input, with a NUL after it, and closes it. The buffer comes from the system
// allocator so that a file too large for memory gives 'MEMY'; a short or failed read gives 'READ'.
uint32_t ReadInput(File *input, char **text, uint32_t *size)
{
    uint64_t length = input->GetSize();
    if (length >= 0x7FFFFFFF)
    {
        static_cast<void>(input->Close());  // the read failed already; closing a reader loses nothing
        return kResultReadFailed;
    }
    auto *buffer = static_cast<char *>(std::malloc(size_t(length) + 1));
    if (buffer == nullptr)
    {
        static_cast<void>(input->Close());  // as above
        return kResultOutOfMemory;
    }
    int32_t result = input->Read(buffer, uint32_t(length));
    static_cast<void>(input->Close());  // a reader's close has nothing left to lose
    if (result != kFileOkay)
    {
        std::free(buffer);
        return kResultReadFailed;
    }
    buffer[length] = 0;
    *text = buffer;
    *size = uint32_t(length);
    return 0;
}

// Whether every outline coordinate of the document's glyphs lies within the limit the importer
// keeps to (beyond it the curve texels and bounding polygons are no longer finite).
bool AreOutlinesWithinLimit(const AmbrelDocument &document)
{
    for (const FontStructure *font = document.fontList.GetFirst(); font != nullptr;
         font = StructureList<FontStructure>::GetNext(font))
    {
        for (uint32_t i = 0; i < font->glyphCount; ++i)
        {
            const GlyphStructure *glyph = font->GetGlyph(i);
            if (glyph == nullptr) continue;
            for (const QuadraticBezier2D &curve : glyph->curves)
            {
                for (const Point2D *p : {&curve.p0, &curve.p1, &curve.p2})
                {
                    if (!IsOutlineCoordinateValid(p->x) || !IsOutlineCoordinateValid(p->y)) return false;
                }
            }
        }
    }
    return true;
}

// The outputs of the run; a failure deletes the ones it names.
struct RunOutputs
{
    VorlFontOutputFile vorl;
    VorlFontOutputFile ambrel;

    void DeleteAll()
    {
        vorl.Delete();
        ambrel.Delete();
    }
};

// Writes the document as Ambrel text; false when any byte was refused or the close failed.
bool WriteAmbrelOutput(AmbrelDocument *document, VorlFontOutputFile *output)
{
    bool written;
    {
        TextOutputStream stream(VorlFontOutputFile::kCallback, output->GetSink());
        document->Write(&stream);
        written = stream.Finish();
    }
    return (output->Close() == kFileOkay) && written;
}

}  // namespace

const char *GetVorlFontFailureMessage(uint32_t code)
{
    if (code == kResultOutOfMemory) return kOutOfMemory;
    if (code == kResultReadFailed) return kCannotOpenInput;
    const char *message = GetVorlFontErrorMessage(code);
    return (message != nullptr) ? message : kUnknownFailure;
}

int32_t ReportVorlFontFailure(uint32_t code, const char **message)
{
    *message = GetVorlFontFailureMessage(code);
    return 1;
}

int32_t VorlFontOutputFile::Create(const char *fileName)
{
    int32_t result = sink.Create(fileName);
    if (result != kFileOkay) return result;
    name = fileName;
    regular = sink.GetIdentity(&identity);
    return kFileOkay;
}

int32_t VorlFontOutputFile::Close()
{
    return sink.Close();
}

void VorlFontOutputFile::Delete()
{
    if (name == nullptr) return;
    static_cast<void>(sink.Close());  // the file is deleted; what its close reports no longer matters
    // Only the regular file this run created: never a device, FIFO or link now in its place.
    if (regular) static_cast<void>(DeleteFileIfSame(name, identity));  // a file that cannot be deleted stays
    name = nullptr;
}

int32_t RunVorlFont(int32_t argumentCount, const char *const *arguments, const char **message)
{
    *message = nullptr;
    VorlFontOptions options;
    if (const char *failure = ParseVorlFontCommandLine(argumentCount, arguments, &options))
    {
        *message = failure;
        return 1;
    }

    AmbrelDocument document;
    document.glyphsTakeGeometryCurves = true;
    File input;
    if (input.Open(options.inputName, kFileModeRead) != kFileOkay)
    {
        *message = kCannotOpenInput;
        return 1;
    }
    RunOutputs outputs;
    if (options.vorlOutputName != nullptr && outputs.vorl.Create(options.vorlOutputName) != kFileOkay)
    {
        *message = "Error: Cannot create Vorl output file.";
        return 1;
    }
    if (options.ambrelOutputName != nullptr && outputs.ambrel.Create(options.ambrelOutputName) != kFileOkay)
    {
        outputs.DeleteAll();
        *message = "Error: Cannot create Ambrel output file.";
        return 1;
    }

    char *text = nullptr;
    uint32_t size = 0;
    uint32_t result = ReadInput(&input, &text, &size);
    if (result != 0)
    {
        outputs.DeleteAll();
        return ReportVorlFontFailure(result, message);
    }
    if (IsFontFileName(options.inputName))
    {
        result = ImportOpenTypeFont(text, size, &document);
        if (result != 0) *message = GetVorlFontFailureMessage(result);
    }
    else
    {
        document.finiteValuesOnly = true;
        result = document.ParseAndResolve(text);
        if (result == 0 && !AreOutlinesWithinLimit(document)) result = kResultInvalid;
        if (result != 0) *message = "Error: Invalid Ambrel input file.";
    }
    std::free(text);
    if (result != 0)
    {
        outputs.DeleteAll();
        return 1;
    }

    for (FontStructure *font = document.fontList.GetFirst(); font != nullptr;
         font = StructureList<FontStructure>::GetNext(font))
        ApplyMetrics(options, font);
    ApplySettings(options, &document.compileSettings);

    if (options.ambrelOutputName != nullptr && !WriteAmbrelOutput(&document, &outputs.ambrel))
    {
        outputs.DeleteAll();
        return ReportVorlFontFailure(kResultWriteFailed, message);
    }

    if (options.vorlOutputName != nullptr)
    {
        FontCompiler compiler(&document, options.flags, options.includeRanges.GetElements(),
                              options.includeRanges.GetElementCount(), options.excludeRanges.GetElements(),
                              options.excludeRanges.GetElementCount());
        // The document is written already and goes with the run.
        compiler.SetReleaseOutlines(true);
        OutputSink sink(VorlFontOutputFile::kCallback, outputs.vorl.GetSink());
        result = compiler.CompileAndWrite(&sink, nullptr, options.fontIndex);
        int32_t closed = outputs.vorl.Close();
        if (result == 0 && closed != kFileOkay) result = kResultWriteFailed;
        if (result != 0)
        {
            // The complete Ambrel output stays.
            outputs.vorl.Delete();
            return ReportVorlFontFailure(result, message);
        }
    }
    return 0;
}

}  // namespace oq
