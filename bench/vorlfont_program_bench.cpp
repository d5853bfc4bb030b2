// The whole vorlfont program as the editor runs it for a font not yet imported, against two peers
// reading the same file, each a child process of its own, alternated in every iteration:
// FreeType loading (unscaled, unhinted) and decomposing every glyph of every face, and fontTools
// (/usr/bin/python3) drawing every glyph of every face through a counting pen. Each side's CPU
// time (user + sys), minor page faults and peak resident memory come from the children's wait4
// usage; the counters are medians over the iterations, and "*_x" is the peer's CPU time over
// ours (above 1: we are faster). The benchmark's time is our median CPU time. DejaVu Sans runs
// with the default switches and with the editor's (-no-poly -contours -math), the Noto Sans CJK
// collection (10 faces) with the editor's and against FreeType only: fontTools takes minutes there.
// For a steadier figure on a loaded machine pin the run: taskset -c 3 vorlfont_program_bench.
#include "support/TempDirectory.h"

#include <benchmark/benchmark.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char **environ;

namespace oq {
namespace {

constexpr const char *kDejaVuSans = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
constexpr const char *kNotoSansCjk = "/usr/share/fonts/opentype/noto/NotoSansCJK-Regular.ttc";
constexpr const char *kPython = "/usr/bin/python3";
// Set in the environment of the child that runs the FreeType peer on the font it names.
constexpr const char *kFreeTypePeerVariable = "OQ_FREETYPE_PEER_FONT";

// Draws every glyph of every face (components decomposed by the pen); fails when nothing was drawn.
constexpr const char *kFontToolsScript = R"(
import sys
from fontTools.ttLib import TTCollection, TTFont
from fontTools.pens.basePen import BasePen

class CountingPen(BasePen):
    def __init__(self, glyphSet):
        super().__init__(glyphSet)
        self.count = 0
    def _moveTo(self, p):
        self.count += 1
    def _lineTo(self, p):
        self.count += 1
    def _curveToOne(self, a, b, c):
        self.count += 1
    def _qCurveToOne(self, a, b):
        self.count += 1

path = sys.argv[1]
fonts = TTCollection(path).fonts if path.lower().endswith(('.ttc', '.otc')) else [TTFont(path)]
count = 0
for font in fonts:
    glyphs = font.getGlyphSet()
    pen = CountingPen(glyphs)
    for name in font.getGlyphOrder():
        glyphs[name].draw(pen)
    count += pen.count
sys.exit(0 if count > 0 else 1)
)";

int CountSegment(void *user)
{
    ++*static_cast<int64_t *>(user);
    return 0;
}
int CountMove(const FT_Vector *, void *user) { return CountSegment(user); }
int CountLine(const FT_Vector *, void *user) { return CountSegment(user); }
int CountConic(const FT_Vector *, const FT_Vector *, void *user) { return CountSegment(user); }
int CountCubic(const FT_Vector *, const FT_Vector *, const FT_Vector *, void *user) { return CountSegment(user); }

// Loads and decomposes every glyph of every face of the font; the process exit code.
int RunFreeTypePeer(const char *path)
{
    FT_Library library = nullptr;
    if (FT_Init_FreeType(&library) != 0) return 1;
    FT_Face first = nullptr;
    if (FT_New_Face(library, path, 0, &first) != 0) return 1;
    FT_Long faceCount = first->num_faces;
    FT_Done_Face(first);
    const FT_Outline_Funcs funcs = {CountMove, CountLine, CountConic, CountCubic, 0, 0};
    int64_t segments = 0;
    for (FT_Long f = 0; f < faceCount; ++f)
    {
        FT_Face face = nullptr;
        if (FT_New_Face(library, path, f, &face) != 0) return 1;
        for (FT_Long g = 0; g < face->num_glyphs; ++g)
        {
            FT_Load_Glyph(face, FT_UInt(g), FT_LOAD_NO_SCALE | FT_LOAD_NO_HINTING | FT_LOAD_NO_BITMAP);
            FT_Outline_Decompose(&face->glyph->outline, &funcs, &segments);
        }
        FT_Done_Face(face);
    }
    FT_Done_FreeType(library);
    return segments > 0 ? 0 : 1;
}

// A copy of this program started with the variable set runs the FreeType peer before main, so
// that its usage is FreeType's alone.
[[maybe_unused]] const bool kFreeTypePeerChecked = [] {
    if (const char *path = std::getenv(kFreeTypePeerVariable)) std::_Exit(RunFreeTypePeer(path));
    return true;
}();

// The usage of one finished child.
struct ChildUsage
{
    double cpuSeconds = 0.0;
    double faults = 0.0;
    double peakMiB = 0.0;
};

// Runs the program with the arguments (and the variable, when given) and waits for it; false when
// it could not start or did not exit with 0.
bool RunChild(const std::vector<std::string> &arguments, const std::string &variable, ChildUsage *usage)
{
    std::vector<char *> argv;
    for (const std::string &argument : arguments) argv.push_back(const_cast<char *>(argument.c_str()));
    argv.push_back(nullptr);
    std::vector<char *> envp;
    for (char **e = environ; *e != nullptr; ++e) envp.push_back(*e);
    if (!variable.empty()) envp.push_back(const_cast<char *>(variable.c_str()));
    envp.push_back(nullptr);

    pid_t child = fork();
    if (child < 0) return false;
    if (child == 0)
    {
        execve(argv[0], argv.data(), envp.data());
        _exit(127);
    }
    int status = 0;
    rusage resources = {};
    if (wait4(child, &status, 0, &resources) != child) return false;
    auto seconds = [](const timeval &t) { return double(t.tv_sec) + double(t.tv_usec) * 1e-6; };
    usage->cpuSeconds = seconds(resources.ru_utime) + seconds(resources.ru_stime);
    usage->faults = double(resources.ru_minflt + resources.ru_majflt);
    usage->peakMiB = double(resources.ru_maxrss) / 1024.0;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

double Median(std::vector<double> values)
{
    if (values.empty()) return 0.0;
    std::sort(values.begin(), values.end());
    size_t n = values.size();
    return (n % 2 != 0) ? values[n / 2] : 0.5 * (values[n / 2 - 1] + values[n / 2]);
}

// The usages of one side over the iterations.
struct SideUsages
{
    const char *name;
    std::vector<double> cpu;
    std::vector<double> faults;
    std::vector<double> peak;

    void Add(const ChildUsage &usage)
    {
        cpu.push_back(usage.cpuSeconds);
        faults.push_back(usage.faults);
        peak.push_back(usage.peakMiB);
    }
};

void ProgramAgainstPeers(benchmark::State &state, const char *font, bool editorSwitches, bool withFontTools)
{
    if (access(font, R_OK) != 0 || (withFontTools && access(kPython, X_OK) != 0))
    {
        state.SkipWithError("font or python3 missing");
        return;
    }
    test::TempDirectory folder;
    std::vector<std::string> ours = {VORLFONT_PATH, font, "-o", folder.File("font.vorl")};
    if (editorSwitches) ours.insert(ours.end(), {"-no-poly", "-contours", "-math"});
    const std::vector<std::string> freeType = {"/proc/self/exe"};
    const std::string freeTypeVariable = std::string(kFreeTypePeerVariable) + "=" + font;
    const std::vector<std::string> fontTools = {kPython, "-c", kFontToolsScript, font};

    SideUsages sides[3] = {{"vorlfont", {}, {}, {}}, {"freetype", {}, {}, {}}, {"fonttools", {}, {}, {}}};
    int32_t sideCount = withFontTools ? 3 : 2;
    int64_t iteration = 0;
    for (auto _ : state)
    {
        // The order turns each iteration, so no side always runs first after the others.
        for (int32_t k = 0; k < sideCount; ++k)
        {
            int32_t side = int32_t((iteration + k) % sideCount);
            ChildUsage usage;
            bool ran = (side == 0)   ? RunChild(ours, std::string(), &usage)
                       : (side == 1) ? RunChild(freeType, freeTypeVariable, &usage)
                                     : RunChild(fontTools, std::string(), &usage);
            if (!ran)
            {
                state.SkipWithError((std::string(sides[side].name) + " failed").c_str());
                return;
            }
            sides[side].Add(usage);
        }
        state.SetIterationTime(sides[0].cpu.back());
        ++iteration;
    }
    double ourCpu = Median(sides[0].cpu);
    for (int32_t s = 0; s < sideCount; ++s)
    {
        std::string name = sides[s].name;
        state.counters[name + "_cpu_s"] = Median(sides[s].cpu);
        state.counters[name + "_faults"] = Median(sides[s].faults);
        state.counters[name + "_peak_MiB"] = Median(sides[s].peak);
        if (s != 0 && ourCpu > 0.0) state.counters[name + "_x"] = Median(sides[s].cpu) / ourCpu;
    }
}

BENCHMARK_CAPTURE(ProgramAgainstPeers, DejaVuSans_default, kDejaVuSans, false, true)
    ->UseManualTime()
    ->Iterations(5)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(ProgramAgainstPeers, DejaVuSans_editor, kDejaVuSans, true, true)
    ->UseManualTime()
    ->Iterations(5)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(ProgramAgainstPeers, NotoSansCJK_editor, kNotoSansCjk, true, false)
    ->UseManualTime()
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace oq
