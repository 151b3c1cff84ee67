// Platform layer of the report file: POSIX descriptors here, the C runtime's
// shared-access descriptors on Windows.
#include "report_file.hpp"

#if defined(TX14_CAPTURE_ONLY)
// Built without report files (the WebAssembly module): no name opens, so a
// run either captures its report or ends, and the module needs no file
// system.
namespace tx14 {
bool ReportFile::open(std::string_view) { return false; }
void ReportFile::write_record(const char*, std::size_t) {}
void ReportFile::close() {}
}  // namespace tx14
#else

#include <cstring>

#if defined(_WIN32)
#include <fcntl.h>
#include <io.h>
#include <share.h>
#include <sys/stat.h>
#else
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>
#endif

namespace tx14 {
namespace {

#if defined(_WIN32)
constexpr char kNewline[] = "\r\n";  // text files end their lines with CRLF there
#else
constexpr char kNewline[] = "\n";
#endif
constexpr std::size_t kNewlineLength = sizeof kNewline - 1;
constexpr std::size_t kMaxRecord = 256;

}  // namespace

bool ReportFile::open(std::string_view name)
{
    close();
    char path[1024];
    if (name.empty() || name.size() >= sizeof path || name.find('\0') != std::string_view::npos)
        return false;
    std::memcpy(path, name.data(), name.size());
    path[name.size()] = '\0';
#if defined(_WIN32)
    int fd = -1;
    int flags = _O_WRONLY | _O_APPEND | _O_CREAT | _O_BINARY | _O_NOINHERIT;
    if (_sopen_s(&fd, path, flags, _SH_DENYNO, _S_IREAD | _S_IWRITE) != 0)
        fd = -1;
#else
    int fd;
    do {
        fd = ::open(path, O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0666);
    } while (fd < 0 && errno == EINTR);
#endif
    fd_ = fd;
    return fd_ >= 0;
}

void ReportFile::write_record(const char* text, std::size_t length)
{
    if (fd_ < 0)
        return;
    char record[kMaxRecord + kNewlineLength];
    if (length > kMaxRecord)
        length = kMaxRecord;
    std::memcpy(record, text, length);
    // A line break inside the text (a host's material name or unit label)
    // would split the record into two lines of the file.
    for (std::size_t i = 0; i < length; ++i)
        if (record[i] == '\n' || record[i] == '\r')
            record[i] = ' ';
    std::memcpy(record + length, kNewline, kNewlineLength);
    std::size_t total = length + kNewlineLength;
#if defined(_WIN32)
    (void)_write(fd_, record, static_cast<unsigned>(total));
#else
    ssize_t written;
    do {
        written = ::write(fd_, record, total);
    } while (written < 0 && errno == EINTR);
#endif
}

void ReportFile::close()
{
    if (fd_ < 0)
        return;
#if defined(_WIN32)
    _close(fd_);
#else
    ::close(fd_);
#endif
    fd_ = -1;
}

}  // namespace tx14
#endif  // TX14_CAPTURE_ONLY
