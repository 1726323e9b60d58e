// The desktop backend under a real (virtual) X display.
#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "host/backend.h"
#include "host/headless/headless_backend.h"
#include "support.h"

namespace {

using host::MessageKind;

struct SdlTest : ::testing::Test {
    void SetUp() override {
        if (!std::getenv("DISPLAY")) GTEST_SKIP() << "no display (run under xvfb-run)";
        host::BackendOptions options;
        backend = host::make_backend(options);
        ASSERT_TRUE(backend);
    }
    std::unique_ptr<host::Backend> backend;
};

void push_key(SDL_Keycode key, Uint16 mod, bool down) {
    SDL_Event e{};
    e.type = down ? SDL_KEYDOWN : SDL_KEYUP;
    e.key.state = down ? SDL_PRESSED : SDL_RELEASED;
    e.key.keysym.sym = key;
    e.key.keysym.scancode = SDL_GetScancodeFromKey(key);
    e.key.keysym.mod = mod;
    SDL_PushEvent(&e);
}

void push_text(const char* utf8) {
    SDL_Event e{};
    e.type = SDL_TEXTINPUT;
    SDL_strlcpy(e.text.text, utf8, sizeof e.text.text);
    SDL_PushEvent(&e);
}

std::vector<host::Message> drain(host::Host& h) {
    std::vector<host::Message> out;
    host::Message m;
    while (h.messages.peek_message(m))
        if (m.kind != MessageKind::set_focus && m.kind != MessageKind::kill_focus &&
            m.kind != MessageKind::paint)
            out.push_back(m);
    return out;
}

TEST_F(SdlTest, WindowOpensAtTheRequestedClientSizeAndTakesAScreenshot) {
    host::Host& h = backend->host();
    const auto frame = h.window.frame_metrics();
    ASSERT_TRUE(h.window.create("Zimbalot", 640 + 2 * frame.sizing_frame_width,
                                480 + 2 * frame.sizing_frame_height + frame.caption_height));
    h.window.show(false);
    EXPECT_EQ(h.window.client_width(), 640);
    EXPECT_EQ(h.window.client_height(), 480);
    h.window.fill_rect(host::Rect{0, 0, 640, 480}, host::Rgb{0, 0, 255});
    const auto font = h.window.create_font("Arial", 120, 70, 400);
    EXPECT_NE(font, 0);
    EXPECT_EQ(h.window.font_metrics(font).average_width, 70);
    h.window.draw_text(font, 420, 10, " B ", host::Rgb{0, 0, 0}, host::Rgb{255, 255, 255});
    const std::string shot = testsupport::make_temp_dir("sdl") + "/shot.png";
    ASSERT_TRUE(h.window.save_screenshot(shot));
    EXPECT_GT(std::filesystem::file_size(shot), 1000u);
    SDL_Surface* loaded = SDL_LoadBMP(shot.c_str());  // PNG: not a BMP
    EXPECT_EQ(loaded, nullptr);
}

// The same key table as the headless script: what SDL delivers for a key must
// be what a script step of that key delivers.
TEST_F(SdlTest, SyntheticKeysBecomeTheSameMessagesAsInTheHeadlessBackend) {
    host::Host& h = backend->host();
    ASSERT_TRUE(h.window.create("t", 200, 200));
    drain(h);
    struct Case {
        const char* script;
        SDL_Keycode key;
        Uint16 mod;
        const char* text;
    };
    const Case cases[] = {
        {"a", SDLK_a, 0, "a"},          {"shift+B", SDLK_b, KMOD_LSHIFT, "B"},
        {"ESC", SDLK_ESCAPE, 0, nullptr}, {"ENTER", SDLK_RETURN, 0, nullptr},
        {"F10", SDLK_F10, 0, nullptr},  {"UP", SDLK_UP, 0, nullptr},
        {"ctrl+UP", SDLK_UP, KMOD_LCTRL, nullptr}, {"shift+INSERT", SDLK_INSERT, KMOD_LSHIFT, nullptr},
        {"ctrl+alt+A", SDLK_a, KMOD_LCTRL | KMOD_LALT, nullptr},
        {"alt+LEFT", SDLK_LEFT, KMOD_LALT, nullptr}, {"ctrl+c", SDLK_c, KMOD_LCTRL, nullptr},
        {"ctrl+BACKSPACE", SDLK_BACKSPACE, KMOD_LCTRL, nullptr},
        {"ctrl+BREAK", SDLK_PAUSE, KMOD_LCTRL, nullptr}, {"F5", SDLK_F5, 0, nullptr},
        {"7", SDLK_7, 0, "7"},          {"DELETE", SDLK_DELETE, 0, nullptr},
    };
    for (const Case& c : cases) {
        testsupport::Headless reference(c.script);
        reference.host().messages.wait_message();
        const auto expected = drain(reference.host());

        SDL_SetModState(static_cast<SDL_Keymod>(c.mod));
        push_key(c.key, c.mod, true);
        if (c.text) push_text(c.text);
        push_key(c.key, c.mod, false);
        const auto got = drain(h);
        SDL_SetModState(KMOD_NONE);
        ASSERT_EQ(got.size(), expected.size()) << c.script;
        for (size_t i = 0; i < got.size(); ++i) {
            EXPECT_EQ(got[i].kind, expected[i].kind) << c.script << " #" << i;
            EXPECT_EQ(got[i].virtual_key, expected[i].virtual_key) << c.script << " #" << i;
            EXPECT_EQ(got[i].character, expected[i].character) << c.script << " #" << i;
            EXPECT_EQ(got[i].modifiers.ctrl, expected[i].modifiers.ctrl) << c.script;
            EXPECT_EQ(got[i].modifiers.alt, expected[i].modifiers.alt) << c.script;
            EXPECT_EQ(got[i].modifiers.shift, expected[i].modifiers.shift) << c.script;
            EXPECT_EQ(got[i].system_key, expected[i].system_key) << c.script;
        }
    }
}

}  // namespace
