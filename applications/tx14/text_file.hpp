// Reading a whole input file, with a message when it cannot be read.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "diagnostics.hpp"

namespace tx14::cli {

std::optional<std::string> read_text_file(const std::filesystem::path& file, Diagnostics& diags);

}  // namespace tx14::cli
