// The vorlicon command line.
#include "vorlicon/VorlIconTool.h"

#include "ambrel/GraphicsCompile.h"
#include "base/File.h"
#include "base/Memory.h"

#include <cstring>

namespace oq {

namespace {

// Options of one run.
struct IconToolOptions
{
    const char *input = nullptr;
    const char *output = nullptr;
    bool canvas = false;
    bool floatTexels = false;
    bool compress = false;
};

// Largest Ambrel text read.
constexpr uint64_t kMaxInputSize = uint64_t(1) << 30;

bool ParseOptions(int argc, const char *const *argv, IconToolOptions *options, FILE *out)
{
    for (int i = 1; i < argc; ++i)
    {
        const char *arg = argv[i];
        if (std::strcmp(arg, "-o") == 0)
        {
            if (i + 1 >= argc)
            {
                std::fprintf(out, "Error: -o needs a file name.\n");
                return false;
            }
            options->output = argv[++i];
        }
        else if (std::strcmp(arg, "-canvas") == 0)
        {
            options->canvas = true;
        }
        else if (std::strcmp(arg, "-float") == 0)
        {
            options->floatTexels = true;
        }
        else if (std::strcmp(arg, "-compress") == 0)
        {
            options->compress = true;
        }
        else if (arg[0] == '-')
        {
            std::fprintf(out, "Error: Unknown switch \"%s\".\n", arg);
            return false;
        }
        else if (options->input != nullptr)
        {
            std::fprintf(out, "Error: More than one input file.\n");
            return false;
        }
        else
        {
            options->input = arg;
        }
    }
    if (options->input == nullptr)
    {
        std::fprintf(out, "Error: No input file. Usage: vorlicon <input> -o <output> [-canvas] [-float] [-compress]\n");
        return false;
    }
    if (options->output == nullptr)
    {
        std::fprintf(out, "Error: No output file (-o).\n");
        return false;
    }
    if (options->canvas && options->floatTexels)
    {
        std::fprintf(out, "Error: -float applies to the icon compile only.\n");
        return false;
    }
    return true;
}

// The whole file as a NUL-terminated text in the program's allocator, or null.
char *ReadInput(const char *name, FILE *out)
{
    File file;
    if (file.Open(name, kFileModeRead) != kFileOkay)
    {
        std::fprintf(out, "Error: Cannot open the input file \"%s\".\n", name);
        return nullptr;
    }
    uint64_t size = file.GetSize();
    if (size > kMaxInputSize)
    {
        std::fprintf(out, "Error: The input file \"%s\" is too large.\n", name);
        return nullptr;
    }
    auto *text = static_cast<char *>(MemoryAllocate(size_t(size) + 1));
    if (file.Read(text, uint32_t(size)) != kFileOkay)
    {
        MemoryRelease(text);
        std::fprintf(out, "Error: Cannot read the input file \"%s\".\n", name);
        return nullptr;
    }
    static_cast<void>(file.Close());  // read only: nothing to lose
    text[size] = 0;
    return text;
}

void FormatCode(uint32_t code, char *text)
{
    for (int k = 0; k < 4; ++k)
    {
        char c = char(code >> (24 - 8 * k));
        text[k] = (c >= 32 && c < 127) ? c : '?';
    }
    text[4] = 0;
}

}  // namespace

const char *GetGraphicsCompileMessage(uint32_t code)
{
    switch (code)
    {
    case 0: return nullptr;
    case kResultOutOfMemory: return "Error: Out of memory.";
    case kResultSizeExceeded:
        return "Error: The drawing does not fit into a graphics file: its curves fill the textures, a Layer has "
               "more than 8192 filled curves, or the strokes need more than 65536 vertices.";
    case kResultWriteFailed: return "Error: Cannot write the output file.";
    default: return "Error: The compile failed.";
    }
}

int32_t RunVorlIcon(int argc, const char *const *argv, FILE *out)
{
    IconToolOptions options;
    if (!ParseOptions(argc, argv, &options, out)) return 1;
    char *text = ReadInput(options.input, out);
    if (text == nullptr) return 1;

    AmbrelDocument document;
    document.finiteValuesOnly = true;
    KettricResult parsed = document.ParseAndResolve(text);
    MemoryRelease(text);
    if (parsed != 0)
    {
        char code[5];
        FormatCode(parsed, code);
        std::fprintf(out, "Error: The Ambrel text is not valid (line %d, code '%s').\n", int(document.GetErrorLine()),
                     code);
        return 1;
    }

    FileSink file;
    if (file.Create(options.output) != kFileOkay)
    {
        std::fprintf(out, "Error: Cannot create the output file \"%s\".\n", options.output);
        return 1;
    }
    FileIdentity identity;
    bool regular = file.GetIdentity(&identity);
    OutputSink sink(FileSink::Callback, &file);
    GraphicsCompileReport report;
    uint32_t result = options.canvas
                          ? BuildCanvasVorlFile(&document, &sink, nullptr, options.compress, nullptr, &report)
                          : BuildIconVorlFile(&document, &sink, nullptr, options.floatTexels, options.compress, nullptr,
                                              nullptr, &report);
    bool closed = file.Close() == kFileOkay;
    if (result == 0 && !closed) result = kResultWriteFailed;

    if (report.geometryOutsideLayers != 0)
    {
        std::fprintf(out,
                     "Warning: %d filled or stroked geometries outside the Layers are left out (with two or more "
                     "Layers only the Layers are compiled).\n",
                     int(report.geometryOutsideLayers));
    }
    if (report.gradientFills != 0)
    {
        std::fprintf(out,
                     "Warning: The canvas compile draws %d gradient fills in their Fill colour (white without a "
                     "Color); it uses no alpha, gradients, strokes or opacities.\n",
                     int(report.gradientFills));
    }
    if (result != 0)
    {
        // A partial file is worse than none; devices and other special files are left alone.
        if (regular) static_cast<void>(DeleteFileIfSame(options.output, identity));
        if (result == kResultWriteFailed)
            std::fprintf(out, "Error: Cannot write the output file \"%s\".\n", options.output);
        else
            std::fprintf(out, "%s\n", GetGraphicsCompileMessage(result));
        return 1;
    }
    return 0;
}

}  // namespace oq
