// The report file: a text file opened for appending, one record per report
// line. The records of a report are gathered in a fixed buffer and go out in
// a single write at the close on a descriptor opened for appending, so
// reports appended by several processes at once never interleave, and
// existing content is never truncated.
#pragma once

#include <array>
#include <cstddef>
#include <string_view>

namespace tx14 {

class ReportFile {
public:
    ReportFile() = default;
    ReportFile(const ReportFile&) = delete;
    ReportFile& operator=(const ReportFile&) = delete;
    ~ReportFile() { close(); }

    // Opens (creating if missing) the named file for appending; other
    // programs may read and write it meanwhile. False when it cannot be
    // opened (also for an empty name or one that does not fit a path).
    bool open(std::string_view name);
    bool is_open() const { return fd_ >= 0; }

    // A record is built in place: record_room() gives room in the buffer
    // for one of up to `longest` characters, or nullptr when no file is
    // open; add_record() then adds the `length` characters filled, followed
    // by the platform's newline. Line breaks inside the text become blanks,
    // so a record is always one line of the file. A report longer than the
    // buffer goes out in more than one write. Records that cannot be
    // written are dropped and the failure recorded.
    char* record_room(std::size_t longest);
    void add_record(std::size_t length);

    // Writes the gathered records and closes the file.
    void close();
    // Closes the file without writing the records gathered since the last
    // write: a run that cannot finish adds no more of its report.
    void discard();

    // The C library's error number of the first open, write or close that
    // failed since the last forget_error(); 0 when none did.
    int error() const { return error_; }
    void forget_error() { error_ = 0; }

private:
    void fail(int error_number);
    void flush();

    int fd_ = -1;
    int error_ = 0;
#if !defined(TX14_CAPTURE_ONLY)
    // The longest report: 500 records of up to 121 characters, each with
    // a newline of up to two.
    std::array<char, 500 * (121 + 2)> buffer_;
    std::size_t used_ = 0;
#endif
};

}  // namespace tx14
