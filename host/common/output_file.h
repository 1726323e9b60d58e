// Files a user asks for (traces, captures, screenshots, falar -w). Each is
// written under a temporary name beside its target and renamed over it only
// when complete, so a failed or interrupted run never leaves a half file and
// never spoils a file that was there before.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

namespace host::common {

// `path` made absolute against `start_folder`, the folder the user started
// the program in, so that a later change of the current folder cannot move
// it. An empty path stays empty; an absolute one is returned as it is.
std::string absolute_path(std::string_view path, std::string_view start_folder);

// Short Portuguese reason for an errno value, for the one-line messages.
std::string describe_errno(int error_number);

class OutputFile {
public:
    OutputFile() = default;
    ~OutputFile();  // removes the temporary file unless committed
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // Creates the temporary file beside `path` (which must be absolute or
    // relative to the current folder). A device or a pipe (/dev/stdout,
    // /dev/null) is written in place. False with error() set when the file
    // cannot be created: a missing folder, a folder in its place, no right.
    bool open(const std::string& path);
    bool is_open() const { return file_ != nullptr; }

    // Appends bytes. After the first failure nothing more is written and
    // every call returns false; error() tells why.
    bool write(const void* data, size_t length_bytes);
    bool write(std::string_view text) { return write(text.data(), text.size()); }
    // Overwrites bytes already written (a header completed at the end); false
    // when the target cannot seek (a pipe), which is not an error.
    bool write_at(uint64_t offset, const void* data, size_t length_bytes);
    // Pushes buffered bytes to the file; false on a write error.
    bool flush();

    // Flushes, closes and renames the temporary file over the target. False
    // with error() set when any step failed; the temporary file is removed
    // and the target left as it was.
    bool commit();
    // Removes the temporary file; the target stays as it was. `reason`, when
    // given, becomes the error.
    void discard(std::string_view reason = "");

    uint64_t bytes_written() const { return written_; }
    const std::string& path() const { return path_; }
    const std::string& temporary_path() const { return temporary_; }
    bool failed() const { return !error_.empty(); }
    // "<path>: <reason>" after a failure, else empty.
    const std::string& error() const { return error_; }

private:
    void fail(int error_number);
    void close_file();

    std::string path_;
    std::string target_;     // the file renamed over: path_ with links followed
    std::string temporary_;  // empty when written in place
    std::string error_;
    std::FILE* file_ = nullptr;
    uint64_t written_ = 0;
};

// Whether a file can be written at `path`: tried by creating and removing a
// temporary file beside it. False with `error` ("<path>: <reason>") set.
bool check_output(const std::string& path, std::string* error);

// From now on SIGINT, SIGTERM and SIGHUP first remove every temporary file
// still open, then end the process as the signal would have; a file size
// limit (SIGXFSZ) makes the write fail instead. Called by main.
void remove_partial_outputs_on_signals();

// Standard output and error carry the same bytes on every system (no newline
// translation), so a trace or samples on standard output are those of a file.
// Called by main.
void binary_standard_output();

}  // namespace host::common
