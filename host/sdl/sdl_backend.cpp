#include "host/sdl/sdl_backend.h"

#include <SDL.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <fstream>
#include <iostream>

#include "host/common/posix_files.h"
#include "host/common/run_outputs.h"
#include "host/common/window_core.h"
#include "host/sdl/sdl_audio.h"
#include "host/text.h"

namespace host::sdl {

uint16_t virtual_key_for(int key, int scancode, bool ctrl) {
    if (key >= SDLK_a && key <= SDLK_z) return static_cast<uint16_t>(vk::key_a + (key - SDLK_a));
    if (key >= SDLK_0 && key <= SDLK_9) return static_cast<uint16_t>(vk::digit0 + (key - SDLK_0));
    if (key >= SDLK_F1 && key <= SDLK_F12) return static_cast<uint16_t>(vk::f1 + (key - SDLK_F1));
    switch (key) {
        case SDLK_ESCAPE:
            return vk::escape;
        case SDLK_RETURN:
        case SDLK_KP_ENTER:
            return vk::enter;
        case SDLK_SPACE:
            return vk::space;
        case SDLK_TAB:
            return vk::tab;
        case SDLK_BACKSPACE:
            return vk::back;
        case SDLK_UP:
            return vk::up;
        case SDLK_DOWN:
            return vk::down;
        case SDLK_LEFT:
            return vk::left;
        case SDLK_RIGHT:
            return vk::right;
        case SDLK_HOME:
            return vk::home;
        case SDLK_END:
            return vk::end;
        case SDLK_PAGEUP:
            return vk::prior;
        case SDLK_PAGEDOWN:
            return vk::next;
        case SDLK_INSERT:
            return vk::insert;
        case SDLK_DELETE:
            return vk::del;
        case SDLK_PAUSE:
            return ctrl ? vk::cancel : vk::pause;  // Ctrl+Pause is Break
        case SDLK_LSHIFT:
        case SDLK_RSHIFT:
            return vk::shift;
        case SDLK_LCTRL:
        case SDLK_RCTRL:
            return vk::control;
        case SDLK_LALT:
        case SDLK_RALT:
            return vk::menu;
        case SDLK_KP_MULTIPLY:
            return 106;
        case SDLK_KP_PLUS:
            return 107;
        case SDLK_KP_MINUS:
            return 109;
        case SDLK_KP_DIVIDE:
            return 111;
        case SDLK_MINUS:
            return 189;
        case SDLK_EQUALS:
            return 187;
        case SDLK_LEFTBRACKET:
            return 219;
        case SDLK_RIGHTBRACKET:
            return 221;
        case SDLK_SEMICOLON:
            return 186;
        case SDLK_QUOTE:
            return 222;
        case SDLK_BACKQUOTE:
            return 192;
        case SDLK_BACKSLASH:
            return 220;
        case SDLK_COMMA:
            return 188;
        case SDLK_PERIOD:
            return 190;
        case SDLK_SLASH:
            return 191;
        default:
            break;
    }
    if (scancode >= SDL_SCANCODE_KP_1 && scancode <= SDL_SCANCODE_KP_0)
        return static_cast<uint16_t>(
            scancode == SDL_SCANCODE_KP_0 ? 96 : 97 + (scancode - SDL_SCANCODE_KP_1));
    return 0;
}

namespace {

Modifiers modifiers_of(uint16_t mod) {
    Modifiers m;
    m.ctrl = (mod & KMOD_CTRL) != 0;
    m.alt = (mod & KMOD_ALT) != 0;
    m.shift = (mod & KMOD_SHIFT) != 0;
    return m;
}

class SdlBackend : public Backend,
                   MessageQueue,
                   Clock,
                   common::WindowPlatform,
                   SoundPlayer,
                   Trace,
                   Process {
public:
    explicit SdlBackend(const BackendOptions& options)
        : options_(options),
          files_(options.folders ? *options.folders : common::default_config_folders()),
          audio_(std::make_unique<SdlAudio>(linked_sdl_audio_api(),
                                            static_cast<MessageQueue&>(*this),
                                            static_cast<Trace&>(*this), files_)),
          window_core_(*this, *this, *this),
          host_{*this,  *this,     window_core_, *audio_, *this,
                files_, registry_, libraries_,   *this,   *this},
          outputs_(options.program_name) {
        outputs_.open_trace(options.trace_path);
        std::string error;
        if (!options.screenshot_path.empty() &&
            !common::check_output(options.screenshot_path, &error))
            outputs_.report(error);
        if (outputs_.failed()) outputs_.abandon();
        start_ticks_ = SDL_GetTicks64();
        audio_->set_volume(options.volume_percent);
    }

    ~SdlBackend() override {
        finish_outputs();
        audio_->stop();
        audio_->close();
        audio_.reset();  // its devices close before SDL ends
        window_core_.close_quietly();
        SDL_Quit();
    }

    static std::unique_ptr<SdlBackend> start(const BackendOptions& options) {
        SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
        const std::string& name = options.program_name;
        // A window nobody can see would play on and wait for keys forever.
        const bool driver_asked = !options.video_driver.empty();
        if (options.needs_display && !driver_asked && !options.display_named) {
            std::cerr << name << ": sem tela (DISPLAY e WAYLAND_DISPLAY vazias); "
                      << "use --headless para a simulacao\n";
            return nullptr;
        }
        if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0) {
            const std::string first = SDL_GetError();
            if (options.needs_display) {
                std::cerr << name << ": nao consigo abrir a janela: " << first << '\n';
                return nullptr;
            }
            // The speech tool needs no display.
            SDL_SetHint(SDL_HINT_VIDEODRIVER, "dummy");
            if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0) {
                std::cerr << name << ": nao consigo abrir a janela: " << first << '\n';
                return nullptr;
            }
        }
        const char* driver = SDL_GetCurrentVideoDriver();
        const std::string video = driver ? driver : "";
        if (options.needs_display && !driver_asked && (video == "dummy" || video == "offscreen")) {
            std::cerr << name << ": sem tela: so ha o driver de video \"" << video << "\"\n";
            SDL_Quit();
            return nullptr;
        }
        auto backend = std::unique_ptr<SdlBackend>(new SdlBackend(options));
        if (!backend->audio_->available()) {
            const std::string why = SDL_GetError();
            std::cerr << name << ": aviso: sem dispositivo de som (" << why << "); segue sem som\n";
            backend->event("audio-none", why);
        }
        SDL_StartTextInput();
        return backend;
    }

