// The report file: a text file opened for appending, written one record per
// report line. Each record goes out in a single write on a descriptor opened
// for appending, so reports appended by several processes at once never tear
// a record, and existing content is never truncated.
#pragma once

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

    // Writes one record followed by the platform's newline; line breaks
    // inside the text become blanks, so a record is always one line of the
    // file. A record that cannot be written is dropped and the failure
    // recorded.
    void write_record(const char* text, std::size_t length);

    void close();

    // The C library's error number of the first open, write or close that
    // failed since the last forget_error(); 0 when none did.
    int error() const { return error_; }
    void forget_error() { error_ = 0; }

private:
    void fail(int error_number);

    int fd_ = -1;
    int error_ = 0;
};

}  // namespace tx14
