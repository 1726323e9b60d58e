// What the engine clients need from the program around them: waiting, the
// keyboard, the wake-up message, the beep and the current folder.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

namespace sapi {

class Environment {
public:
    virtual ~Environment() = default;
    // delay_ms of the text window: waits while pumping window messages.
    virtual void delay_ms(uint32_t milliseconds) = 0;
    // key_pressed of the text window.
    virtual bool key_pressed() = 0;
    // The wave-out player's stop-on-key option.
    virtual bool stop_on_key() = 0;
    // Posts message 2980 (WM_USER + 1956), both parameters 0, to the main window.
    virtual void post_wake_message() = 0;
    // MessageBeep.
    virtual void message_beep(uint32_t type) = 0;
    virtual std::string current_directory() = 0;
    virtual bool set_current_directory(std::string_view path) = 0;
};

}  // namespace sapi