    Host& host() override { return host_; }

private:
    // ---- events
    void post(const Message& m) { queue_.push_back(m); }

    void translate(const SDL_Event& e) {
        switch (e.type) {
            case SDL_QUIT: {
                Message m;
                m.kind = MessageKind::close;
                post(m);
                break;
            }
            case SDL_WINDOWEVENT:
                switch (e.window.event) {
                    case SDL_WINDOWEVENT_CLOSE: {
                        Message m;
                        m.kind = MessageKind::close;
                        post(m);
                        break;
                    }
                    case SDL_WINDOWEVENT_EXPOSED: {
                        window_core_.canvas().dirty = true;
                        break;
                    }
                    case SDL_WINDOWEVENT_SIZE_CHANGED: {
                        // Full screen enlarges the picture, not the client.
                        if (fullscreen_) break;
                        window_core_.note_resized(e.window.data1, e.window.data2);
                        break;
                    }
                    case SDL_WINDOWEVENT_MOVED: {
                        // The program sees the window it placed, not the screen.
                        if (!fullscreen_) window_core_.note_moved(e.window.data1, e.window.data2);
                        break;
                    }
                    case SDL_WINDOWEVENT_FOCUS_GAINED: {
                        window_core_.note_active(true);
                        Message m;
                        m.kind = MessageKind::set_focus;
                        post(m);
                        break;
                    }
                    case SDL_WINDOWEVENT_FOCUS_LOST: {
                        window_core_.note_active(false);
                        Message m;
                        m.kind = MessageKind::kill_focus;
                        post(m);
                        break;
                    }
                    default:
                        break;
                }
                break;
            case SDL_KEYDOWN:
            case SDL_KEYUP: {
                const Modifiers mods = modifiers_of(e.key.keysym.mod);
                // F11 alone switches full screen and is not the program's key
                // (Ctrl+Alt+F11 is the Braille mode's).
                if (e.key.keysym.sym == SDLK_F11 && !mods.ctrl && !mods.alt && !mods.shift) {
                    if (e.type == SDL_KEYDOWN && !e.key.repeat) set_fullscreen(!fullscreen_);
                    break;
                }
                const uint16_t key =
                    virtual_key_for(e.key.keysym.sym, e.key.keysym.scancode, mods.ctrl);
                if (key == 0) break;
                Message m;
                m.kind = e.type == SDL_KEYDOWN ? MessageKind::key_down : MessageKind::key_up;
                m.virtual_key = key;
                m.modifiers = mods;
                m.system_key = key == vk::f10 || (mods.alt && !mods.ctrl);
                post(m);
                if (e.type == SDL_KEYDOWN && !mods.alt) {
                    // The characters TranslateMessage makes from keys that give no
                    // text input; printable keys arrive as SDL text input.
                    int c = -1;
                    if (key == vk::escape || key == vk::enter || key == vk::back || key == vk::tab)
                        c = key == vk::escape  ? 27
                            : key == vk::enter ? 13
                            : key == vk::back  ? 8
                                               : 9;
                    else if (mods.ctrl && key >= vk::key_a && key < vk::key_a + 26)
                        c = key - vk::key_a + 1;
                    if (c >= 0) {
                        Message ch;
                        ch.kind = MessageKind::character;
                        ch.character = static_cast<uint8_t>(c);
                        ch.modifiers = mods;
                        post(ch);
                    }
                }
                break;
            }
            case SDL_TEXTINPUT: {
                const Modifiers mods = modifiers_of(SDL_GetModState());
                if (mods.alt && !mods.ctrl) break;  // system keys give no character
                if (mods.ctrl && !mods.alt) break;  // Ctrl codes came with the key down
                for (char c : utf8_to_cp1252(e.text.text)) {
                    Message m;
                    m.kind = MessageKind::character;
                    m.character = static_cast<uint8_t>(c);
                    m.modifiers = mods;
                    post(m);
                }
                break;
            }
            case SDL_MOUSEBUTTONDOWN:
            case SDL_MOUSEBUTTONUP:
                if (e.button.button == SDL_BUTTON_RIGHT) {
                    Message m;
                    m.kind = e.type == SDL_MOUSEBUTTONDOWN ? MessageKind::right_down
                                                           : MessageKind::right_up;
                    m.x = e.button.x;
                    m.y = e.button.y;
                    post(m);
                }
                break;
            case SDL_MOUSEMOTION: {
                Message m;
                m.kind = MessageKind::mouse_move;
                m.x = e.motion.x;
                m.y = e.motion.y;
                post(m);
                break;
            }
            default:
                break;
        }
    }

