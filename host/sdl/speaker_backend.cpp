#include "host/sdl/speaker_backend.h"

#include <chrono>
#include <cstdlib>
#include <deque>
#include <iostream>
#include <thread>

#include "host/common/posix_files.h"
#include "host/common/run_outputs.h"
#include "host/common/window_core.h"
#include "host/sdl/sdl_audio.h"
#include "host/text.h"

namespace host::sdl {

namespace {

using SteadyClock = std::chrono::steady_clock;

// The window exists only as its sizes: nothing is drawn and nothing shown.
constexpr FrameMetrics frame = common::standard_frame;
constexpr FontMetrics system_font{8, 16, 0, 13, 0};

class SpeakerBackend : public Backend,
                       MessageQueue,
                       Clock,
                       Window,
                       WaveOut,
                       SoundPlayer,
                       Trace,
                       Process {
public:
    explicit SpeakerBackend(const BackendOptions& options)
        : options_(options),
          files_(options.folders ? *options.folders : common::default_config_folders()),
          host_{*this, *this, *this, *this, *this, files_, registry_, libraries_, *this, *this},
          outputs_(options.program_name),
          start_(SteadyClock::now()) {
        outputs_.open_trace(options.trace_path);
        if (outputs_.failed()) outputs_.abandon();
    }

    ~SpeakerBackend() override {
        finish_outputs();
        if (audio_) {
            audio_->stop();
            audio_->close();
        }
    }

    Host& host() override { return host_; }
    bool outputs_ready() const override { return !outputs_.failed(); }
    bool finish_outputs() override { return outputs_.finish(); }
    void discard_outputs() override { outputs_.abandon(); }
    bool audio_available() const override { return const_cast<SpeakerBackend*>(this)->audio(); }

private:
    // The audio, started at the first use; null (told once) without a device.
    SdlAudio* audio() {
        if (audio_tried_) return audio_.get();
        audio_tried_ = true;
        std::string why;
        if (std::optional<SdlAudioApi> api = load_sdl_audio_api(libraries_, why)) {
            audio_ = std::make_unique<SdlAudio>(*api, static_cast<MessageQueue&>(*this),
                                                static_cast<Trace&>(*this), files_);
            audio_->set_volume(options_.volume_percent);
            if (!audio_->available()) {
                why = api->get_error();
                audio_.reset();
            }
        }
        if (!audio_) {
            std::cerr << options_.program_name << ": aviso: sem dispositivo de som (" << why
                      << "); segue sem som\n";
            event("audio-none", why);
        }
        return audio_.get();
    }

    // ---- MessageQueue: only posted messages and finished blocks arrive.
    bool peek_message(Message& out) override {
        if (queue_.empty() && audio_) audio_->poll();
        if (queue_.empty()) return false;
        out = queue_.front();
        queue_.pop_front();
        return true;
    }
    void wait_message() override {
        // Nothing else can arrive: a wait with nothing pending returns after
        // a short sleep, and its caller tests again.
        for (int i = 0; i < 10 && queue_.empty(); ++i) {
            if (audio_) audio_->poll();
            if (queue_.empty()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }
    void post_message(const Message& message) override { queue_.push_back(message); }
    Modifiers key_state() const override { return {}; }

    // ---- Clock
    uint64_t now_ms() const override {
        return uint64_t(
            std::chrono::duration_cast<std::chrono::milliseconds>(SteadyClock::now() - start_)
                .count());
    }
    void sleep_ms(uint32_t ms) override {
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
    }
    uint32_t random_seed() const override {
        return options_.seed_given
                   ? options_.seed
                   : static_cast<uint32_t>(SteadyClock::now().time_since_epoch().count());
    }

    // ---- Window
    bool create(std::string_view, int outer_width, int outer_height) override {
        client_width_ = std::max(1, common::client_width_for(outer_width, frame));
        client_height_ = std::max(1, common::client_height_for(outer_height, frame));
        exists_ = true;
        return true;
    }
    bool exists() const override { return exists_; }
    void destroy() override { exists_ = false; }
    void set_title(std::string_view) override {}
    void move_size(int, int, int, int) override {}
    void show(bool) override {}
    void set_size_limits(int, int, int, int) override {}
    Rect window_rect() const override { return {}; }
    int client_width() const override { return client_width_; }
    int client_height() const override { return client_height_; }
    bool is_active() const override { return false; }
    Rect work_area() const override { return Rect{0, 0, 1024, 734}; }
    int screen_width() const override { return 1024; }
    int screen_height() const override { return 768; }
    FrameMetrics frame_metrics() const override { return frame; }
    FontId create_font(std::string_view, int, int, int) override { return system_fixed_font; }
    void delete_font(FontId) override {}
    FontMetrics font_metrics(FontId) const override { return system_font; }
    void draw_text(FontId, int, int, std::string_view, Rgb, Rgb) override {}
    void draw_pixel_row(int, int, const uint8_t*, int, const Rgb*, int, int) override {}
    void copy_rect(const Rect&, int, int) override {}
    void fill_rect(const Rect&, Rgb) override {}
    bool capture_offscreen(const Rect&) override { return false; }
    void stretch_offscreen(const Rect&, const Rect&) override {}
    void release_offscreen() override {}
    void show_caret(int, int, int, int) override {}
    void hide_caret() override {}
    void beep() override {
        event("beep", "");
        if (SdlAudio* a = audio()) a->beep();
    }
    void message_box(std::string_view text) override {
        event("message", quoted_trace_text(text));
        std::cerr << options_.program_name << ": " << cp1252_to_utf8(text) << '\n';
    }
    bool save_screenshot(const std::string&) override { return false; }

    // ---- WaveOut and SoundPlayer: the SDL audio, once loaded.
    int open(const PcmFormat& format) override {
        SdlAudio* a = audio();
        return a ? a->open(format) : mmsyserr_nodriver;
    }
    bool is_open() const override { return audio_ && audio_->is_open(); }
    int write(uint32_t id, const uint8_t* data, size_t length) override {
        return audio_ ? audio_->write(id, data, length) : mmsyserr_invalhandle;
    }
    void reset() override {
        if (audio_) audio_->reset();
    }
    void close() override {
        if (audio_) audio_->close();
    }
    bool play_file_sync(std::string_view name) override {
        if (SdlAudio* a = audio()) return a->play_file_sync(name);
        event("sound", name);
        return false;
    }
    bool play_memory_looping(const std::vector<uint8_t>& image) override {
        if (SdlAudio* a = audio()) return a->play_memory_looping(image);
        event("sound-async", std::to_string(image.size()));
        return false;
    }
    void stop() override {
        if (audio_) audio_->stop();
    }

    // ---- Trace
    void event(std::string_view word, std::string_view args) override {
        outputs_.trace_event(now_ms(), word, args);
    }

    // ---- Process
    [[noreturn]] void exit_process(int code) override { outputs_.exit_run(code, now_ms()); }

    BackendOptions options_;
    common::PosixFiles files_;
    common::PosixRegistry registry_;
    common::PosixLibraries libraries_;
    Host host_;
    common::RunOutputs outputs_;
    SteadyClock::time_point start_;
    std::deque<Message> queue_;
    std::unique_ptr<SdlAudio> audio_;
    bool audio_tried_ = false;
    bool exists_ = false;
    int client_width_ = 0;
    int client_height_ = 0;
};

}  // namespace

std::unique_ptr<Backend> make_speaker_backend(const BackendOptions& options) {
    return std::make_unique<SpeakerBackend>(options);
}

}  // namespace host::sdl
