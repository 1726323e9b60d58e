// The diphone list's loader on arbitrary bytes: every entry stored must be
// found again by has_diphone, whatever its case.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "vedra/prosody.h"
#include "vedra/text_chars.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    vedra::DiphoneList list;
    list.parse(std::string_view(reinterpret_cast<const char*>(data), size));
    for (const std::string& entry : list.entries()) {
        const size_t dash = entry.find('-');
        if (dash == std::string::npos) __builtin_trap();
        const std::string first = entry.substr(0, dash);
        const std::string second = entry.substr(dash + 1);
        if (!list.has_diphone(first, second)) __builtin_trap();
        if (!list.has_diphone(vedra::lower_case(first), vedra::upper_case(second)))
            __builtin_trap();
    }
    return 0;
}
