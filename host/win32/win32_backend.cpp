#include "host/win32/win32_backend.h"

#include <windows.h>
#include <windowsx.h>

#include <algorithm>
#include <cstdlib>
#include <deque>
#include <iostream>
#include <string>

#include "host/common/run_outputs.h"
#include "host/common/window_core.h"
#include "host/text.h"
#include "host/win32/win32_audio.h"
#include "host/win32/win32_files.h"
#include "host/win32/win32_libraries.h"
#include "host/win32/win32_registry.h"

namespace host::win32 {

int cp1252_from_ansi(unsigned code, unsigned code_page) {
    if (code > 0xFF) return -1;
    if (code < 0x80 || code_page == 1252) return static_cast<int>(code);
    const char byte = static_cast<char>(code);
    wchar_t wide = 0;
    if (MultiByteToWideChar(code_page, MB_ERR_INVALID_CHARS, &byte, 1, &wide, 1) != 1) return -1;
    return cp1252_from_codepoint(wide);
}

namespace {

constexpr const char* window_class = "KrWinCrt";
constexpr DWORD window_style = WS_OVERLAPPEDWINDOW;
constexpr UINT_PTR present_ms = 15;

// The system's text is Windows-1252 whatever the machine's ANSI code page, so
// titles and boxes go through the wide calls when that page is another one.
std::wstring wide_from_cp1252(std::string_view text) {
    std::wstring out;
    if (text.empty()) return out;
    const int n =
        MultiByteToWideChar(1252, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    out.resize(static_cast<size_t>(std::max(0, n)));
    if (n > 0)
        MultiByteToWideChar(1252, 0, text.data(), static_cast<int>(text.size()), out.data(), n);
    return out;
}

bool ansi_is_cp1252() {
    return GetACP() == 1252;
}

Modifiers modifiers_now() {
    Modifiers m;
    m.ctrl = (GetKeyState(VK_CONTROL) & 0x8000) != 0;
    m.alt = (GetKeyState(VK_MENU) & 0x8000) != 0;
    m.shift = (GetKeyState(VK_SHIFT) & 0x8000) != 0;
    return m;
}

// The outer rectangle Windows needs for a client area of this size.
SIZE outer_size_for_client(int width, int height, DWORD style) {
    RECT r{0, 0, std::max(1, width), std::max(1, height)};
    AdjustWindowRectEx(&r, style, FALSE, 0);
    return SIZE{r.right - r.left, r.bottom - r.top};
}

LRESULT CALLBACK window_procedure(HWND window, UINT message, WPARAM w, LPARAM l);

class Win32Backend : public Backend,
                     MessageQueue,
                     Clock,
                     common::WindowPlatform,
                     SoundPlayer,
                     Trace,
                     Process {
public:
    explicit Win32Backend(const BackendOptions& options)
        : options_(options),
          files_(options.folders ? *options.folders : default_config_folders()),
          audio_(static_cast<MessageQueue&>(*this), static_cast<Trace&>(*this), files_),
          window_core_(*this, *this, *this, system_frame()),
          host_{*this,  *this,     window_core_, audio_, *this,
                files_, registry_, libraries_,   *this,  *this},
          outputs_(options.program_name) {
        QueryPerformanceFrequency(&frequency_);
        QueryPerformanceCounter(&start_);
        outputs_.open_trace(options.trace_path);
        std::string error;
        if (!options.screenshot_path.empty() &&
            !common::check_output(options.screenshot_path, &error))
            outputs_.report(error);
        if (outputs_.failed()) outputs_.abandon();
        audio_.set_volume(options.volume_percent);
    }

    ~Win32Backend() override {
        finish_outputs();
        audio_.stop();
        audio_.close();
        window_core_.close_quietly();
    }

    static std::unique_ptr<Win32Backend> start(const BackendOptions& options) {
        if (!options.hidden_window && !register_class()) {
            std::cerr << options.program_name << ": nao consigo abrir a janela: RegisterClassA ("
                      << GetLastError() << ")\n";
            return nullptr;
        }
        auto backend = std::make_unique<Win32Backend>(options);
        if (!backend->audio_.available()) {
            std::cerr << options.program_name
                      << ": aviso: sem dispositivo de som (waveOutGetNumDevs 0); segue sem som\n";
            backend->event("audio-none", "waveOutGetNumDevs 0");
        }
        return backend;
    }

    Host& host() override { return host_; }

    // ---- the window procedure's side
    LRESULT handle(HWND window, UINT message, WPARAM w, LPARAM l) {
        switch (message) {
            case WM_KEYDOWN:
            case WM_SYSKEYDOWN:
            case WM_KEYUP:
            case WM_SYSKEYUP:
                on_key(message, w);
                // System keys never reach the default procedure: F10 and Alt
                // would open the menu loop, and the program itself decides
                // what Alt+F4 does (the lock refuses it).
                return 0;
            case WM_CHAR: {
                const Modifiers mods = modifiers_now();
                const int c = cp1252_from_ansi(static_cast<unsigned>(w), GetACP());
                if (c >= 0) {
                    Message m;
                    m.kind = MessageKind::character;
                    m.character = static_cast<uint8_t>(c);
                    m.modifiers = mods;
                    post(m);
                }
                return 0;
            }
            case WM_SYSCHAR:
            case WM_SYSDEADCHAR:
                return 0;  // a system key gives no character
            case WM_SETFOCUS:
                window_core_.note_active(true);
                post_simple(MessageKind::set_focus);
                return 0;
            case WM_KILLFOCUS:
                window_core_.note_active(false);
                post_simple(MessageKind::kill_focus);
                return 0;
            case WM_CLOSE:
                post_simple(MessageKind::close);
                return 0;
            case WM_ERASEBKGND:
                return 1;  // the canvas covers the whole client area
            case WM_PAINT: {
                PAINTSTRUCT ps;
                HDC dc = BeginPaint(window, &ps);
                blit(dc);
                EndPaint(window, &ps);
                return 0;
            }
            case WM_SIZE:
                if (w != SIZE_MINIMIZED && !fullscreen_ && window == window_) {
                    const int cw = LOWORD(l);
                    const int ch = HIWORD(l);
                    const common::Canvas& canvas = window_core_.canvas();
                    if (cw != canvas.width() || ch != canvas.height())
                        window_core_.note_resized(cw, ch);
                }
                return 0;
            case WM_MOVE:
                if (!fullscreen_ && window == window_ && !IsIconic(window))
                    window_core_.note_moved(GET_X_LPARAM(l), GET_Y_LPARAM(l));
                return 0;
            case WM_GETMINMAXINFO: {
                auto* info = reinterpret_cast<MINMAXINFO*>(l);
                if (max_client_.cx > 0 && !fullscreen_) {
                    const SIZE least =
                        outer_size_for_client(min_client_.cx, min_client_.cy, window_style);
                    const SIZE most =
                        outer_size_for_client(max_client_.cx, max_client_.cy, window_style);
                    info->ptMinTrackSize = POINT{least.cx, least.cy};
                    info->ptMaxTrackSize = POINT{most.cx, most.cy};
                    info->ptMaxSize = POINT{most.cx, most.cy};
                }
                return 0;
            }
            case WM_RBUTTONDOWN:
            case WM_RBUTTONUP:
            case WM_MOUSEMOVE: {
                Message m;
                m.kind = message == WM_RBUTTONDOWN ? MessageKind::right_down
                         : message == WM_RBUTTONUP ? MessageKind::right_up
                                                   : MessageKind::mouse_move;
                const POINT p = to_canvas(GET_X_LPARAM(l), GET_Y_LPARAM(l));
                m.x = p.x;
                m.y = p.y;
                post(m);
                return 0;
            }
            default:
                return DefWindowProcA(window, message, w, l);
        }
    }

private:
    static bool register_class() {
        static bool registered = false;
        if (registered) return true;
        WNDCLASSA c{};
        c.style = CS_HREDRAW | CS_VREDRAW;
        c.lpfnWndProc = window_procedure;
        c.hInstance = GetModuleHandleA(nullptr);
        c.hIcon = LoadIconA(nullptr, reinterpret_cast<LPCSTR>(IDI_APPLICATION));
        c.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
        c.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
        c.lpszClassName = window_class;
        registered = RegisterClassA(&c) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
        return registered;
    }

    // The sizing frame as the program's window arithmetic counts it: the
    // frame proper plus the padding newer systems add around it.
    static FrameMetrics system_frame() {
        const int padding = GetSystemMetrics(SM_CXPADDEDBORDER);
        return FrameMetrics{GetSystemMetrics(SM_CXSIZEFRAME) + padding,
                            GetSystemMetrics(SM_CYSIZEFRAME) + padding,
                            GetSystemMetrics(SM_CYCAPTION)};
    }

    void post(const Message& m) { queue_.push_back(m); }
    void post_simple(MessageKind kind) {
        Message m;
        m.kind = kind;
        post(m);
    }

    void on_key(UINT message, WPARAM w) {
        const bool down = message == WM_KEYDOWN || message == WM_SYSKEYDOWN;
        const Modifiers mods = modifiers_now();
        // F11 alone switches full screen and is not the program's key
        // (Ctrl+Alt+F11 is the Braille mode's).
        if (w == VK_F11 && !mods.ctrl && !mods.alt && !mods.shift) {
            if (down) set_fullscreen(!fullscreen_);
            return;
        }
        Message m;
        m.kind = down ? MessageKind::key_down : MessageKind::key_up;
        m.virtual_key = static_cast<uint16_t>(w);
        m.modifiers = mods;
        m.system_key = message == WM_SYSKEYDOWN || message == WM_SYSKEYUP;
        post(m);
    }

    // Dispatches every waiting window message; WM_QUIT becomes the quit message.
    void pump() {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                post_simple(MessageKind::quit);
                continue;
            }
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }

    // ---- presentation
    // Where the canvas lies in the client area: at the origin in a window,
    // enlarged by the largest whole factor and centred in full screen.
    RECT canvas_place() const {
        const common::Canvas& canvas = window_core_.canvas();
        if (!fullscreen_ || canvas.width() <= 0 || canvas.height() <= 0)
            return RECT{0, 0, canvas.width(), canvas.height()};
        RECT client{};
        GetClientRect(window_, &client);
        const int factor =
            std::max(1L, std::min(client.right / canvas.width(), client.bottom / canvas.height()));
        const int w = canvas.width() * factor;
        const int h = canvas.height() * factor;
        const int x = (client.right - w) / 2;
        const int y = (client.bottom - h) / 2;
        return RECT{x, y, x + w, y + h};
    }

    POINT to_canvas(int x, int y) const {
        if (!fullscreen_) return POINT{x, y};
        const RECT place = canvas_place();
        const common::Canvas& canvas = window_core_.canvas();
        const int factor =
            canvas.width() > 0 ? std::max(1L, (place.right - place.left) / canvas.width()) : 1;
        return POINT{(x - place.left) / factor, (y - place.top) / factor};
    }

    void blit(HDC dc) {
        const common::Canvas& canvas = window_core_.canvas();
        if (canvas.width() <= 0 || canvas.height() <= 0) return;
        BITMAPINFO bi{};
        bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        bi.bmiHeader.biWidth = canvas.width();
        bi.bmiHeader.biHeight = -canvas.height();  // top-down rows, as the canvas keeps them
        bi.bmiHeader.biPlanes = 1;
        bi.bmiHeader.biBitCount = 32;
        bi.bmiHeader.biCompression = BI_RGB;
        if (!fullscreen_) {
            SetDIBitsToDevice(dc, 0, 0, canvas.width(), canvas.height(), 0, 0, 0, canvas.height(),
                              canvas.pixels(), &bi, DIB_RGB_COLORS);
            return;
        }
        const RECT place = canvas_place();
        RECT client{};
        GetClientRect(window_, &client);
        HBRUSH black = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
        const RECT bands[4] = {{0, 0, client.right, place.top},
                               {0, place.bottom, client.right, client.bottom},
                               {0, place.top, place.left, place.bottom},
                               {place.right, place.top, client.right, place.bottom}};
        for (const RECT& band : bands)
            if (band.right > band.left && band.bottom > band.top) FillRect(dc, &band, black);
        SetStretchBltMode(dc, COLORONCOLOR);  // whole factors keep the pixels sharp
        StretchDIBits(dc, place.left, place.top, place.right - place.left, place.bottom - place.top,
                      0, 0, canvas.width(), canvas.height(), canvas.pixels(), &bi, DIB_RGB_COLORS,
                      SRCCOPY);
    }

    // Shows what was drawn since the last time, at most every few ms unless
    // forced; keeps the system caret where the program put it.
    void present(bool force = false) {
        if (!window_) return;
        common::Canvas& canvas = window_core_.canvas();
        const uint64_t t = now_ms();
        if (!force && (!canvas.dirty || t - last_present_ < present_ms)) return;
        last_present_ = t;
        canvas.dirty = false;
        if (caret_shown_) HideCaret(window_);
        HDC dc = GetDC(window_);
        blit(dc);
        ReleaseDC(window_, dc);
        sync_caret();
    }

    void sync_caret() {
        const bool want = window_core_.caret_visible() && !fullscreen_;
        const Rect c = window_core_.caret();
        if (!want) {
            if (caret_made_) DestroyCaret();
            caret_made_ = caret_shown_ = false;
            return;
        }
        if (!caret_made_ || c.width() != caret_.width() || c.height() != caret_.height()) {
            if (caret_made_) DestroyCaret();
            caret_made_ = CreateCaret(window_, nullptr, std::max(1, c.width()),
                                      std::max(1, c.height())) != FALSE;
        }
        caret_ = c;
        if (!caret_made_) return;
        SetCaretPos(c.left, c.top);
        caret_shown_ = ShowCaret(window_) != FALSE;
    }

    void set_fullscreen(bool on) {
        if (!window_ || on == fullscreen_) return;
        fullscreen_ = on;
        if (on) {
            GetWindowRect(window_, &windowed_);
            MONITORINFO mi{};
            mi.cbSize = sizeof mi;
            GetMonitorInfoA(MonitorFromWindow(window_, MONITOR_DEFAULTTOPRIMARY), &mi);
            SetWindowLongPtrA(window_, GWL_STYLE, WS_POPUP | WS_VISIBLE);
            SetWindowPos(window_, HWND_TOP, mi.rcMonitor.left, mi.rcMonitor.top,
                         mi.rcMonitor.right - mi.rcMonitor.left,
                         mi.rcMonitor.bottom - mi.rcMonitor.top, SWP_FRAMECHANGED);
        } else {
            SetWindowLongPtrA(window_, GWL_STYLE, window_style | WS_VISIBLE);
            SetWindowPos(window_, nullptr, windowed_.left, windowed_.top,
                         windowed_.right - windowed_.left, windowed_.bottom - windowed_.top,
                         SWP_FRAMECHANGED | SWP_NOZORDER);
        }
        window_core_.canvas().dirty = true;
        InvalidateRect(window_, nullptr, FALSE);
        event("fullscreen", on ? "on" : "off");
    }

    // ---- MessageQueue
    bool peek_message(Message& out) override {
        if (queue_.empty()) {
            pump();
            present();
            if (queue_.empty()) return false;
        }
        out = queue_.front();
        queue_.pop_front();
        return true;
    }

    void wait_message() override {
        for (;;) {
            pump();
            if (!queue_.empty()) return;
            present(window_core_.canvas().dirty);
            // Late device notifications must not leave a wait hanging: while
            // blocks are queued the wait also wakes every few ms to look.
            if (audio_.blocks_pending()) {
                MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
                audio_.collect_done_blocks();
            } else {
                WaitMessage();
            }
        }
    }

    void post_message(const Message& message) override { post(message); }
    Modifiers key_state() const override { return modifiers_now(); }

    // ---- Clock
    uint64_t now_ms() const override {
        LARGE_INTEGER t;
        QueryPerformanceCounter(&t);
        return static_cast<uint64_t>((t.QuadPart - start_.QuadPart) * 1000 / frequency_.QuadPart);
    }
    void sleep_ms(uint32_t ms) override {
        present(true);
        Sleep(ms);
    }
    uint32_t random_seed() const override {
        if (options_.seed_given) return options_.seed;
        LARGE_INTEGER t;
        QueryPerformanceCounter(&t);
        return static_cast<uint32_t>(t.QuadPart);
    }

    // ---- WindowPlatform
    bool open_window(std::string_view title, int client_width, int client_height) override {
        // A program that only speaks keeps its window state without a window.
        if (options_.hidden_window) return true;
        const SIZE outer = outer_size_for_client(client_width, client_height, window_style);
        const std::string narrow(title);
        window_ = CreateWindowExA(0, window_class, ansi_is_cp1252() ? narrow.c_str() : "",
                                  window_style, CW_USEDEFAULT, CW_USEDEFAULT, outer.cx, outer.cy,
                                  nullptr, nullptr, GetModuleHandleA(nullptr), this);
        if (!window_) return false;
        if (!ansi_is_cp1252()) SetWindowTextW(window_, wide_from_cp1252(title).c_str());
        // The system chose the place: the program sees where it is.
        POINT origin{0, 0};
        ClientToScreen(window_, &origin);
        window_core_.note_moved(origin.x, origin.y);
        return true;
    }
    void close_window() override {
        if (caret_made_) DestroyCaret();
        caret_made_ = caret_shown_ = false;
        if (window_) {
            SetWindowLongPtrA(window_, GWLP_USERDATA, 0);
            DestroyWindow(window_);
        }
        window_ = nullptr;
        fullscreen_ = false;
    }
    void retitle_window(std::string_view title) override {
        if (!window_) return;
        if (ansi_is_cp1252())
            SetWindowTextA(window_, std::string(title).c_str());
        else
            SetWindowTextW(window_, wide_from_cp1252(title).c_str());
    }
    void place_window(const Rect& client) override {
        if (!window_) return;
        RECT r{client.left, client.top, client.right, client.bottom};
        AdjustWindowRectEx(&r, window_style, FALSE, 0);
        if (fullscreen_) {
            windowed_ = r;  // taken on leaving full screen
            return;
        }
        SetWindowPos(window_, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
    }
    void show_window(bool maximized) override {
        if (!window_) return;
        ShowWindow(window_, maximized ? SW_SHOWMAXIMIZED : SW_SHOWNORMAL);
        UpdateWindow(window_);
        SetForegroundWindow(window_);
        if (options_.fullscreen && !fullscreen_) set_fullscreen(true);
    }
    void limit_window(int min_w, int min_h, int max_w, int max_h) override {
        min_client_ = SIZE{std::max(1, min_w), std::max(1, min_h)};
        max_client_ = SIZE{std::max(1, max_w), std::max(1, max_h)};
    }
    Rect work_area() const override {
        RECT r{0, 0, 1024, 734};
        if (!SystemParametersInfoA(SPI_GETWORKAREA, 0, &r, 0)) r = RECT{0, 0, 1024, 734};
        return Rect{r.left, r.top, r.right, r.bottom};
    }
    int screen_width() const override { return GetSystemMetrics(SM_CXSCREEN); }
    int screen_height() const override { return GetSystemMetrics(SM_CYSCREEN); }
    void beep() override { MessageBeep(0); }
    void show_message_box(std::string_view text) override {
        present(true);
        if (ansi_is_cp1252())
            MessageBoxA(window_, std::string(text).c_str(), "", MB_OK | MB_ICONINFORMATION);
        else
            MessageBoxW(window_, wide_from_cp1252(text).c_str(), L"", MB_OK | MB_ICONINFORMATION);
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
    bool audio_available() const override { return audio_.available(); }

    void finish_screenshot() {
        if (screenshot_done_ || options_.screenshot_path.empty() || outputs_.failed()) return;
        screenshot_done_ = true;
        present(true);
        outputs_.save_screenshot(window_core_.canvas(), options_.screenshot_path);
    }

    // ---- SoundPlayer: the picture drawn so far is shown while it plays.
    bool play_file_sync(std::string_view name) override {
        present(true);
        return audio_.play_file_sync(name);
    }
    bool play_memory_looping(const std::vector<uint8_t>& image) override {
        return audio_.play_memory_looping(image);
    }
    void stop() override { audio_.stop(); }

    // ---- Trace
    void event(std::string_view word, std::string_view args) override {
        outputs_.trace_event(now_ms(), word, args);
    }

    // ---- Process
    [[noreturn]] void exit_process(int code) override {
        finish_screenshot();
        outputs_.exit_run(code, now_ms());
    }

    friend LRESULT CALLBACK window_procedure(HWND, UINT, WPARAM, LPARAM);

    BackendOptions options_;
    Win32Files files_;
    Win32Registry registry_;
    Win32Libraries libraries_;
    Win32Audio audio_;
    common::WindowCore window_core_;
    Host host_;
    common::RunOutputs outputs_;
    bool screenshot_done_ = false;
    LARGE_INTEGER frequency_{};
    LARGE_INTEGER start_{};
    std::deque<Message> queue_;

    HWND window_ = nullptr;
    uint64_t last_present_ = 0;
    bool fullscreen_ = false;
    RECT windowed_{};  // the outer window out of full screen
    SIZE min_client_{};
    SIZE max_client_{};
    bool caret_made_ = false;
    bool caret_shown_ = false;
    Rect caret_{};
};

LRESULT CALLBACK window_procedure(HWND window, UINT message, WPARAM w, LPARAM l) {
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTA*>(l);
        SetWindowLongPtrA(window, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* backend = reinterpret_cast<Win32Backend*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (!backend) return DefWindowProcA(window, message, w, l);
    return backend->handle(window, message, w, l);
}

}  // namespace

std::unique_ptr<Backend> make_win32_backend(const BackendOptions& options) {
    return Win32Backend::start(options);
}

}  // namespace host::win32
