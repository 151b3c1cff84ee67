// Files tx14 creates: a temporary file renamed into place.
#include "output_file.hpp"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <system_error>

#include <fcntl.h>
#include <sys/stat.h>
#if defined(_WIN32)
#include <io.h>
#include <process.h>
#include <share.h>
#else
#include <unistd.h>
#endif

namespace tx14::cli {
namespace {

std::string reason(int error_number) { return std::generic_category().message(error_number); }

int create_exclusively(const std::filesystem::path& file)
{
#if defined(_WIN32)
    int fd = -1;
    if (_sopen_s(&fd, file.string().c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY | _O_NOINHERIT, _SH_DENYNO,
                 _S_IREAD | _S_IWRITE) != 0)
        return -1;
    return fd;
#else
    int fd;
    do {
        fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    } while (fd < 0 && errno == EINTR);
    return fd;
#endif
}

int process_id()
{
#if defined(_WIN32)
    return _getpid();
#else
    return static_cast<int>(::getpid());
#endif
}

}  // namespace

NewFile::NewFile(std::filesystem::path name) : name_(std::move(name))
{
#if !defined(_WIN32)
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
#endif
    static std::atomic<unsigned> counter{0};
    for (int attempt = 0; attempt < 100; ++attempt) {
        temporary_ = name_.parent_path() / (".tx14-" + std::to_string(process_id()) + "-" + std::to_string(counter++));
        fd_ = create_exclusively(temporary_);
        if (fd_ >= 0 || errno != EEXIST)
            break;
    }
    if (fd_ < 0) {
        fail(errno);
        temporary_.clear();
        return;
    }
#if !defined(_WIN32)
    // The file replaced keeps its permissions: a sheet kept private stays so.
    if (::stat(name_.c_str(), &st) == 0 && S_ISREG(st.st_mode) && ::fchmod(fd_, st.st_mode & 0777) != 0)
        fail(errno);
#endif
}

NewFile::~NewFile()
{
    if (fd_ >= 0) {
#if defined(_WIN32)
        _close(fd_);
#else
        ::close(fd_);
#endif
    }
    if (!committed_ && !streamed_ && !temporary_.empty()) {
        std::error_code ec;
        std::filesystem::remove(temporary_, ec);
    }
}

bool NewFile::fail(int error_number)
{
    if (error_.empty())
        error_ = reason(error_number != 0 ? error_number : EIO);
    return false;
}

bool NewFile::write(std::string_view text)
{
    if (fd_ < 0)
        return fail(EBADF);
    while (!text.empty()) {
#if defined(_WIN32)
        int n = _write(fd_, text.data(), static_cast<unsigned>(std::min<std::size_t>(text.size(), 1u << 30)));
#else
        ssize_t n = ::write(fd_, text.data(), text.size());
        if (n < 0 && errno == EINTR)
            continue;
#endif
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
#if defined(_WIN32)
    int closed = _close(fd_);
#else
    int closed = ::close(fd_);
#endif
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

#if !defined(_WIN32)
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
#else
std::optional<FileId> file_id(const std::filesystem::path&) { return std::nullopt; }
std::optional<FileId> standard_output_id() { return std::nullopt; }
std::optional<FileId> standard_input_id() { return std::nullopt; }
#endif

bool same_file(const std::filesystem::path& a, const std::filesystem::path& b)
{
    std::error_code ec;
#if defined(_WIN32)
    const bool a_exists = std::filesystem::exists(a, ec), b_exists = std::filesystem::exists(b, ec);
    if (a_exists && b_exists)
        return std::filesystem::equivalent(a, b, ec);
#else
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
#endif
    return !a_exists && !b_exists &&
           std::filesystem::absolute(a, ec).lexically_normal() == std::filesystem::absolute(b, ec).lexically_normal();
}

}  // namespace tx14::cli
