// Reading a whole input file, with a message when it cannot be read, and
// the digest that identifies its bytes.
#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "diagnostics.hpp"

namespace tx14::cli {

// What an item or unit file, and standard input, may hold at most.
inline constexpr std::size_t kInputLimit = std::size_t{1} << 20;
inline constexpr std::size_t kNoLimit = static_cast<std::size_t>(-1);

// The whole text of a regular file of at most `limit` bytes, or of standard
// input (at most kInputLimit bytes) for "-". A FIFO, a device or a
// directory is refused before anything is read from it (it might never
// end); nullopt then, and for a missing or unreadable file or one over the
// limit, with a diagnostic.
std::optional<std::string> read_text_file(const std::filesystem::path& file, Diagnostics& diags,
                                          std::size_t limit = kInputLimit);

// SHA-256 of bytes as 64 lowercase hex digits: what identifies an input.
std::string sha256_hex(std::string_view bytes);

}  // namespace tx14::cli
