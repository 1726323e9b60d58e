// The headless input script parser on arbitrary bytes.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "host/headless/headless_backend.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string error;
    (void)host::headless::check_script(std::string_view(reinterpret_cast<const char*>(data), size), &error);
    return 0;
}
