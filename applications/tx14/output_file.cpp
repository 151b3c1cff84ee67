// Files tx14 creates: a temporary file renamed into place.
#include "output_file.hpp"

#include <atomic>
#include <cerrno>
#include <system_error>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tx14::cli {

NewFile::NewFile(std::filesystem::path name) : name_(std::move(name))
{
    // A FIFO or a character device under the name (a pipe, /dev/stdout)
    // takes the text as it comes; it is not replaced. Nor is a block device
    // or a socket, which is refused.
    struct stat st;
    if (::stat(name_.c_str(), &st) == 0 && !S_ISREG(st.st_mode) && !S_ISDIR(st.st_mode)) {
        if (!S_ISFIFO(st.st_mode) && !S_ISCHR(st.st_mode)) {
            error_ = "not a regular file, a FIFO or a character device; refused";
            return;
        }
        streamed_ = true;
        temporary_ = name_;
        fd_ = ::open(name_.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
        if (fd_ < 0)
            fail(errno);
        return;
    }
    static std::atomic<unsigned> counter{0};
    for (int attempt = 0; attempt < 100; ++attempt) {
        temporary_ = name_.parent_path() / (".tx14-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
        do
            fd_ = ::open(temporary_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        while (fd_ < 0 && errno == EINTR);
        if (fd_ >= 0 || errno != EEXIST)
            break;
    }
    if (fd_ < 0) {
        fail(errno);
        temporary_.clear();
        return;
    }
    // The file replaced keeps its permissions: a sheet kept private stays so.
    if (::stat(name_.c_str(), &st) == 0 && S_ISREG(st.st_mode) && ::fchmod(fd_, st.st_mode & 0777) != 0)
        fail(errno);
}

NewFile::~NewFile()
{
    if (fd_ >= 0)
        ::close(fd_);
    if (!committed_ && !streamed_ && !temporary_.empty()) {
        std::error_code ec;
        std::filesystem::remove(temporary_, ec);
    }
}

bool NewFile::fail(int error_number)
{
    if (error_.empty())
        error_ = std::generic_category().message(error_number != 0 ? error_number : EIO);
    return false;
}

bool NewFile::write(std::string_view text)
{
    if (fd_ < 0)
        return fail(EBADF);
    while (!text.empty()) {
        ssize_t n = ::write(fd_, text.data(), text.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return fail(n < 0 ? errno : ENOSPC);
        text.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

bool NewFile::commit()
{
    if (fd_ < 0)
        return fail(EBADF);
    int closed = ::close(fd_);
    fd_ = -1;
    if (closed != 0 && errno != EINTR)
        return fail(errno);
    if (!ok())
        return false;
    if (streamed_)
        return true;
    std::error_code ec;
    std::filesystem::rename(temporary_, name_, ec);
    if (ec)
        return fail(ec.value());
    committed_ = true;
    return true;
}

std::optional<std::string> write_new_file(const std::filesystem::path& name, std::string_view text)
{
    NewFile file(name);
    if (file.write(text) && file.commit())
        return std::nullopt;
    return file.error();
}

namespace {

std::optional<FileId> id_of(int stat_result, const struct stat& st)
{
    if (stat_result != 0 || S_ISFIFO(st.st_mode) || S_ISCHR(st.st_mode))
        return std::nullopt;
    return FileId{static_cast<unsigned long long>(st.st_dev), static_cast<unsigned long long>(st.st_ino)};
}

std::optional<FileId> descriptor_id(int fd)
{
    struct stat st;
    const int got = ::fstat(fd, &st);
    return got == 0 && S_ISREG(st.st_mode) ? id_of(got, st) : std::nullopt;
}

}  // namespace

std::optional<FileId> file_id(const std::filesystem::path& name)
{
    struct stat st;
    const int got = ::stat(name.c_str(), &st);
    return id_of(got, st);
}

std::optional<FileId> standard_output_id() { return descriptor_id(1); }
std::optional<FileId> standard_input_id() { return descriptor_id(0); }

bool same_file(const std::filesystem::path& a, const std::filesystem::path& b)
{
    auto there = [](const std::filesystem::path& p) {
        struct stat st;
        return (p == "-" ? ::fstat(0, &st) : ::stat(p.c_str(), &st)) == 0;
    };
    auto id = [](const std::filesystem::path& p) { return p == "-" ? standard_input_id() : file_id(p); };
    const bool a_exists = there(a), b_exists = there(b);
    if (a_exists && b_exists) {
        const std::optional<FileId> ia = id(a), ib = id(b);
        return ia && ib && *ia == *ib;
    }
    std::error_code ec;
    return !a_exists && !b_exists &&
           std::filesystem::absolute(a, ec).lexically_normal() == std::filesystem::absolute(b, ec).lexically_normal();
}

}  // namespace tx14::cli
