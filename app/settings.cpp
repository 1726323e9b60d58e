#include "app/settings.h"

#include <algorithm>

#include "speech/speech.h"

namespace app {
namespace {

constexpr size_t value_buffer = 255;

bool is_yes(const std::string& value) {
    return !value.empty() && (value.front() == 'S' || value.front() == 's');
}

}  // namespace

ProgramSettings read_program_settings(host::Files& files) {
    const auto value = [&](const char* key, const char* fallback) {
        return host::read_profile_string(files, "KORALU.INI", "ZIMBALOT", key, fallback,
                                         value_buffer);
    };
    ProgramSettings s;
    s.kiosk = is_yes(value("TRAVA", "N"));
    s.mute = is_yes(value("MUDO", "N"));
    s.fullscreen = is_yes(value("TELACHEIA", "N"));
    if (const auto volume = speech::strict_integer(value("VOLUME", "100")))
        s.volume_percent = std::clamp(*volume, 0, 100);
    return s;
}

bool parse_volume(const std::string& text, int& percent) {
    if (text.empty() || text.size() > 3) return false;
    int v = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') return false;
        v = v * 10 + (c - '0');
    }
    if (v > 100) return false;
    percent = v;
    return true;
}

}  // namespace app
