// Files tx14 creates. Each is written under a temporary name in the
// directory of its final name and renamed into place: a reader never sees
// half a file, a symbolic link under the name is replaced rather than
// written through, and a failed write leaves whatever was there. A FIFO or
// character device under the name is written as it is (it holds no file to
// lose); a block device is refused. A file replaced keeps its permissions.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace tx14::cli {

class NewFile {
public:
    // Creates an empty temporary file beside `name`; error() says why when
    // it cannot.
    explicit NewFile(std::filesystem::path name);
    ~NewFile();  // removes the temporary file unless it was committed
    NewFile(const NewFile&) = delete;
    NewFile& operator=(const NewFile&) = delete;

    bool ok() const { return error_.empty(); }
    const std::string& error() const { return error_; }
    const std::filesystem::path& temporary() const { return temporary_; }

    // Appends text to the temporary file (or the FIFO or device).
    bool write(std::string_view text);

    // Closes the temporary file and renames it to the final name. False
    // with error() when that fails; the temporary file is removed then.
    bool commit();

private:
    bool fail(int error_number);

    std::filesystem::path name_, temporary_;
    int fd_ = -1;
    std::string error_;
    bool committed_ = false;
    bool streamed_ = false;  // a FIFO or character device: no temporary file
};

// Writes `text` as the file `name` through a NewFile; the reason when it
// cannot.
std::optional<std::string> write_new_file(const std::filesystem::path& name, std::string_view text);

// What identifies a file whatever its name: device and inode.
struct FileId {
    unsigned long long device = 0, inode = 0;
    bool operator==(const FileId&) const = default;
};

// The identity of the file a name leads to (symbolic links followed); none
// for a name that leads nowhere, and for a FIFO or a character device,
// which hold no file to lose.
std::optional<FileId> file_id(const std::filesystem::path& name);

// The identity of the file standard output (or input) writes to; none
// unless it is a regular file.
std::optional<FileId> standard_output_id();
std::optional<FileId> standard_input_id();

// True when both names lead to one file: the same device and inode, symbolic
// links followed ("-" is standard input), or, for a file not there yet, the
// same name. A FIFO or a character device is no file: false.
bool same_file(const std::filesystem::path& a, const std::filesystem::path& b);

}  // namespace tx14::cli
