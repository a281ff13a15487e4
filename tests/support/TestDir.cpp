#include "support/TestDir.h"

#include <cstdlib>
#include <stdexcept>
#include <string>

namespace tavrel::test {

TestDir::TestDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "tavrel-test-XXXXXX").string();
    if (!mkdtemp(pattern.data())) {
        throw std::runtime_error("cannot create a temporary test directory");
    }
    path_ = pattern;
}

TestDir::~TestDir() {
    std::error_code ec;
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ec);
    std::filesystem::remove_all(path_, ec);
}

}  // namespace tavrel::test
