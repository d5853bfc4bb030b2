// A full rescan of the installed fonts (the system roots; user roots and the registry in a
// temporary folder): cold, into an empty registry, and warm, with every file registered already.
// The peer is fontconfig's scan of the same font files:
//   fc-scan --format '%{fullname}\n' $(find /usr/share/fonts -name '*.tt[fc]' -o -name '*.ot[fc]')
#include <benchmark/benchmark.h>

#include <cstdlib>

#include "editor/fonts/Folders.h"
#include "editor/fonts/FontFileScan.h"
#include "editor/fonts/FontManager.h"
#include "support/TempDirectory.h"

namespace oq {
namespace {

struct ScanFolders
{
    ScanFolders()
    {
        setenv("HOME", folder.File("home").c_str(), 1);
        setenv("XDG_DATA_HOME", folder.File("data").c_str(), 1);
        FontFileListing listing;
        fileCount = ScanFontFolder(GetSystemFontsFolder(), &listing);
    }
    test::TempDirectory folder;
    int32_t fileCount = 0;
};

void BM_RescanCold(benchmark::State &state)
{
    ScanFolders folders;
    for (auto _ : state)
    {
        FontManager manager;
        benchmark::DoNotOptimize(manager.Rescan());
    }
    state.counters["files/s"] = benchmark::Counter(double(folders.fileCount) * double(state.iterations()),
                                                   benchmark::Counter::kIsRate);
}
BENCHMARK(BM_RescanCold)->Unit(benchmark::kMillisecond);

void BM_RescanRegistered(benchmark::State &state)
{
    ScanFolders folders;
    FontManager manager;
    benchmark::DoNotOptimize(manager.Rescan());
    for (auto _ : state) benchmark::DoNotOptimize(manager.Rescan());
    state.counters["files/s"] = benchmark::Counter(double(folders.fileCount) * double(state.iterations()),
                                                   benchmark::Counter::kIsRate);
}
BENCHMARK(BM_RescanRegistered)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace oq
