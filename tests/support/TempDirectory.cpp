#include "support/TempDirectory.h"

#include <cstdlib>
#include <filesystem>

namespace oq::test {

TempDirectory::TempDirectory()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "oq-test-XXXXXX").string();
    if (mkdtemp(pattern.data())) path = pattern;
}

TempDirectory::~TempDirectory()
{
    // Only ever removes the folder this object made.
    if (!path.empty() && !kept)
    {
        std::error_code error;
        std::filesystem::remove_all(path, error);
    }
}

}  // namespace oq::test
