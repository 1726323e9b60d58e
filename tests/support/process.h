// Running one of the built programs as a child process, as a user would.
#pragma once
#include <string>

namespace testsupport {

struct Outcome {
    int code = -1;  // exit code; -1 when killed by a signal
    std::string out;
    std::string err;
    long peak_rss_kb = 0;  // the child's peak resident set
};

// Runs `shell_command` with /bin/sh in `folder` (the current one when empty),
// capturing standard output and standard error.
Outcome run_command(const std::string& shell_command, const std::string& folder = "");

// The lines of `err` that start with "<program>: ", each with its newline
// (leaving out what a sanitizer adds at exit).
std::string program_lines(const std::string& err, const std::string& program);

// Quotes one argument for the shell.
std::string shell_quoted(const std::string& argument);

}  // namespace testsupport
