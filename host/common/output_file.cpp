#include "host/common/output_file.h"

#include <atomic>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <cstring>

#include "host/common/output_os.h"

namespace host::common {
namespace {

// Temporary files open right now, for the signal handler: fixed slots of
// plain characters, because a handler may only read memory and call unlink.
constexpr int slot_count = 16;
constexpr size_t slot_bytes = 4096;
char slots[slot_count][slot_bytes];
std::atomic<bool> slot_used[slot_count];

int register_temporary(const std::string& path) {
    if (path.size() >= slot_bytes) return -1;
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
        if (slot_used[i].load()) output_os::remove_file(slots[i]);
    std::signal(signal_number, SIG_DFL);
    std::raise(signal_number);
}

size_t last_separator(const std::string& path) {
    for (size_t i = path.size(); i-- > 0;)
        if (output_os::is_separator(path[i])) return i;
    return std::string::npos;
}

std::string folder_of(const std::string& path) {
    const size_t slash = last_separator(path);
    if (slash == std::string::npos) return ".";
    return slash == 0 ? path.substr(0, 1) : path.substr(0, slash);
}

std::string name_of(const std::string& path) {
    const size_t slash = last_separator(path);
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool is_folder(const std::string& path) {
    return output_os::kind_of(path) == output_os::Kind::folder;
}

}  // namespace

std::string absolute_path(std::string_view path, std::string_view start_folder) {
    if (path.empty() || output_os::is_absolute(path)) return std::string(path);
    std::string out(start_folder);
    if (out.empty() || !output_os::is_separator(out.back())) out.push_back('/');
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
    if (path.empty() || output_os::is_separator(path.back())) {
        error_ = path + ": falta o nome do arquivo";
        return false;
    }
    const std::string target = output_os::target_of(path);
    const output_os::Kind kind = output_os::kind_of(target);
    if (kind != output_os::Kind::missing &&
        (kind != output_os::Kind::regular || output_os::is_stream_name(path))) {
        if (kind == output_os::Kind::folder) {
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
        temporary_ = folder + "/." + name_of(target) + "." +
                     std::to_string(output_os::process_id()) + "-" + std::to_string(counter++) +
                     ".part";
        file_ = output_os::create_new(temporary_);
        if (!file_) {
            if (errno == EEXIST) continue;
            int error_number = errno;
            // A folder that exists but takes no new files (/proc) says
            // "no such file"; name it for what it is.
            if (error_number == ENOENT && is_folder(folder)) error_number = EACCES;
            temporary_.clear();
            fail(error_number);
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
    if (!failed() && !temporary_.empty() && !output_os::sync(file_) && errno != EINVAL)
        fail(errno);
    if (std::fclose(file_) != 0 && !failed()) fail(errno);
    file_ = nullptr;
    if (temporary_.empty()) return !failed();
    if (!failed() && !output_os::replace(temporary_, target_)) fail(errno);
    if (failed()) output_os::remove_file(temporary_.c_str());
    unregister_temporary(temporary_);
    temporary_.clear();
    return !failed();
}

void OutputFile::discard(std::string_view reason) {
    if (!reason.empty() && error_.empty()) error_ = path_ + ": " + std::string(reason);
    close_file();
    if (temporary_.empty()) return;
    output_os::remove_file(temporary_.c_str());
    unregister_temporary(temporary_);
    temporary_.clear();
}

bool check_output(const std::string& path, std::string* error) {
    const std::string target = output_os::target_of(path);
    if (!path.empty() && output_os::kind_of(target) == output_os::Kind::pipe) {
        // Opening a pipe would wait for its reader; its right is enough.
        if (output_os::may_write(target)) return true;
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

void remove_partial_outputs_on_signals() { output_os::on_interrupt(remove_temporaries_and_end); }

void binary_standard_output() { output_os::binary_standard_streams(); }

}  // namespace host::common
