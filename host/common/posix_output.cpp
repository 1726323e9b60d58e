// Writing output files on a POSIX system.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>

#include "host/common/output_os.h"

namespace host::common::output_os {

Kind kind_of(const std::string& path) {
    struct stat st;
    if (::stat(path.c_str(), &st) != 0) return Kind::missing;
    if (S_ISREG(st.st_mode)) return Kind::regular;
    if (S_ISDIR(st.st_mode)) return Kind::folder;
    if (S_ISFIFO(st.st_mode)) return Kind::pipe;
    return Kind::device;
}

bool is_absolute(std::string_view path) {
    return !path.empty() && path.front() == '/';
}

bool is_separator(char c) {
    return c == '/';
}

bool is_stream_name(const std::string& path) {
    return path.rfind("/dev/", 0) == 0 || path.rfind("/proc/self/fd/", 0) == 0;
}

std::string target_of(const std::string& path) {
    struct stat st;
    if (::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
        if (char* real = ::realpath(path.c_str(), nullptr)) {
            std::string out(real);
            std::free(real);
            return out;
        }
    }
    return path;
}

std::FILE* create_new(const std::string& path) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) return nullptr;
    std::FILE* file = ::fdopen(fd, "wb");
    if (!file) {
        const int error_number = errno;
        ::close(fd);
        ::unlink(path.c_str());
        errno = error_number;
    }
    return file;
}

bool sync(std::FILE* file) {
    return ::fsync(::fileno(file)) == 0;
}

bool replace(const std::string& from, const std::string& to) {
    return ::rename(from.c_str(), to.c_str()) == 0;
}

void remove_file(const char* path) {
    ::unlink(path);
}

bool may_write(const std::string& path) {
    return ::access(path.c_str(), W_OK) == 0;
}

unsigned long process_id() {
    return static_cast<unsigned long>(::getpid());
}

void binary_standard_streams() {}

void on_interrupt(void (*handler)(int)) {
    // Past a file size limit a write then fails (and is reported) instead
    // of killing the process with the half file in place.
    std::signal(SIGXFSZ, SIG_IGN);
    for (const int s : {SIGINT, SIGTERM, SIGHUP}) {
        struct sigaction action {};
        action.sa_handler = handler;
        sigemptyset(&action.sa_mask);
        ::sigaction(s, &action, nullptr);
    }
}

}  // namespace host::common::output_os
