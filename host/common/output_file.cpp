#include "host/common/output_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <cstring>

namespace host::common {
namespace {

// Temporary files open right now, for the signal handler: fixed slots of
// plain characters, because a handler may only read memory and call unlink.
constexpr int slot_count = 16;
char slots[slot_count][PATH_MAX];
std::atomic<bool> slot_used[slot_count];

int register_temporary(const std::string& path) {
    if (path.size() >= PATH_MAX) return -1;
    for (int i = 0; i < slot_count; ++i) {
        if (slot_used[i].load()) continue;
        std::memcpy(slots[i], path.c_str(), path.size() + 1);
        slot_used[i].store(true);
        return i;
    }
    return -1;  // more outputs than slots: only an interrupted run would leave one
}

void unregister_temporary(const std::string& path) {
    for (int i = 0; i < slot_count; ++i)
        if (slot_used[i].load() && path == slots[i]) slot_used[i].store(false);
}

extern "C" void remove_temporaries_and_end(int signal_number) {
    for (int i = 0; i < slot_count; ++i)
        if (slot_used[i].load()) ::unlink(slots[i]);
    std::signal(signal_number, SIG_DFL);
    std::raise(signal_number);
}

std::string folder_of(const std::string& path) {
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string name_of(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool is_folder(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// /dev/stdout and its kin name an open stream, whatever it leads to: they are
// written in place.
bool is_stream_name(const std::string& path) {
    return path.rfind("/dev/", 0) == 0 || path.rfind("/proc/self/fd/", 0) == 0;
}

// The file a write to `path` must replace: a symbolic link is followed, so
// that the link stays and the file it names is renewed.
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

}  // namespace

std::string absolute_path(std::string_view path, std::string_view start_folder) {
    if (path.empty() || path.front() == '/') return std::string(path);
    std::string out(start_folder);
    if (out.empty() || out.back() != '/') out.push_back('/');
    if (path.substr(0, 2) == "./") path.remove_prefix(2);
    out.append(path);
    return out;
}

std::string describe_errno(int error_number) {
    switch (error_number) {
        case ENOENT:
            return "a pasta nao existe";
        case ENOTDIR:
            return "parte do caminho nao e uma pasta";
        case EISDIR:
            return "ha uma pasta com esse nome";
        case EACCES:
        case EPERM:
            return "sem permissao para gravar";
        case EROFS:
            return "sistema de arquivos so de leitura";
        case ENOSPC:
            return "nao ha espaco no disco";
#ifdef EDQUOT
        case EDQUOT:
            return "a cota de disco acabou";
#endif
        case EFBIG:
            return "arquivo grande demais";
        case ENAMETOOLONG:
            return "nome longo demais";
        case EIO:
            return "erro de entrada e saida";
        default:
            return std::strerror(error_number);
    }
}

OutputFile::~OutputFile() {
    if (file_) discard();
}

void OutputFile::fail(int error_number) {
    if (error_.empty()) error_ = path_ + ": " + describe_errno(error_number);
}

void OutputFile::close_file() {
    if (!file_) return;
    std::fclose(file_);
    file_ = nullptr;
}

bool OutputFile::open(const std::string& path) {
    if (file_) discard();
    path_ = path;
    error_.clear();
    temporary_.clear();
    written_ = 0;
    if (path.empty() || path.back() == '/') {
        error_ = path + ": falta o nome do arquivo";
        return false;
    }
    const std::string target = target_of(path);
    struct stat st;
    const bool exists = ::stat(target.c_str(), &st) == 0;
    if (exists && (!S_ISREG(st.st_mode) || is_stream_name(path))) {
        if (S_ISDIR(st.st_mode)) {
            fail(EISDIR);
            return false;
        }
        // A device or a pipe is written in place: there is nothing to
        // replace, and renaming over it would destroy it.
        target_ = target;
        file_ = std::fopen(path.c_str(), "wb");
        if (!file_) fail(errno);
        return file_ != nullptr;
    }
    const std::string folder = folder_of(target);
    static std::atomic<unsigned> counter{0};
    for (int attempt = 0; attempt < 100 && !file_; ++attempt) {
        temporary_ = folder + "/." + name_of(target) + "." + std::to_string(::getpid()) + "-" +
                     std::to_string(counter++) + ".part";
        const int fd = ::open(temporary_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0) {
            if (errno == EEXIST) continue;
            int error_number = errno;
            // A folder that exists but takes no new files (/proc) says
            // "no such file"; name it for what it is.
            if (error_number == ENOENT && is_folder(folder)) error_number = EACCES;
            temporary_.clear();
            fail(error_number);
            return false;
        }
        file_ = ::fdopen(fd, "wb");
        if (!file_) {
            fail(errno);
            ::close(fd);
            ::unlink(temporary_.c_str());
            temporary_.clear();
            return false;
        }
    }
    if (!file_) {
        fail(EEXIST);
        return false;
    }
    path_ = path;
    target_ = target;
    register_temporary(temporary_);
    return true;
}

bool OutputFile::write(const void* data, size_t length_bytes) {
    if (!file_ || failed()) return false;
    if (length_bytes == 0) return true;
    if (std::fwrite(data, 1, length_bytes, file_) != length_bytes) {
        fail(errno ? errno : EIO);
        return false;
    }
    written_ += length_bytes;
    return true;
}

bool OutputFile::write_at(uint64_t offset, const void* data, size_t length_bytes) {
    if (!file_ || failed()) return false;
    if (std::fflush(file_) != 0) {
        fail(errno);
        return false;
    }
    const long end = std::ftell(file_);
    if (end < 0 || offset > static_cast<uint64_t>(LONG_MAX) ||
        std::fseek(file_, static_cast<long>(offset), SEEK_SET) != 0)
        return false;
    const bool ok = std::fwrite(data, 1, length_bytes, file_) == length_bytes;
    if (!ok) fail(errno ? errno : EIO);
    std::fseek(file_, end, SEEK_SET);
    return ok;
}

bool OutputFile::flush() {
    if (!file_ || failed()) return false;
    if (std::fflush(file_) != 0) {
        fail(errno);
        return false;
    }
    return true;
}

bool OutputFile::commit() {
    if (!file_) {
        if (error_.empty()) error_ = path_ + ": nao foi aberto";
        return false;
    }
    if (!failed() && std::fflush(file_) != 0) fail(errno);
    if (!failed() && !temporary_.empty() && ::fsync(::fileno(file_)) != 0 && errno != EINVAL)
        fail(errno);
    if (std::fclose(file_) != 0 && !failed()) fail(errno);
    file_ = nullptr;
    if (temporary_.empty()) return !failed();
    if (!failed() && ::rename(temporary_.c_str(), target_.c_str()) != 0) fail(errno);
    if (failed()) ::unlink(temporary_.c_str());
    unregister_temporary(temporary_);
    temporary_.clear();
    return !failed();
}

void OutputFile::discard(std::string_view reason) {
    if (!reason.empty() && error_.empty()) error_ = path_ + ": " + std::string(reason);
    close_file();
    if (temporary_.empty()) return;
    ::unlink(temporary_.c_str());
    unregister_temporary(temporary_);
    temporary_.clear();
}

bool check_output(const std::string& path, std::string* error) {
    struct stat st;
    const std::string target = target_of(path);
    if (!path.empty() && ::stat(target.c_str(), &st) == 0 && S_ISFIFO(st.st_mode)) {
        // Opening a pipe would wait for its reader; its right is enough.
        if (::access(target.c_str(), W_OK) == 0) return true;
        if (error) *error = path + ": " + describe_errno(errno);
        return false;
    }
    OutputFile probe;
    if (!probe.open(path)) {
        if (error) *error = probe.error();
        return false;
    }
    probe.discard();
    return true;
}

void remove_partial_outputs_on_signals() {
    // Past a file size limit a write then fails (and is reported) instead
    // of killing the process with the half file in place.
    std::signal(SIGXFSZ, SIG_IGN);
    for (const int s : {SIGINT, SIGTERM, SIGHUP}) {
        struct sigaction action {};
        action.sa_handler = remove_temporaries_and_end;
        sigemptyset(&action.sa_mask);
        ::sigaction(s, &action, nullptr);
    }
}

}  // namespace host::common
