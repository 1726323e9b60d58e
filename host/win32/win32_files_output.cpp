// Writing output files on Windows.
#include <fcntl.h>
#include <io.h>
#include <process.h>
#include <sys/stat.h>
#include <windows.h>

#include <cerrno>
#include <csignal>
#include <cstring>

#include "host/common/output_os.h"

namespace host::common::output_os {

Kind kind_of(const std::string& path) {
    if (is_stream_name(path)) return Kind::device;
    const DWORD a = ::GetFileAttributesA(path.c_str());
    if (a == INVALID_FILE_ATTRIBUTES) return Kind::missing;
    return (a & FILE_ATTRIBUTE_DIRECTORY) ? Kind::folder : Kind::regular;
}

bool is_absolute(std::string_view path) {
    if (!path.empty() && is_separator(path.front())) return true;  // \folder, \\server
    return path.size() >= 3 && path[1] == ':' && is_separator(path[2]);
}

bool is_separator(char c) {
    return c == '\\' || c == '/';
}

bool is_stream_name(const std::string& path) {
    // The reserved device names, whatever folder or extension is added.
    std::string name = path.substr(
        path.find_last_of("\\/:") == std::string::npos ? 0 : path.find_last_of("\\/:") + 1);
    name = name.substr(0, name.find('.'));
    for (const char* device : {"NUL", "CON", "PRN", "AUX", "CONOUT$"})
        if (::lstrcmpiA(name.c_str(), device) == 0) return true;
    return false;
}

std::string target_of(const std::string& path) {
    return path;
}

std::FILE* create_new(const std::string& path) {
    const int fd = ::_open(path.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY | _O_NOINHERIT,
                           _S_IREAD | _S_IWRITE);
    if (fd < 0) {
        // Windows says "no such file" when a part of the path is a file;
        // the message then names what is wrong, as on other systems.
        if (errno == ENOENT) {
            std::string part = path;
            while (!part.empty()) {
                const size_t slash = part.find_last_of("\\/");
                if (slash == std::string::npos || slash == 0) break;
                part.resize(slash);
                const Kind kind = kind_of(part);
                if (kind == Kind::regular) errno = ENOTDIR;
                if (kind != Kind::missing) break;
            }
        }
        return nullptr;
    }
    std::FILE* file = ::_fdopen(fd, "wb");
    if (!file) {
        const int error_number = errno;
        ::_close(fd);
        ::DeleteFileA(path.c_str());
        errno = error_number;
    }
    return file;
}

bool sync(std::FILE* file) {
    return ::_commit(::_fileno(file)) == 0;
}

bool replace(const std::string& from, const std::string& to) {
    if (::MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return true;
    switch (::GetLastError()) {
        case ERROR_ACCESS_DENIED:
        case ERROR_SHARING_VIOLATION:
            errno = EACCES;
            break;
        case ERROR_PATH_NOT_FOUND:
        case ERROR_FILE_NOT_FOUND:
            errno = ENOENT;
            break;
        case ERROR_DISK_FULL:
            errno = ENOSPC;
            break;
        default:
            errno = EIO;
    }
    return false;
}

void remove_file(const char* path) {
    ::DeleteFileA(path);
}

bool may_write(const std::string&) {
    return true;
}

unsigned long process_id() {
    return ::GetCurrentProcessId();
}

void binary_standard_streams() {
    // Traces, printed phonemes and samples are the same bytes on every system.
    ::_setmode(::_fileno(stdout), _O_BINARY);
    ::_setmode(::_fileno(stderr), _O_BINARY);
    // What the programs print is UTF-8; a console shows it as such.
    ::SetConsoleOutputCP(CP_UTF8);
}

void on_interrupt(void (*handler)(int)) {
    // Ctrl+C and Ctrl+Break in a console; a closed console ends the process
    // without a signal, as it ends any console program.
    std::signal(SIGINT, handler);
    std::signal(SIGTERM, handler);
    std::signal(SIGBREAK, handler);
}

}  // namespace host::common::output_os
