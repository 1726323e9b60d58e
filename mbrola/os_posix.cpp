#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "mbrola/os.h"

extern char** environ;

namespace mbrola::os {
namespace {

void close_fd(int& fd) {
    if (fd >= 0) ::close(fd);
    fd = -1;
}

// A write to a pipe whose reader has gone raises SIGPIPE, which would end the
// whole program. It is blocked in this thread around the write, and a signal
// raised by it is taken back before the mask is restored.
class SigpipeGuard {
public:
    SigpipeGuard() {
        sigemptyset(&pipe_);
        sigaddset(&pipe_, SIGPIPE);
        sigset_t pending;
        sigpending(&pending);
        was_pending_ = sigismember(&pending, SIGPIPE) == 1;
        pthread_sigmask(SIG_BLOCK, &pipe_, &old_);
    }
    ~SigpipeGuard() {
        if (!was_pending_) {
            sigset_t pending;
            sigpending(&pending);
            if (sigismember(&pending, SIGPIPE) == 1) {
                const timespec none{0, 0};
                while (sigtimedwait(&pipe_, nullptr, &none) < 0 && errno == EINTR) {
                }
            }
        }
        pthread_sigmask(SIG_SETMASK, &old_, nullptr);
    }

private:
    sigset_t pipe_, old_;
    bool was_pending_ = false;
};

// Moves whatever is readable from `fd` into `sink`; false at end of stream.
template <typename Sink>
bool drain(int& fd, Sink& sink) {
    char buffer[65536];
    while (fd >= 0) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n > 0) {
            sink.insert(sink.end(), buffer, buffer + n);
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return true;
        close_fd(fd);  // end of stream or a broken pipe
        return false;
    }
    return false;
}

}  // namespace

std::string find_on_path(std::string_view program) {
    const char* path = std::getenv("PATH");
    std::string_view dirs = path ? path : "/usr/local/bin:/usr/bin:/bin";
    while (true) {
        const size_t colon = dirs.find(':');
        std::string dir(dirs.substr(0, colon));
        if (dir.empty()) dir = ".";
        const std::string candidate = dir + "/" + std::string(program);
        struct stat st {};
        if (::stat(candidate.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
            ::access(candidate.c_str(), X_OK) == 0)
            return candidate;
        if (colon == std::string_view::npos) return "";
        dirs.remove_prefix(colon + 1);
    }
}

bool spawn(const std::vector<std::string>& argv, Child& child, std::string& error) {
    int in[2], out[2], err[2];
    if (::pipe2(in, O_CLOEXEC) != 0) {
        error = std::strerror(errno);
        return false;
    }
    if (::pipe2(out, O_CLOEXEC) != 0) {
        error = std::strerror(errno);
        ::close(in[0]);
        ::close(in[1]);
        return false;
    }
    if (::pipe2(err, O_CLOEXEC) != 0) {
        error = std::strerror(errno);
        for (int fd : {in[0], in[1], out[0], out[1]}) ::close(fd);
        return false;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, in[0], 0);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_adddup2(&actions, err[1], 2);
    // The child starts with default signal handling whatever the program set.
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t defaults, none;
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGPIPE);
    sigaddset(&defaults, SIGTERM);
    sigaddset(&defaults, SIGINT);
    sigemptyset(&none);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);
    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    pid_t pid = -1;
    const int rc =
        ::posix_spawn(&pid, argv[0].c_str(), &actions, &attributes, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    ::close(in[0]);
    ::close(out[1]);
    ::close(err[1]);
    if (rc != 0) {
        error = std::strerror(rc);
        for (int fd : {in[1], out[0], err[0]}) ::close(fd);
        return false;
    }
    for (int fd : {in[1], out[0], err[0]}) ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
    child.pid = pid;
    child.input = in[1];
    child.output = out[0];
    child.errors = err[0];
    return true;
}

bool write_all(Child& child, std::string_view data, std::vector<uint8_t>& output,
               std::string& errors) {
    SigpipeGuard guard;
    while (!data.empty()) {
        if (child.input < 0) return false;
        const ssize_t n = ::write(child.input, data.data(), data.size());
        if (n > 0) {
            data.remove_prefix(static_cast<size_t>(n));
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK) {
            close_fd(child.input);
            return false;
        }
        pollfd fds[3] = {
            {child.input, POLLOUT, 0}, {child.output, POLLIN, 0}, {child.errors, POLLIN, 0}};
        if (::poll(fds, 3, 1000) < 0 && errno != EINTR) return false;
        if (fds[1].revents) drain(child.output, output);
        if (fds[2].revents) drain(child.errors, errors);
    }
    return true;
}

ReadResult read_some(Child& child, std::vector<uint8_t>& output, std::string& errors, int wait_ms) {
    const size_t before = output.size();
    if (child.output >= 0 && wait_ms > 0) {
        pollfd fds[2] = {{child.output, POLLIN, 0}, {child.errors, POLLIN, 0}};
        timespec start{};
        clock_gettime(CLOCK_MONOTONIC, &start);
        while (child.output >= 0) {
            timespec now{};
            clock_gettime(CLOCK_MONOTONIC, &now);
            const long spent =
                (now.tv_sec - start.tv_sec) * 1000 + (now.tv_nsec - start.tv_nsec) / 1000000;
            if (spent >= wait_ms) break;
            fds[0].fd = child.output;
            fds[1].fd = child.errors;
            const int ready = ::poll(fds, 2, static_cast<int>(wait_ms - spent));
            if (ready < 0 && errno == EINTR) continue;
            if (ready <= 0) break;
            if (fds[1].revents) drain(child.errors, errors);
            if (fds[0].revents) break;
        }
    }
    drain(child.errors, errors);
    const bool open = drain(child.output, output);
    if (output.size() > before) return ReadResult::kData;
    return open ? ReadResult::kNothing : ReadResult::kEnd;
}

void close_input(Child& child) {
    close_fd(child.input);
}

Exit finish(Child& child, bool kill) {
    Exit exit;
    close_fd(child.input);
    if (child.pid > 0) {
        if (kill) ::kill(child.pid, SIGKILL);
        int status = 0;
        while (::waitpid(child.pid, &status, 0) < 0 && errno == EINTR) {
        }
        if (WIFSIGNALED(status)) {
            exit.signalled = true;
            exit.code = WTERMSIG(status);
        } else if (WIFEXITED(status)) {
            exit.code = WEXITSTATUS(status);
        }
    }
    close_fd(child.output);
    close_fd(child.errors);
    child.pid = -1;
    return exit;
}

bool read_file(const std::string& path, std::vector<uint8_t>& out, uint64_t limit) {
    out.clear();
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) ||
        static_cast<uint64_t>(st.st_size) > limit) {
        ::close(fd);
        return false;
    }
    out.resize(static_cast<size_t>(st.st_size));
    size_t at = 0;
    while (at < out.size()) {
        const ssize_t n = ::read(fd, out.data() + at, out.size() - at);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        at += static_cast<size_t>(n);
    }
    ::close(fd);
    out.resize(at);
    return true;
}

bool is_regular_file(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

}  // namespace mbrola::os
