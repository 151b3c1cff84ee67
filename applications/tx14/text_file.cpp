// Reading a whole input file, with a message when it cannot be read.
#include "text_file.hpp"

#include <fstream>
#include <iterator>
#include <system_error>

namespace tx14::cli {

std::optional<std::string> read_text_file(const std::filesystem::path& file, Diagnostics& diags)
{
    std::error_code ec;
    if (!std::filesystem::exists(file, ec)) {
        diags.push_back({{file.string()}, "no such file"});
        return std::nullopt;
    }
    if (std::filesystem::is_directory(file, ec)) {
        diags.push_back({{file.string()}, "is a directory, not a file"});
        return std::nullopt;
    }
    std::ifstream in(file, std::ios::binary);
    std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (!in.is_open() || in.bad()) {
        diags.push_back({{file.string()}, "cannot be read"});
        return std::nullopt;
    }
    return text;
}

}  // namespace tx14::cli
