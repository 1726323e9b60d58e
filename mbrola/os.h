// The few operating-system services the library needs to run an installed
// synthesizer program as a child process. Only os_posix.cpp talks to the
// system; the rest of the library goes through these functions.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace mbrola::os {

struct Child {
    int pid = -1;
    int input = -1;   // the child's standard input (we write)
    int output = -1;  // its standard output (we read)
    int errors = -1;  // its standard error (we read)
};

// The full path of `program` found on the PATH, or "" when there is none.
std::string find_on_path(std::string_view program);

// Starts argv[0] with the three pipes; false with a reason when it cannot.
bool spawn(const std::vector<std::string>& argv, Child& child, std::string& error);

// Writes all of `data` to the child's input. While the input pipe is full,
// what the child prints is moved into `output`/`errors` so that neither side
// waits for the other. False when the child no longer reads (it ended).
bool write_all(Child& child, std::string_view data, std::vector<uint8_t>& output,
               std::string& errors);

enum class ReadResult { kData, kNothing, kEnd };
// Moves what the child has printed into `output`/`errors`. Waits up to
// `wait_ms` (0: not at all) for standard output to bring something. kEnd when
// standard output is closed and drained.
ReadResult read_some(Child& child, std::vector<uint8_t>& output, std::string& errors, int wait_ms);

// Closes the child's input (it sees the end of its text).
void close_input(Child& child);

struct Exit {
    bool signalled = false;
    int code = 0;  // exit code, or the signal number when signalled
};
// Ends the child (killing it first when `kill` is set), closes the pipes and
// waits for it, so that nothing is left behind. The child is empty afterwards.
Exit finish(Child& child, bool kill);

// Reads up to `limit` bytes of a file; false when it cannot be opened.
bool read_file(const std::string& path, std::vector<uint8_t>& out, uint64_t limit);
bool is_regular_file(const std::string& path);

}  // namespace mbrola::os
