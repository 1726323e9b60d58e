#include "host/common/mbrola_host.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <climits>

#ifndef ZIMBALOT_BUILD_DATA_DIR
#define ZIMBALOT_BUILD_DATA_DIR ""
#endif
#ifndef ZIMBALOT_INSTALL_DATA_DIR
#define ZIMBALOT_INSTALL_DATA_DIR ""
#endif
#ifndef ZIMBALOT_BUILD_LIBRARY_DIR
#define ZIMBALOT_BUILD_LIBRARY_DIR ""
#endif

namespace host::common {
namespace {

bool regular_file(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::string lower(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

// The folder of the running program, "" when unknown.
std::string program_folder() {
    char exe[PATH_MAX];
    const ssize_t n = ::readlink("/proc/self/exe", exe, sizeof exe - 1);
    if (n <= 0) return "";
    const std::string path(exe, static_cast<size_t>(n));
    return path.substr(0, path.rfind('/'));
}

std::string parent(const std::string& folder) {
    return folder.substr(0, folder.rfind('/'));
}

}  // namespace

std::string library_file(std::string_view name) {
    const std::string lowered = lower(name);
    if (lowered.size() <= 4 || lowered.compare(lowered.size() - 4, 4, ".dll") != 0 ||
        lowered.find('/') != std::string::npos || lowered.find('\\') != std::string::npos)
        return std::string(name);
    const std::string file = "lib" + lowered.substr(0, lowered.size() - 4) + ".so";
    const std::string here = program_folder();
    for (const std::string& folder : {here, here.empty() ? here : parent(here) + "/lib/zimbalot",
                                      std::string(ZIMBALOT_BUILD_LIBRARY_DIR)}) {
        if (!folder.empty() && regular_file(folder + "/" + file)) return folder + "/" + file;
    }
    return file;
}

std::string mbrola_voice_database(std::string_view voice) {
    const std::string name = lower(voice);
    if (name.empty() || name.find('/') != std::string::npos || name == "." || name == "..")
        return "";
    const std::string installed = "/usr/share/mbrola/" + name + "/" + name;
    if (regular_file(installed)) return installed;
    // The family folder of the data set: installed beside the program, at the
    // configured prefix, or in the build tree.
    const std::string here = program_folder();
    for (const std::string& family :
         {here.empty() ? here : parent(here) + "/share/zimbalot/koralu",
          std::string(ZIMBALOT_INSTALL_DATA_DIR), std::string(ZIMBALOT_BUILD_DATA_DIR)}) {
        if (family.empty()) continue;
        const std::string path = family + "/mbrola/" + name + "/" + name;
        if (regular_file(path)) return path;
    }
    return "";
}

}  // namespace host::common
