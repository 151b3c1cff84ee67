// Platform layer of the report file: POSIX descriptors here, the C runtime's
// shared-access descriptors on Windows.
#include "report_file.hpp"

#include <cerrno>

#if defined(TX14_CAPTURE_ONLY)
// Built without report files (the WebAssembly module): no name opens, so a
// run either captures its report or ends, and the module needs no file
// system.
namespace tx14 {
bool ReportFile::open(std::string_view)
{
    error_ = ENOSYS;  // recorded, so that a caller learns the report went nowhere
    return false;
}
char* ReportFile::record_room(std::size_t) { return nullptr; }
void ReportFile::add_record(std::size_t) {}
void ReportFile::close() {}
void ReportFile::discard() {}
}  // namespace tx14
#else

#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#if defined(_WIN32)
#include <fcntl.h>
#include <io.h>
#include <share.h>
#include <sys/stat.h>
#else
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

// Whether any of the n characters at p is a control character up to the
// carriage return (the line feed is one). Nearly every record holds none,
// so one pass over it, sixteen at a time where SSE2 is there, settles it.
bool may_hold_line_break(const char* p, std::size_t n)
{
    std::size_t i = 0;
#if defined(__SSE2__)
    if (n >= 16) {
        const __m128i cr = _mm_set1_epi8('\r');
        __m128i low = _mm_setzero_si128();
        auto look = [&](const char* at) {
            const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
            low = _mm_or_si128(low, _mm_cmpeq_epi8(_mm_min_epu8(v, cr), v));  // v <= '\r', unsigned
        };
        for (; i + 16 <= n; i += 16)
            look(p + i);
        if (i < n)
            look(p + n - 16);  // the last sixteen, overlapping the ones before
        return _mm_movemask_epi8(low) != 0;
    }
#endif
    for (; i < n; ++i)
        if (static_cast<unsigned char>(p[i]) <= '\r')
            return true;
    return false;
}

}  // namespace

bool ReportFile::open(std::string_view name)
{
    close();
    char path[1024];
    if (name.empty() || name.size() >= sizeof path || name.find('\0') != std::string_view::npos) {
        fail(EINVAL);
        return false;
    }
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
    if (fd_ < 0)
        fail(errno);
    return fd_ >= 0;
}

char* ReportFile::record_room(std::size_t longest)
{
    if (fd_ < 0)
        return nullptr;
    if (buffer_.size() - used_ < longest + kNewlineLength)
        flush();
    return buffer_.data() + used_;
}

void ReportFile::add_record(std::size_t length)
{
    char* record = buffer_.data() + used_;
    // A line break inside the text (a host's material name or unit label)
    // would split the record into two lines of the file.
    if (may_hold_line_break(record, length))
        for (std::size_t i = 0; i < length; ++i)
            if (record[i] == '\n' || record[i] == '\r')
                record[i] = ' ';
    std::memcpy(record + length, kNewline, kNewlineLength);
    used_ += length + kNewlineLength;
}

void ReportFile::flush()
{
    std::size_t total = used_;
    used_ = 0;
    if (error_ != 0)
        return;  // after a failed write nothing more goes out: no gap inside a report
#if defined(_WIN32)
    int written = _write(fd_, buffer_.data(), static_cast<unsigned>(total));
    if (written < 0)
        fail(errno);
    else if (static_cast<std::size_t>(written) != total)
        fail(ENOSPC);
#else
    // A short write (the disk filling up) is continued, so that the error,
    // if any, comes from the system.
    for (const char* p = buffer_.data(); total > 0;) {
        ssize_t written = ::write(fd_, p, total);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0) {
            fail(written < 0 ? errno : EIO);
            return;
        }
        p += written;
        total -= static_cast<std::size_t>(written);
    }
#endif
}

void ReportFile::close()
{
    if (fd_ < 0)
        return;
    if (used_ > 0)
        flush();
#if defined(_WIN32)
    if (_close(fd_) != 0)
        fail(errno);
#else
    if (::close(fd_) != 0 && errno != EINTR)  // after EINTR the descriptor is closed all the same
        fail(errno);
#endif
    fd_ = -1;
}

void ReportFile::discard()
{
    used_ = 0;
    close();
}

void ReportFile::fail(int error_number)
{
    if (error_ == 0)
        error_ = error_number != 0 ? error_number : EIO;
}

}  // namespace tx14
#endif  // TX14_CAPTURE_ONLY
