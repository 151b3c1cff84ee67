// What both fuzz targets need around their checks: a broken invariant
// aborts with its description (libFuzzer then saves the input), a
// temporary directory for report files, whole-file reads.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace tx14::fuzz {

[[noreturn]] inline void fail(const char* what)
{
    std::fprintf(stderr, "invariant broken: %s\n", what);
    std::abort();
}

inline void require(bool ok, const char* what)
{
    if (!ok)
        fail(what);
}

// A fresh directory under the system's temporary directory, removed with
// everything in it at the end of the process.
class ScratchDir {
public:
    ScratchDir()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "tx14-fuzz-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr)
            fail("cannot create a temporary directory");
        path_ = pattern;
    }
    ~ScratchDir()
    {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

inline std::string read_file(const std::filesystem::path& p)
{
    std::ifstream in(p, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

}  // namespace tx14::fuzz
