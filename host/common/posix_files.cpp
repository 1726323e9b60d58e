#include "host/common/posix_files.h"

#include <dirent.h>
#include <dlfcn.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "host/common/mbrola_host.h"
#include "host/text.h"

#ifndef ZIMBALOT_BUILD_DATA_DIR
#define ZIMBALOT_BUILD_DATA_DIR ""
#endif
#ifndef ZIMBALOT_INSTALL_DATA_DIR
#define ZIMBALOT_INSTALL_DATA_DIR ""
#endif
#ifndef ZIMBALOT_INSTALL_PREFIX
#define ZIMBALOT_INSTALL_PREFIX "/usr/local"
#endif
#ifndef ZIMBALOT_SYSCONF_DIR
#define ZIMBALOT_SYSCONF_DIR "etc"
#endif

namespace host::common {
namespace {

bool same_ignoring_case(const char* a, const std::string& b) {
    if (std::strlen(a) != b.size()) return false;
    for (size_t i = 0; i < b.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

bool exists(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0;
}

// Resolves one path: an exact hit first, then a case-insensitive scan of each
// folder along the way. Components that do not exist are kept as written.
std::string resolve(std::string_view windows_path, const DriveMap& drives) {
    std::string path = translate_path(windows_path, drives);
    if (path.empty() || exists(path)) return path;
    std::string out;
    size_t pos = 0;
    if (path[0] == '/') {
        out = "/";
        pos = 1;
    }
    bool missing = false;
    while (pos <= path.size()) {
        size_t slash = path.find('/', pos);
        if (slash == std::string::npos) slash = path.size();
        std::string part = path.substr(pos, slash - pos);
        pos = slash + 1;
        if (part.empty()) {
            if (slash == path.size()) break;
            continue;
        }
        std::string candidate =
            out.empty() ? part : (out.back() == '/' ? out + part : out + "/" + part);
        if (!missing && !exists(candidate) && part != "." && part != "..") {
            const std::string folder = out.empty() ? "." : out;
            bool found = false;
            if (DIR* dir = ::opendir(folder.c_str())) {
                while (dirent* entry = ::readdir(dir)) {
                    if (same_ignoring_case(entry->d_name, part)) {
                        candidate = out.empty()
                                        ? std::string(entry->d_name)
                                        : (out.back() == '/' ? out : out + "/") + entry->d_name;
                        found = true;
                        break;
                    }
                }
                ::closedir(dir);
            }
            if (!found) missing = true;
        }
        out = candidate;
        if (slash == path.size()) break;
    }
    if (path.size() > 1 && path.back() == '/' && !out.empty() && out.back() != '/')
        out.push_back('/');
    return out;
}

class PosixInputFile : public InputFile {
public:
    explicit PosixInputFile(std::FILE* file) : file_(file) {
        std::fseek(file_, 0, SEEK_END);
        const long end = std::ftell(file_);
        size_ = end > 0 ? static_cast<uint64_t>(end) : 0;
        std::fseek(file_, 0, SEEK_SET);
    }
    ~PosixInputFile() override { std::fclose(file_); }
    size_t read(uint8_t* buffer, size_t length) override {
        return length == 0 ? 0 : std::fread(buffer, 1, length, file_);
    }
    bool seek(uint64_t offset) override {
        return offset <= static_cast<uint64_t>(LONG_MAX) &&
               std::fseek(file_, static_cast<long>(offset), SEEK_SET) == 0;
    }
    uint64_t size() const override { return size_; }

private:
    std::FILE* file_;
    uint64_t size_ = 0;
};

bool is_regular_file(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool folder_has_ini(const std::string& folder, const DriveMap& drives) {
    return !folder.empty() && is_regular_file(resolve(folder + "/KORALU.INI", drives));
}

}  // namespace

std::unique_ptr<InputFile> PosixFiles::open_read(std::string_view path) {
    const std::string native = resolve(path, folders.drives);
    if (!is_regular_file(native)) return nullptr;
    std::FILE* file = std::fopen(native.c_str(), "rb");
    if (!file) return nullptr;
    return std::make_unique<PosixInputFile>(file);
}

bool PosixFiles::write_whole(std::string_view path, const std::vector<uint8_t>& data) {
    const std::string native = resolve(path, folders.drives);
    std::FILE* file = std::fopen(native.c_str(), "wb");
    if (!file) return false;
    const bool ok = std::fwrite(data.data(), 1, data.size(), file) == data.size();
    return std::fclose(file) == 0 && ok;
}

bool PosixFiles::file_exists(std::string_view path) {
    return is_regular_file(resolve(path, folders.drives));
}

bool PosixFiles::directory_exists(std::string_view path) {
    struct stat st;
    return ::stat(resolve(path, folders.drives).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::string PosixFiles::current_directory() {
    char buffer[PATH_MAX];
    if (!::getcwd(buffer, sizeof buffer)) return ".";
    std::string dir(buffer);
    if (dir.size() > 1 && dir.back() == '/') dir.pop_back();
    return dir;
}

bool PosixFiles::set_current_directory(std::string_view path) {
    const std::string native = resolve(path, folders.drives);
    return !native.empty() && ::chdir(native.c_str()) == 0;
}

namespace {

// "<prefix>" of a program installed as <prefix>/bin/zimbalot with its family
// folder in <prefix>/share/zimbalot/koralu; empty when not installed that way.
std::string installed_prefix() {
    char exe[PATH_MAX];
    const ssize_t n = ::readlink("/proc/self/exe", exe, sizeof exe - 1);
    if (n <= 0) return "";
    std::string prefix(exe, static_cast<size_t>(n));
    prefix = prefix.substr(0, prefix.rfind('/'));
    prefix = prefix.substr(0, prefix.rfind('/'));
    return folder_has_ini(prefix + "/share/zimbalot/koralu", {}) ? prefix : "";
}

}  // namespace

ConfigFolders default_config_folders() {
    ConfigFolders f;
    // An installed program finds its family folder beside it, wherever the
    // prefix was; the system folder follows it when sysconfdir is relative,
    // with the usual exception that prefix /usr keeps it in /etc.
    std::string prefix = installed_prefix();
    if (!prefix.empty()) {
        f.family = prefix + "/share/zimbalot/koralu";
    } else {
        prefix = ZIMBALOT_INSTALL_PREFIX;
        f.family = folder_has_ini(ZIMBALOT_INSTALL_DATA_DIR, {}) ? ZIMBALOT_INSTALL_DATA_DIR
                                                                 : ZIMBALOT_BUILD_DATA_DIR;
    }
    const std::string sysconf = ZIMBALOT_SYSCONF_DIR;
    if (!sysconf.empty() && sysconf.front() == '/')
        f.system = sysconf;
    else if (prefix == "/usr" || prefix == "/usr/")
        f.system = "/" + sysconf;
    else
        f.system = prefix + "/" + sysconf;
    f.system += "/koralu";
    return f;
}

ConfigFolders config_folders(const char* koralu_windows, const char* xdg_config_home,
                             const char* home) {
    ConfigFolders f = default_config_folders();
    if (koralu_windows && *koralu_windows) f.windows = koralu_windows;
    if (xdg_config_home && *xdg_config_home)
        f.user = std::string(xdg_config_home) + "/koralu";
    else if (home && *home)
        f.user = std::string(home) + "/.config/koralu";
    return f;
}

std::string PosixFiles::windows_folder() {
    if (!folders.windows.empty()) return folders.windows;
    for (const std::string* folder : {&folders.user, &folders.system, &folders.family})
        if (folder_has_ini(*folder, folders.drives)) return *folder;
    return folders.family;
}

std::vector<std::string> config_candidates(const ConfigFolders& folders,
                                           std::string_view bare_name) {
    std::vector<std::string> files;
    const auto add = [&](const std::string& folder) {
        if (folder.empty()) return;
        const std::string path = resolve(folder + "/" + std::string(bare_name), folders.drives);
        for (const std::string& seen : files)
            if (seen == path) return;
        files.push_back(path);
    };
    for (const std::string& folder : folders.in_order()) add(folder);
    return files;
}

std::vector<std::string> PosixFiles::profile_layers(std::string_view bare_name) {
    std::vector<std::string> layers = config_candidates(folders, bare_name);
    std::erase_if(layers, [](const std::string& path) { return !is_regular_file(path); });
    return layers;
}

std::string PosixFiles::native_path(std::string_view path) {
    return resolve(path, folders.drives);
}

std::optional<std::string> PosixRegistry::read_string(std::string_view key_path,
                                                      std::string_view /*value_name*/) {
    std::string key(key_path);
    for (char& c : key) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    while (!key.empty() && key.back() == '\\') key.pop_back();
    const std::string prefix = "software\\tcts\\mbrola\\databases\\";
    if (key.rfind(prefix, 0) != 0) return std::nullopt;
    const std::string voice = key.substr(prefix.size());
    if (voice.empty() || voice.find('\\') != std::string::npos) return std::nullopt;
    const std::string path = mbrola_voice_database(voice);
    if (path.empty()) return std::nullopt;
    return path;
}

void* PosixLibraries::load(std::string_view name) {
    return ::dlopen(library_file(name).c_str(), RTLD_NOW | RTLD_LOCAL);
}

void* PosixLibraries::symbol(void* library, std::string_view name) {
    return library ? ::dlsym(library, std::string(name).c_str()) : nullptr;
}

void PosixLibraries::free(void* library) {
    if (library) ::dlclose(library);
}

}  // namespace host::common
