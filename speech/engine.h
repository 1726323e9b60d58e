// Engine dispatch: one of the external engines (the VEDRA adapter, the SAPI 5
// client on either library, the SAPI 4 client) behind the five operations of
// speech::Engine, chosen by the engine type of the last engine_start.
#pragma once
#include <memory>
#include <string>
#include <string_view>

#include "host/host.h"
#include "sapi/com.h"
#include "sapi/environment.h"
#include "sapi/sapi4.h"
#include "sapi/sapi5.h"
#include "sound/wave_player.h"
#include "speech/speech.h"
#include "textwindow/text_window.h"

namespace speech {

// The five operations each engine offers to the dispatch.
class ExternalEngine {
public:
    virtual ~ExternalEngine() = default;
    virtual bool start(int voice, int rate, int pitch, std::string_view output_file) = 0;
    virtual void close() = 0;
    virtual void speak(std::string_view text) = 0;
    virtual bool busy(int mode) = 0;
    virtual void stop() = 0;
};

enum class EngineKind { vedra, sapi5, sapi54, sapi4 };
// 3 VEDRA, 5 and 54 the two SAPI 5 libraries, every other value SAPI 4.
EngineKind engine_kind_of(int type);

struct EngineTable {
    ExternalEngine& vedra;
    ExternalEngine& sapi5;
    ExternalEngine& sapi54;
    ExternalEngine& sapi4;
};

class EngineDispatch : public Engine {
public:
    EngineDispatch(textwindow::TextWindow& window, EngineTable table);

    bool engine_start(int voice, int rate, int pitch, int type,
                      std::string_view output_file) override;
    void engine_close() override;
    void engine_speak(std::string_view text) override;
    bool engine_busy(int mode) override;
    void engine_stop() override;

    int engine_kind() const { return kind_; }

private:
    ExternalEngine& selected();

    textwindow::TextWindow& window_;
    EngineTable table_;
    int kind_ = 4;
};

// --- VEDRA

// The VEDRA engine's calls, as the adapter makes them.
class VedraCalls {
public:
    virtual ~VedraCalls() = default;
    virtual void vedra_set_output_file(std::string_view file) = 0;
    virtual bool vedra_init(std::string_view voice_name, std::string_view rules_file,
                            std::string_view exceptions_file, std::string_view abbreviations_file,
                            std::string_view prosody_file, std::string_view diphone_list_file) = 0;
    virtual void vedra_set_factors(double duration_factor, double pitch_factor) = 0;
    virtual void vedra_speak(std::string_view text) = 0;
    virtual bool vedra_busy() = 0;
    virtual void vedra_stop() = 0;
    virtual void vedra_close() = 0;
};

// Where VEDRA finds its voice and data files (section VEDRATTS).
struct VedraPaths {
    std::string voice_name;
    std::string folder;  // ends in "\"
    std::string base_name;
    std::string rules_file;
    std::string exceptions_file;
    std::string abbreviations_file;
    std::string prosody_file;
    std::string diphone_list_file;
};
VedraPaths read_vedra_paths(Config& config, host::Registry& registry);

class VedraAdapter : public ExternalEngine {
public:
    // The paths are read here, once, as the module starts.
    VedraAdapter(textwindow::TextWindow& window, Config& config, host::Registry& registry,
                 VedraCalls& vedra);

    bool start(int voice, int rate, int pitch, std::string_view output_file) override;
    void close() override;
    void speak(std::string_view text) override;
    bool busy(int mode) override;
    void stop() override;

    const VedraPaths& paths() const { return paths_; }

private:
    textwindow::TextWindow& window_;
    VedraCalls& vedra_;
    VedraPaths paths_;
};

// A VEDRA that is not there: it never starts, so the front-end speaks by its
// own means.
class NoVedra : public VedraCalls {
public:
    void vedra_set_output_file(std::string_view) override {}
    bool vedra_init(std::string_view, std::string_view, std::string_view, std::string_view,
                    std::string_view, std::string_view) override {
        return false;
    }
    void vedra_set_factors(double, double) override {}
    void vedra_speak(std::string_view) override {}
    bool vedra_busy() override { return false; }
    void vedra_stop() override {}
    void vedra_close() override {}
};

// --- SAPI

// The program around the SAPI clients: the text window and the wave player.
class WindowEnvironment : public sapi::Environment {
public:
    WindowEnvironment(host::Host& host, textwindow::TextWindow& window, sound::WavePlayer& player)
        : host_(host), window_(window), player_(player) {}
    void delay_ms(uint32_t milliseconds) override;
    bool key_pressed() override;
    bool stop_on_key() override;
    void post_wake_message() override;
    void message_beep(uint32_t type) override;
    std::string current_directory() override;
    bool set_current_directory(std::string_view path) override;

private:
    host::Host& host_;
    textwindow::TextWindow& window_;
    sound::WavePlayer& player_;
};

class Sapi4Engine : public ExternalEngine {
public:
    Sapi4Engine(sapi::Factory& factory, sapi::Environment& environment)
        : client(factory, environment) {}
    bool start(int v, int r, int p, std::string_view f) override {
        return client.sapi4_start(v, r, p, f);
    }
    void close() override { client.sapi4_close(); }
    void speak(std::string_view text) override { client.sapi4_speak(text); }
    bool busy(int mode) override { return client.sapi4_busy(mode); }
    void stop() override { client.sapi4_stop(); }
    sapi::Sapi4Client client;
};

class Sapi5Engine : public ExternalEngine {
public:
    Sapi5Engine(sapi::Factory& factory, sapi::Environment& environment,
                const sapi::Sapi5Classes& classes, bool& markup)
        : client(factory, environment, classes, markup) {}
    bool start(int v, int r, int p, std::string_view f) override {
        return client.sapi5_start(v, r, p, f);
    }
    void close() override { client.sapi5_close(); }
    void speak(std::string_view text) override { client.sapi5_speak(text); }
    bool busy(int) override { return client.sapi5_busy(); }
    void stop() override { client.sapi5_stop(); }
    sapi::Sapi5Client client;
};

// Every engine of the program, wired to one class factory, and the dispatch
// over them.
class Engines {
public:
    Engines(host::Host& host, textwindow::TextWindow& window, sound::WavePlayer& player,
            sapi::Factory& factory, VedraCalls& vedra);

    EngineDispatch& dispatch() { return dispatch_; }
    VedraAdapter& vedra() { return vedra_; }

private:
    Config config_;
    WindowEnvironment environment_;
    bool markup_ = false;
    VedraAdapter vedra_;
    Sapi5Engine sapi5_;
    Sapi5Engine sapi54_;
    Sapi4Engine sapi4_;
    EngineDispatch dispatch_;
};

}  // namespace speech
