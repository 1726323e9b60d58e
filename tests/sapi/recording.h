// Recording stand-ins for the engine clients' surroundings: every call on the
// program side and on the COM objects goes into one log, in order.
#pragma once
#include <string>
#include <string_view>
#include <vector>

#include "sapi/com.h"
#include "sapi/environment.h"

namespace sapitest {

struct Log {
    std::vector<std::string> calls;
    void add(std::string call) { calls.push_back(std::move(call)); }
    // The calls since `from`.
    std::vector<std::string> since(size_t from) const {
        return {calls.begin() + static_cast<std::ptrdiff_t>(from), calls.end()};
    }
};

struct RecordingEnvironment : sapi::Environment {
    explicit RecordingEnvironment(Log& log) : log(log) {}
    Log& log;
    bool key_waiting = false;
    bool stop_on_key_option = true;
    std::string folder = "/start";

    void delay_ms(uint32_t ms) override { log.add("delay " + std::to_string(ms)); }
    bool key_pressed() override { return key_waiting; }
    bool stop_on_key() override { return stop_on_key_option; }
    void post_wake_message() override { log.add("post 2980"); }
    void message_beep(uint32_t type) override { log.add("beep " + std::to_string(type)); }
    std::string current_directory() override { return folder; }
    bool set_current_directory(std::string_view path) override {
        folder = path;
        log.add("chdir " + folder);
        return true;
    }
};

// Reference counting that logs the final release under the object's name.
template <class Base>
struct Recorded : Base {
    Recorded(Log& log, std::string name) : log(log), name(std::move(name)) {}
    Log& log;
    std::string name;
    uint32_t refs = 1;
    bool log_add_ref = false;
    uint32_t AddRef() override {
        if (log_add_ref) log.add(name + ".AddRef");
        return ++refs;
    }
    uint32_t Release() override {
        log.add(name + ".Release");
        return --refs;  // the test owns the object; it outlives the client
    }
    sapi::HResult QueryInterface(const sapi::Guid&, void** out) override {
        *out = nullptr;
        return sapi::e_nointerface;
    }
};

// Registers an existing object under a class; creation logs the class name.
template <class Object>
void register_object(sapi::Factory& factory, Log& log, const sapi::Guid& clsid,
                     const sapi::Guid& iid, Object& object, std::string name) {
    factory.register_class(clsid, [&log, &object, iid, name](const sapi::Guid& asked, void** out) {
        log.add("create " + name);
        if (asked != iid) return sapi::e_nointerface;
        ++object.refs;
        *out = &object;
        return sapi::s_ok;
    });
}

}  // namespace sapitest
