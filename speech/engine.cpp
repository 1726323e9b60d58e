// Engine dispatch and the VEDRA adapter.
//
// Trace words emitted here:
//   engine-start <type> <voice> <rate> <pitch> <ok|failed>
//   engine-stop, engine-close
#include "speech/engine.h"

#include <string>

namespace speech {
namespace {

constexpr uint16_t idle_poll_ms = 50;
constexpr uint16_t vedra_close_poll_ms = 500;
constexpr std::string_view vedra_registry_key = "SOFTWARE\\TCTS\\Mbrola\\databases\\BR4\\";
constexpr std::string_view vedra_default_folder = "\\morbel\\vedratts\\";
// The registry names the voice database file, "...\br4\br4": its folder is
// the value without the last three characters.
constexpr size_t database_name_length = 3;

}  // namespace

EngineKind engine_kind_of(int type) {
    switch (type) {
        case 3:
            return EngineKind::vedra;
        case 5:
            return EngineKind::sapi5;
        case 54:
            return EngineKind::sapi54;
        default:
            return EngineKind::sapi4;
    }
}

EngineDispatch::EngineDispatch(textwindow::TextWindow& window, EngineTable table)
    : window_(window), table_(table) {}

ExternalEngine& EngineDispatch::selected() {
    switch (engine_kind_of(kind_)) {
        case EngineKind::vedra:
            return table_.vedra;
        case EngineKind::sapi5:
            return table_.sapi5;
        case EngineKind::sapi54:
            return table_.sapi54;
        case EngineKind::sapi4:
            break;
    }
    return table_.sapi4;
}

bool EngineDispatch::engine_start(int voice, int rate, int pitch, int type,
                                  std::string_view output_file) {
    kind_ = type;
    const bool started = selected().start(voice, rate, pitch, output_file);
    window_.host().trace.event("engine-start", std::to_string(type) + " " + std::to_string(voice) +
                                                   " " + std::to_string(rate) + " " +
                                                   std::to_string(pitch) +
                                                   (started ? " ok" : " failed"));
    // Start-up goes on only once the engine is idle.
    if (started)
        while (engine_busy(1)) window_.delay_ms(idle_poll_ms);
    return started;
}

void EngineDispatch::engine_close() {
    window_.host().trace.event("engine-close", "");
    selected().close();
}

void EngineDispatch::engine_speak(std::string_view text) {
    selected().speak(text);
}

bool EngineDispatch::engine_busy(int mode) {
    // Notifications and keys are handled while callers poll.
    window_.pump_messages();
    return selected().busy(mode);
}

void EngineDispatch::engine_stop() {
    window_.host().trace.event("engine-stop", "");
    selected().stop();
}

VedraPaths read_vedra_paths(Config& config, host::Registry& registry) {
    VedraPaths p;
    p.voice_name = config.read_config_value("VEDRATTS", "MBROLA_DB");
    p.folder = config.read_config_value("VEDRATTS", "DIR");
    p.base_name = config.read_config_value("VEDRATTS", "BASE");
    if (p.voice_name.empty()) p.voice_name = "br4";
    if (p.folder.empty()) {
        if (const auto database = registry.read_string(vedra_registry_key, "")) {
            const size_t keep = database->size() > database_name_length
                                    ? database->size() - database_name_length
                                    : 0;
            p.folder = database->substr(0, keep);
        } else {
            p.folder = vedra_default_folder;  // on the current drive
        }
    }
    if (p.base_name.empty()) p.base_name = "portug";
    if (p.folder.empty() || p.folder.back() != '\\') p.folder.push_back('\\');
    const std::string stem = p.folder + p.base_name;
    p.rules_file = stem + ".nrl";
    p.exceptions_file = stem + ".exc";
    p.abbreviations_file = stem + ".abr";
    p.prosody_file = stem + ".pro";
    p.diphone_list_file = stem + ".dfn";
    return p;
}

VedraAdapter::VedraAdapter(textwindow::TextWindow& window, Config& config, host::Registry& registry,
                           VedraCalls& vedra)
    : window_(window), vedra_(vedra), paths_(read_vedra_paths(config, registry)) {}

bool VedraAdapter::start(int, int rate, int pitch, std::string_view output_file) {
    // The voice is chosen by its name; the number is not used.
    vedra_.vedra_set_output_file(output_file);
    const bool started =
        vedra_.vedra_init(paths_.voice_name, paths_.rules_file, paths_.exceptions_file,
                          paths_.abbreviations_file, paths_.prosody_file, paths_.diphone_list_file);
    vedra_.vedra_set_factors(0.8 - rate / 15.0, (pitch + 11) / 11.0);
    return started;
}

void VedraAdapter::close() {
    while (busy(0)) window_.delay_ms(vedra_close_poll_ms);
    stop();
    vedra_.vedra_close();
}

void VedraAdapter::speak(std::string_view text) {
    vedra_.vedra_speak(text);
    window_.post_message(host::wake_engine);
}

bool VedraAdapter::busy(int) {
    bool result = vedra_.vedra_busy();
    if (window_.key_pressed()) {
        stop();
        result = false;
    }
    window_.post_message(host::wake_engine);
    return result;
}

void VedraAdapter::stop() {
    vedra_.vedra_stop();
    window_.post_message(host::wake_engine);
}

void WindowEnvironment::delay_ms(uint32_t milliseconds) {
    window_.delay_ms(static_cast<uint16_t>(std::min<uint32_t>(milliseconds, 65535)));
}
bool WindowEnvironment::key_pressed() {
    return window_.key_pressed();
}
bool WindowEnvironment::stop_on_key() {
    return player_.stop_on_key;
}
void WindowEnvironment::post_wake_message() {
    window_.post_message(host::wake_engine);
}
void WindowEnvironment::message_beep(uint32_t) {
    host_.window.beep();
}
std::string WindowEnvironment::current_directory() {
    return host_.files.current_directory();
}
bool WindowEnvironment::set_current_directory(std::string_view path) {
    return host_.files.set_current_directory(path);
}

Engines::Engines(host::Host& host, textwindow::TextWindow& window, sound::WavePlayer& player,
                 sapi::Factory& factory, VedraCalls& vedra)
    : config_(host.files, host.files.current_directory()),
      environment_(host, window, player),
      vedra_(window, config_, host.registry, vedra),
      sapi5_(factory, environment_, sapi::sapi5_library, markup_),
      sapi54_(factory, environment_, sapi::sapi54_library, markup_),
      sapi4_(factory, environment_),
      dispatch_(window, EngineTable{vedra_, sapi5_, sapi54_, sapi4_}) {}

}  // namespace speech
