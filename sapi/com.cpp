#include "sapi/com.h"

#include <cstdio>

#include "host/text.h"

namespace sapi {

std::string to_string(const Guid& g) {
    char text[39];
    std::snprintf(text, sizeof text, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
                  unsigned(g.data1), unsigned(g.data2), unsigned(g.data3), g.data4[0], g.data4[1],
                  g.data4[2], g.data4[3], g.data4[4], g.data4[5], g.data4[6], g.data4[7]);
    return text;
}

void Factory::register_class(const Guid& clsid, Creator creator) {
    classes_[clsid] = std::move(creator);
}

void Factory::unregister_class(const Guid& clsid) {
    classes_.erase(clsid);
}

bool Factory::has_class(const Guid& clsid) const {
    return classes_.count(clsid) != 0;
}

HResult Factory::create_instance(const Guid& clsid, Unknown* outer, uint32_t, const Guid& iid,
                                 void** out) {
    if (!out) return e_invalidarg;
    *out = nullptr;
    if (outer) return class_e_noaggregation;
    const auto found = classes_.find(clsid);
    if (found == classes_.end()) return regdb_e_classnotreg;
    const HResult result = found->second(iid, out);
    if (failed(result)) *out = nullptr;
    return result;
}

intptr_t Factory::add_handle(Waitable& object) {
    const intptr_t handle = next_handle_;
    next_handle_ += 4;
    handles_[handle] = &object;
    return handle;
}

void Factory::close_handle(intptr_t handle) {
    handles_.erase(handle);
}

uint32_t Factory::wait_for_single_object(intptr_t handle, uint32_t timeout_ms) {
    const auto found = handles_.find(handle);
    if (found == handles_.end()) return wait_failed;
    return found->second->wait(timeout_ms);
}

std::u16string widen(std::string_view cp1252) {
    // Every Windows-1252 character lies in the basic plane: one unit each.
    const std::string utf8 = host::cp1252_to_utf8(cp1252);
    std::u16string out;
    out.reserve(cp1252.size());
    for (size_t i = 0; i < utf8.size();) {
        const auto b = static_cast<uint8_t>(utf8[i]);
        uint32_t cp = b;
        size_t n = 1;
        if (b >= 0xE0) {
            cp = (b & 0x0Fu) << 12 | (uint8_t(utf8[i + 1]) & 0x3Fu) << 6 |
                 (uint8_t(utf8[i + 2]) & 0x3Fu);
            n = 3;
        } else if (b >= 0xC0) {
            cp = (b & 0x1Fu) << 6 | (uint8_t(utf8[i + 1]) & 0x3Fu);
            n = 2;
        }
        out.push_back(static_cast<char16_t>(cp));
        i += n;
    }
    return out;
}

std::string narrow(std::u16string_view wide) {
    std::string out;
    out.reserve(wide.size());
    for (const char16_t unit : wide) {
        const int b = host::cp1252_from_codepoint(unit);
        if (b >= 0) out.push_back(static_cast<char>(b));
    }
    return out;
}

}  // namespace sapi
