// Reading a whole input file, and the SHA-256 that identifies its bytes.
#include "text_file.hpp"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <utility>

#include <fcntl.h>
#include <openssl/evp.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tx14::cli {
namespace {

std::string size_words(std::size_t bytes)
{
    constexpr std::size_t kMiB = std::size_t{1} << 20;
    return bytes % kMiB == 0 ? std::to_string(bytes / kMiB) + " MiB" : std::to_string(bytes) + " bytes";
}

std::string larger_than(std::size_t limit) { return "is larger than " + size_words(limit) + "; refused"; }

// Up to limit + 1 bytes of standard input, so that more than the limit shows.
std::optional<std::string> read_standard_input(Diagnostics& diags)
{
    std::string text(kInputLimit + 1, '\0');
    std::size_t n = std::fread(text.data(), 1, text.size(), stdin);
    if (std::ferror(stdin)) {
        diags.push_back({{"-"}, "standard input cannot be read"});
        return std::nullopt;
    }
    if (n > kInputLimit) {
        diags.push_back({{"-"}, "standard input " + larger_than(kInputLimit)});
        return std::nullopt;
    }
    text.resize(n);
    return text;
}

// What a file that is not a regular file is, in words.
std::string kind_of(mode_t mode)
{
    if (S_ISDIR(mode))
        return "is a directory, not a file";
    if (S_ISFIFO(mode))
        return "is a FIFO (named pipe), not a regular file; refused";
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return "is a device, not a regular file; refused";
    return "is not a regular file; refused";
}

std::string cannot_read(int error) { return "cannot be read: " + std::string(std::strerror(error)); }

}  // namespace

InputFile::~InputFile()
{
    if (fd_ >= 0)
        ::close(fd_);
}

bool InputFile::open(const std::filesystem::path& file, Diagnostics& diags, std::size_t limit)
{
    name_ = file.string();
    limit_ = limit;
    if (name_ == "-") {
        whole_ = read_standard_input(diags);
        return whole_.has_value();
    }
    auto refuse = [&](std::string why) {
        if (fd_ >= 0)
            ::close(std::exchange(fd_, -1));
        diags.push_back({{name_}, std::move(why)});
        return false;
    };
    // The type is checked before opening (opening a device may act on it)
    // and again on what was opened, in case the name changed in between.
    struct stat st;
    if (::stat(file.c_str(), &st) != 0)
        return refuse(errno == ENOENT ? "no such file" : cannot_read(errno));
    if (!S_ISREG(st.st_mode))
        return refuse(kind_of(st.st_mode));
    fd_ = ::open(file.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd_ < 0)
        return refuse(cannot_read(errno));
    if (::fstat(fd_, &st) != 0)
        return refuse(cannot_read(errno));
    if (!S_ISREG(st.st_mode))
        return refuse(kind_of(st.st_mode));
    if (static_cast<std::uintmax_t>(st.st_size) > limit)
        return refuse(larger_than(limit));
    return true;
}

std::optional<std::size_t> InputFile::read(char* into, std::size_t size, Diagnostics& diags)
{
    if (whole_) {
        const std::size_t n = whole_->copy(into, size, read_);
        read_ += n;
        return n;
    }
    while (true) {
        ssize_t n = ::read(fd_, into, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            diags.push_back({{name_}, cannot_read(errno)});
            return std::nullopt;
        }
        if (read_ + static_cast<std::size_t>(n) > limit_) {
            diags.push_back({{name_}, larger_than(limit_)});  // it grew while being read
            return std::nullopt;
        }
        read_ += static_cast<std::size_t>(n);
        return static_cast<std::size_t>(n);
    }
}

bool InputFile::rewind(Diagnostics& diags)
{
    read_ = 0;
    if (!whole_ && ::lseek(fd_, 0, SEEK_SET) != 0) {
        diags.push_back({{name_}, cannot_read(errno)});
        return false;
    }
    return true;
}

std::optional<std::string> read_text_file(const std::filesystem::path& file, Diagnostics& diags, std::size_t limit)
{
    InputFile in;
    if (!in.open(file, diags, limit))
        return std::nullopt;
    std::string text;
    char buffer[65536];
    while (std::optional<std::size_t> n = in.read(buffer, sizeof buffer, diags)) {
        if (*n == 0)
            return text;
        text.append(buffer, *n);
    }
    return std::nullopt;
}

Sha256::Sha256() : ctx_(EVP_MD_CTX_new()) { EVP_DigestInit_ex(static_cast<EVP_MD_CTX*>(ctx_), EVP_sha256(), nullptr); }

Sha256::~Sha256() { EVP_MD_CTX_free(static_cast<EVP_MD_CTX*>(ctx_)); }

void Sha256::add(std::string_view bytes)
{
    EVP_DigestUpdate(static_cast<EVP_MD_CTX*>(ctx_), bytes.data(), bytes.size());
}

std::string Sha256::hex()
{
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int size = 0;
    if (EVP_DigestFinal_ex(static_cast<EVP_MD_CTX*>(ctx_), digest, &size) != 1)
        return {};
    static const char kHex[] = "0123456789abcdef";
    std::string out;
    for (unsigned int i = 0; i < size; ++i) {
        out += kHex[digest[i] >> 4];
        out += kHex[digest[i] & 15];
    }
    return out;
}

std::string sha256_hex(std::string_view bytes)
{
    Sha256 digest;
    digest.add(bytes);
    return digest.hex();
}

}  // namespace tx14::cli
