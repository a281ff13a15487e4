#pragma once

#include <filesystem>
#include <string>

namespace tavrel::test {

// A fresh directory under the system's temporary directory, removed again when the
// object goes out of scope. Each test gets its own, so tests can run in parallel.
class TestDir {
public:
    TestDir();
    ~TestDir();
    TestDir(const TestDir&) = delete;
    TestDir& operator=(const TestDir&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

private:
    std::filesystem::path path_;
};

}  // namespace tavrel::test
