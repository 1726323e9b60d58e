// What the library's entry points do, kept in one object. A session is
// started on a voice database and produces samples from phoneme lines in one
// of two ways, chosen by the database:
//   - our own diphone database (it starts with its mark): synthesized here;
//   - any other file, when an `mbrola` program is on the PATH: that program
//     runs as a child process, fed the lines through a pipe, its 16-bit
//     samples read back through another. It is started at the first line
//     and its input is closed by a flush (so that it produces everything and
//     ends); the next line starts a new one. A reset or close kills it. It is
//     always waited for, so none is left behind.
//
// States: closed --init ok--> open --close--> closed. An error (code and
// text) is kept until reset or init, so that a caller that checks after each
// line sees it.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "mbrola/database.h"
#include "mbrola/os.h"
#include "mbrola/psola.h"

namespace mbrola {

// Error codes returned by the entry points and by lastError_MBR (0: none).
enum ErrorCode : int {
    kNoError = 0,
    kErrorNotOpen = -1,
    kErrorDatabase = -2,
    kErrorNoProgram = -3,
    kErrorInput = -4,  // a malformed line, an unknown phoneme or a missing diphone
    kErrorChild = -5,  // the child process failed, crashed or could not start
};

enum AudioType : int { kLin16 = 0, kLin8 = 1, kUlaw = 2, kAlaw = 3 };

class Session {
public:
    Session() = default;
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    // `rename` and `clone` hold pairs "database-name input-name ..." (may be
    // empty): the input name is read as the database's phoneme.
    int init(const char* database_path, const char* rename = "", const char* clone = "");
    void close();
    void reset();
    int write(const char* text);
    int flush();
    int read(int16_t* samples, int wanted);
    int read_type(void* out, int wanted, int type);

    int last_error() const { return error_code_; }
    const std::string& last_error_text() const { return error_text_; }
    void set_no_error(bool on);
    bool no_error() const { return no_error_; }
    void set_rate_hz(int rate_hz);
    int rate_hz() const;
    void set_volume(float ratio);
    float volume() const { return volume_; }
    std::string database_info(int index) const;

    // The mbrola program to run for a database of its own, instead of the one
    // found on the PATH (empty: the PATH's). Takes effect at the next init.
    void set_program(std::string path) { chosen_program_ = std::move(path); }

    // The running child's process id, or -1 (for tests that check none is left behind).
    int child_pid() const { return child_.pid; }

private:
    enum class Mode { kClosed, kInProcess, kChild };
    int fail(int code, const std::string& text);
    int handle_line(std::string_view line);
    int start_child();
    int child_step(int wait_ms);
    int finish_draining();
    void stop_child(bool kill);
    int child_failure(const os::Exit& exit);
    os::Exit end_after_failed_write();
    std::vector<std::string> child_arguments() const;

    Mode mode_ = Mode::kClosed;
    std::string database_path_;
    int error_code_ = kNoError;
    std::string error_text_;
    bool no_error_ = false;
    float volume_ = 1.0f;
    int rate_hz_ = 16000;
    std::string pending_;  // text after the last line break
    std::string rename_, clone_;

    std::unique_ptr<Database> db_;
    std::unique_ptr<Synthesizer> synth_;

    std::string chosen_program_;
    std::string program_;
    os::Child child_;
    bool child_draining_ = false;  // its input is closed; read until it ends
    std::vector<uint8_t> child_output_;
    std::string child_errors_;
    size_t child_read_at_ = 0;
};

inline constexpr const char* kVersion = "3.3 (zimbalot diphone library 1.0)";

// How long a flushed child may stay silent before it is taken as hung.
constexpr int kChildSilenceLimitMs = 10000;

}  // namespace mbrola
