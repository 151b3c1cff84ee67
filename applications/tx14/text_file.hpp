// Reading an input file, whole or block by block, with a message when it
// cannot be read, and the digest that identifies its bytes.
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

// An input file read block by block, with the refusals of read_text_file.
// Standard input, which can be read only once, is held whole.
class InputFile {
public:
    InputFile() = default;
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;
    ~InputFile();

    // False with a diagnostic when the file is refused or cannot be opened.
    bool open(const std::filesystem::path& file, Diagnostics& diags, std::size_t limit = kInputLimit);
    // Up to `size` bytes into `into`: how many, 0 at the end; nullopt with a
    // diagnostic when the file cannot be read or grows past the limit.
    std::optional<std::size_t> read(char* into, std::size_t size, Diagnostics& diags);
    // Back to the first byte, for another pass.
    bool rewind(Diagnostics& diags);

private:
    std::string name_;
    std::size_t limit_ = kInputLimit;
    std::size_t read_ = 0;              // bytes read since the first byte
    std::optional<std::string> whole_;  // standard input
    int fd_ = -1;
};

// SHA-256 of bytes given in pieces.
class Sha256 {
public:
    Sha256();
    Sha256(const Sha256&) = delete;
    Sha256& operator=(const Sha256&) = delete;
    ~Sha256();
    void add(std::string_view bytes);
    std::string hex();  // 64 lowercase hex digits; ends the digest
private:
    void* ctx_;
};

// SHA-256 of bytes as 64 lowercase hex digits: what identifies an input.
std::string sha256_hex(std::string_view bytes);

}  // namespace tx14::cli
