#include "vedra/mbrola_binding.h"

namespace vedra {
namespace {

constexpr std::string_view kLibraryName = "mbrola.dll";
constexpr std::string_view kDatabasesKey = "SOFTWARE\\TCTS\\Mbrola\\databases\\";

template <typename Function>
bool bind(host::Libraries& libraries, void* handle, size_t index, Function& slot) {
    void* address = libraries.symbol(handle, mbrola_entry_names[index]);
    slot = reinterpret_cast<Function>(address);
    return address != nullptr;
}

}  // namespace

bool read_registry_string(host::Registry& registry, std::string_view path, std::string& value) {
    const size_t slash = path.rfind('\\');
    if (slash == std::string_view::npos) return false;
    const auto found = registry.read_string(path.substr(0, slash), path.substr(slash + 1));
    if (!found) return false;
    // A stored string may carry its terminating zero; it is not part of the value.
    std::string text = *found;
    if (!text.empty() && text.back() == '\0') text.pop_back();
    value = std::move(text);
    return true;
}

bool MbrolaBinding::load_mbrola() {
    unload_mbrola();
    void* handle = libraries_.load(kLibraryName);
    if (!handle) return false;
    MbrolaApi api;
    // Every name is looked up in table order; one missing refuses the library.
    const bool complete =
        bind(libraries_, handle, 0, api.init_MBR) &&
        bind(libraries_, handle, 1, api.init_rename_MBR) &&
        bind(libraries_, handle, 2, api.write_MBR) && bind(libraries_, handle, 3, api.flush_MBR) &&
        bind(libraries_, handle, 4, api.read_MBR) &&
        bind(libraries_, handle, 5, api.readtype_MBR) &&
        bind(libraries_, handle, 6, api.close_MBR) && bind(libraries_, handle, 7, api.reset_MBR) &&
        bind(libraries_, handle, 8, api.lastError_MBR) &&
        bind(libraries_, handle, 9, api.lastErrorStr_MBR) &&
        bind(libraries_, handle, 10, api.setNoError_MBR) &&
        bind(libraries_, handle, 11, api.getNoError_MBR) &&
        bind(libraries_, handle, 12, api.setFreq_MBR) &&
        bind(libraries_, handle, 13, api.getFreq_MBR) &&
        bind(libraries_, handle, 14, api.setVolumeRatio_MBR) &&
        bind(libraries_, handle, 15, api.getVolumeRatio_MBR) &&
        bind(libraries_, handle, 16, api.getVersion_MBR) &&
        bind(libraries_, handle, 17, api.getDatabaseInfo_MBR) &&
        bind(libraries_, handle, 18, api.setParser_MBR) &&
        bind(libraries_, handle, 19, api.init_Phone) &&
        bind(libraries_, handle, 20, api.reset_Phone) &&
        bind(libraries_, handle, 21, api.close_Phone) &&
        bind(libraries_, handle, 22, api.appendf0_Phone);
    if (!complete) {
        libraries_.free(handle);
        return false;
    }
    handle_ = handle;
    api_ = api;
    return true;
}

void MbrolaBinding::unload_mbrola() {
    if (!handle_) return;
    libraries_.free(handle_);
    handle_ = nullptr;
    api_ = MbrolaApi{};
}

void MbrolaBinding::find_voice_database(std::string& voice) {
    std::string path;
    if (read_registry_string(registry_, std::string(kDatabasesKey) + voice + "\\", path))
        voice = path;
}

}  // namespace vedra
