// The MBROLA library bound at run time, and its voice databases found through
// the registry entries that MBROLA's installation writes. On Linux the host
// maps "mbrola.dll" to the project's own library and answers the registry
// from installed voices or the data set's own (see the README).
//
// States: unloaded --load_mbrola true--> loaded --unload_mbrola--> unloaded.
#pragma once
#include <string>
#include <string_view>

#include "host/files.h"
#include "vedra/engine.h"

namespace vedra {

// `read_registry_string` under HKEY_LOCAL_MACHINE, the only root the host's
// registry serves. `path` is the key path, "\" and the value name (an empty
// name reads the key's default value). False, with `value` unchanged, when
// the path has no "\" (the registry is not asked) or no string is there.
bool read_registry_string(host::Registry& registry, std::string_view path, std::string& value);

class MbrolaBinding : public MbrolaLibrary {
public:
    MbrolaBinding(host::Libraries& libraries, host::Registry& registry)
        : libraries_(libraries), registry_(registry) {}
    ~MbrolaBinding() override { unload_mbrola(); }
    MbrolaBinding(const MbrolaBinding&) = delete;
    MbrolaBinding& operator=(const MbrolaBinding&) = delete;

    bool load_mbrola() override;
    void unload_mbrola() override;
    const MbrolaApi& api() const override { return api_; }
    void find_voice_database(std::string& voice) override;
    bool loaded() const { return handle_ != nullptr; }

private:
    host::Libraries& libraries_;
    host::Registry& registry_;
    void* handle_ = nullptr;
    MbrolaApi api_;
};

}  // namespace vedra
