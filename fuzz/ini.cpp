// The private-profile parser on arbitrary bytes.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "host/files.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    for (const char* section : {"VIDEO", "tradutor", ""})
        for (const char* key : {"FONTE", "dirletras", ""}) (void)host::find_profile_value(text, section, key);
    return 0;
}
