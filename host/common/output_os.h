// What writing a user's output file asks of the operating system; one file
// per system implements it (posix_output.cpp, win32/win32_files_output.cpp).
#pragma once
#include <cstdio>
#include <string>
#include <string_view>

namespace host::common::output_os {

enum class Kind { missing, regular, folder, pipe, device };

// What `path` names now (links followed).
Kind kind_of(const std::string& path);
// Whether `path` is absolute on this system.
bool is_absolute(std::string_view path);
bool is_separator(char c);
// Names of open streams that are written in place whatever they lead to
// (/dev/stdout on Linux, NUL and CON on Windows).
bool is_stream_name(const std::string& path);
// The file a write to `path` must replace: a symbolic link is followed, so
// that the link stays and the file it names is renewed.
std::string target_of(const std::string& path);
// Creates `path`, which must not exist, for writing; nullptr with errno set.
std::FILE* create_new(const std::string& path);
// Pushes the file's data to the disk; false with errno set.
bool sync(std::FILE* file);
// Renames `from` over `to`, replacing it; false with errno set.
bool replace(const std::string& from, const std::string& to);
// Removes a file. Safe in an interrupt handler.
void remove_file(const char* path);
// Whether a pipe may be written (its right); false with errno set.
bool may_write(const std::string& path);
unsigned long process_id();
// Standard output and error written byte for byte (no newline translation).
void binary_standard_streams();
// From now on an interrupt (Ctrl+C and the like) calls `handler` with its
// signal number first; a file size limit makes a write fail instead.
void on_interrupt(void (*handler)(int));

}  // namespace host::common::output_os