    void pump_sdl() {
        SDL_Event e;
        while (SDL_PollEvent(&e)) translate(e);
        audio_->poll();
    }

    void present(bool force = false) {
        if (!window_ || !renderer_) return;
        common::Canvas& canvas = window_core_.canvas();
        const uint64_t t = SDL_GetTicks64();
        if (!force && (!canvas.dirty || t - last_present_ < 15)) return;
        last_present_ = t;
        canvas.dirty = false;
        if (!texture_ || texture_w_ != canvas.width() || texture_h_ != canvas.height()) {
            if (texture_) SDL_DestroyTexture(texture_);
            texture_ =
                SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STREAMING,
                                  canvas.width(), canvas.height());
            texture_w_ = canvas.width();
            texture_h_ = canvas.height();
            // The client drawn at the largest whole factor that fits the
            // window, centred on black, pixels kept sharp (1 in a window of
            // the client's size; more in full screen).
            SDL_RenderSetLogicalSize(renderer_, texture_w_, texture_h_);
            SDL_RenderSetIntegerScale(renderer_, SDL_TRUE);
        }
        if (!texture_) return;
        SDL_UpdateTexture(texture_, nullptr, canvas.pixels(), canvas.width() * 4);
        SDL_RenderClear(renderer_);
        SDL_RenderCopy(renderer_, texture_, nullptr, nullptr);
        if (window_core_.caret_visible() && (t / 500) % 2 == 0) {
            SDL_SetRenderDrawColor(renderer_, 255, 255, 255, 255);
            const Rect caret = window_core_.caret();
            SDL_Rect r{caret.left, caret.top, caret.width(), caret.height()};
            SDL_RenderFillRect(renderer_, &r);
            SDL_SetRenderDrawColor(renderer_, 0, 0, 0, 255);
        }
        SDL_RenderPresent(renderer_);
    }

    // ---- MessageQueue
    bool peek_message(Message& out) override {
        if (queue_.empty()) {
            // Cheap when nothing is pending: SDL_PollEvent plus a size query.
            pump_sdl();
            present();
            if (queue_.empty()) return false;
        }
        out = queue_.front();
        queue_.pop_front();
        return true;
    }

    void wait_message() override {
        for (;;) {
            pump_sdl();
            if (!queue_.empty()) return;
            present(window_core_.caret_visible());
            SDL_Event e;
            // Wake at least every few ms for the audio completion and caret.
            if (SDL_WaitEventTimeout(&e, audio_->blocks_pending() ? 2 : 250)) translate(e);
        }
    }

    void post_message(const Message& message) override { post(message); }

    Modifiers key_state() const override { return modifiers_of(SDL_GetModState()); }

    // ---- Clock
    uint64_t now_ms() const override { return SDL_GetTicks64() - start_ticks_; }
    void sleep_ms(uint32_t ms) override {
        present(true);
        SDL_Delay(ms);
    }
    uint32_t random_seed() const override {
        return options_.seed_given ? options_.seed
                                   : static_cast<uint32_t>(SDL_GetPerformanceCounter());
    }

    // ---- WindowPlatform
    bool open_window(std::string_view title, int client_width, int client_height) override {
        window_ =
            SDL_CreateWindow(cp1252_to_utf8(title).c_str(), SDL_WINDOWPOS_UNDEFINED,
                             SDL_WINDOWPOS_UNDEFINED, std::max(1, client_width),
                             std::max(1, client_height), SDL_WINDOW_HIDDEN | SDL_WINDOW_RESIZABLE);
        if (!window_) return false;
        SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "nearest");  // sharp pixels when enlarged
        renderer_ = SDL_CreateRenderer(window_, -1, SDL_RENDERER_ACCELERATED);
        if (!renderer_) renderer_ = SDL_CreateRenderer(window_, -1, SDL_RENDERER_SOFTWARE);
        return true;
    }
    void close_window() override {
        if (texture_) SDL_DestroyTexture(texture_);
        texture_ = nullptr;
        if (renderer_) SDL_DestroyRenderer(renderer_);
        renderer_ = nullptr;
        if (window_) SDL_DestroyWindow(window_);
        window_ = nullptr;
        fullscreen_ = false;
    }
    void retitle_window(std::string_view title) override {
        SDL_SetWindowTitle(window_, cp1252_to_utf8(title).c_str());
    }
    void place_window(const Rect& client) override {
        windowed_ = client;
        // In full screen the window keeps the screen; the place is taken on leaving it.
        if (!fullscreen_) restore_place();
    }
    void restore_place() {
        if (windowed_.width() <= 0 || windowed_.height() <= 0) return;
        SDL_SetWindowSize(window_, windowed_.width(), windowed_.height());
        SDL_SetWindowPosition(window_, windowed_.left, windowed_.top);
    }
    void show_window(bool maximized) override {
        if (options_.hidden_window) return;
        SDL_ShowWindow(window_);
        if (maximized) SDL_MaximizeWindow(window_);
        if (options_.fullscreen && !fullscreen_) set_fullscreen(true);
        SDL_RaiseWindow(window_);
    }
    void set_fullscreen(bool on) {
        if (!window_ || options_.hidden_window) return;
        fullscreen_ = on;
        // The window's size limit would keep it from covering the screen.
        if (on) SDL_SetWindowMaximumSize(window_, 16384, 16384);
        SDL_SetWindowFullscreen(window_, on ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0);
        if (!on) {
            if (max_client_w_ > 0) SDL_SetWindowMaximumSize(window_, max_client_w_, max_client_h_);
            restore_place();
        }
        window_core_.canvas().dirty = true;
        event("fullscreen", on ? "on" : "off");
    }
    void limit_window(int min_w, int min_h, int max_w, int max_h) override {
        SDL_SetWindowMinimumSize(window_, std::max(1, min_w), std::max(1, min_h));
        max_client_w_ = std::max(1, max_w);
        max_client_h_ = std::max(1, max_h);
        if (!fullscreen_) SDL_SetWindowMaximumSize(window_, max_client_w_, max_client_h_);
    }
    Rect work_area() const override {
        SDL_Rect r{0, 0, 1024, 734};
        if (SDL_GetDisplayUsableBounds(0, &r) != 0) r = SDL_Rect{0, 0, 1024, 734};
        return Rect{r.x, r.y, r.x + r.w, r.y + r.h};
    }
    int screen_width() const override {
        SDL_DisplayMode mode;
        return SDL_GetCurrentDisplayMode(0, &mode) == 0 ? mode.w : 1024;
    }
    int screen_height() const override {
        SDL_DisplayMode mode;
        return SDL_GetCurrentDisplayMode(0, &mode) == 0 ? mode.h : 768;
    }
    void beep() override { audio_->beep(); }
    void show_message_box(std::string_view text) override {
        SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_INFORMATION, "", cp1252_to_utf8(text).c_str(),
                                 window_);
    }

    // ---- Backend: the requested outputs
    bool outputs_ready() const override { return !outputs_.failed(); }
    bool finish_outputs() override {
        finish_screenshot();
        return outputs_.finish();
    }
    void discard_outputs() override {
        screenshot_done_ = true;
        outputs_.abandon();
    }
    bool audio_available() const override { return audio_->available(); }

    void finish_screenshot() {
        if (screenshot_done_ || options_.screenshot_path.empty() || outputs_.failed()) return;
        screenshot_done_ = true;
        present(true);
        outputs_.save_screenshot(window_core_.canvas(), options_.screenshot_path);
    }

    // ---- SoundPlayer: the picture drawn so far is shown while it plays.
    bool play_file_sync(std::string_view name) override {
        present(true);
        return audio_->play_file_sync(name);
    }
    bool play_memory_looping(const std::vector<uint8_t>& image) override {
        return audio_->play_memory_looping(image);
    }
    void stop() override { audio_->stop(); }

    // ---- Trace
    void event(std::string_view word, std::string_view args) override {
        outputs_.trace_event(now_ms(), word, args);
    }

    // ---- Process
    [[noreturn]] void exit_process(int code) override {
        finish_screenshot();
        outputs_.exit_run(code, now_ms());
    }

    BackendOptions options_;
    common::PosixFiles files_;
    common::PosixRegistry registry_;
    common::PosixLibraries libraries_;
    std::unique_ptr<SdlAudio> audio_;
    common::WindowCore window_core_;
    Host host_;
    common::RunOutputs outputs_;
    bool screenshot_done_ = false;
    uint64_t start_ticks_ = 0;
    std::deque<Message> queue_;

    SDL_Window* window_ = nullptr;
    SDL_Renderer* renderer_ = nullptr;
    SDL_Texture* texture_ = nullptr;
    int texture_w_ = 0;
    int texture_h_ = 0;
    uint64_t last_present_ = 0;
    bool fullscreen_ = false;
    Rect windowed_{};  // the client's place on the desktop, out of full screen
    int max_client_w_ = 0;
    int max_client_h_ = 0;
};

}  // namespace

std::unique_ptr<Backend> make_sdl_backend(const BackendOptions& options) {
    return SdlBackend::start(options);
}

}  // namespace host::sdl
