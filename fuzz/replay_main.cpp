// Replays every file of the given folders (or the given files) through a fuzz target once.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size);

static void Replay(const std::filesystem::path &path)
{
    std::ifstream stream(path, std::ios::binary);
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(stream)), std::istreambuf_iterator<char>());
    LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
}

int main(int argc, char **argv)
{
    int count = 0;
    LLVMFuzzerTestOneInput(nullptr, 0);
    for (int i = 1; i < argc; ++i)
    {
        std::filesystem::path path(argv[i]);
        if (std::filesystem::is_directory(path))
        {
            for (const auto &entry : std::filesystem::recursive_directory_iterator(path))
                if (entry.is_regular_file()) { Replay(entry.path()); ++count; }
        }
        else if (std::filesystem::exists(path))
        {
            Replay(path);
            ++count;
        }
    }
    std::printf("replayed %d inputs\n", count);
    return 0;
}
