// Window messages in the program's terms: what a Windows window procedure would
// receive, with the modifier state captured when the message was generated.
#pragma once
#include <cstdint>

#include "host/types.h"

namespace host {

// Windows virtual-key codes used by the keyboard logic.
namespace vk {
constexpr uint16_t cancel = 3;  // Ctrl+Break
constexpr uint16_t back = 8;
constexpr uint16_t tab = 9;
constexpr uint16_t enter = 13;
constexpr uint16_t shift = 16;
constexpr uint16_t control = 17;
constexpr uint16_t menu = 18;  // Alt
constexpr uint16_t pause = 19;
constexpr uint16_t escape = 27;
constexpr uint16_t space = 32;
constexpr uint16_t prior = 33;  // Page Up
constexpr uint16_t next = 34;   // Page Down
constexpr uint16_t end = 35;
constexpr uint16_t home = 36;
constexpr uint16_t left = 37;
constexpr uint16_t up = 38;
constexpr uint16_t right = 39;
constexpr uint16_t down = 40;
constexpr uint16_t insert = 45;
constexpr uint16_t del = 46;
constexpr uint16_t digit0 = 48;  // '0'..'9' are 48..57
constexpr uint16_t key_a = 65;   // 'A'..'Z' are 65..90
constexpr uint16_t f1 = 112;     // F1..F12 are 112..123
constexpr uint16_t f10 = 121;
constexpr uint16_t f11 = 122;
constexpr uint16_t f12 = 123;
}  // namespace vk

// Posted wake-up messages (WM_USER + 99 and WM_USER + 1956).
constexpr uint32_t wake_stop_speech = 1123;
constexpr uint32_t wake_engine = 2980;

enum class MessageKind : uint8_t {
    key_down,     // virtual_key, modifiers, system_key
    key_up,       // virtual_key, modifiers, system_key
    character,    // character (one Windows-1252 byte), modifiers
    set_focus,
    kill_focus,
    paint,        // rect: the part of the client area to repaint
    close,        // the user asked to close the window
    quit,         // the thread's quit message
    right_down,   // x, y in client coordinates
    right_up,     // x, y
    mouse_move,   // x, y
    wave_done,    // block_id: a wave-out block finished playing
    user,         // user_id: a posted message such as wake_stop_speech
};

struct Message {
    MessageKind kind = MessageKind::user;
    uint16_t virtual_key = 0;
    uint8_t character = 0;
    Modifiers modifiers{};
    // True for what Windows reports as WM_SYSKEYDOWN / WM_SYSKEYUP: F10, and any
    // key pressed while Alt is held without Ctrl.
    bool system_key = false;
    int x = 0;
    int y = 0;
    Rect rect{};
    uint32_t user_id = 0;
    uint32_t block_id = 0;
};

// The thread's message queue.
class MessageQueue {
public:
    virtual ~MessageQueue() = default;

    // Removes the oldest pending message into `out` and returns true, or returns
    // false at once when none is pending. Never blocks; must stay cheap (it is
    // polled in tight loops), so it allocates nothing when the queue is empty.
    virtual bool peek_message(Message& out) = 0;

    // Blocks until at least one message is pending (WaitMessage). Returns at once
    // if one already is. The headless backend advances its virtual clock to the
    // next scheduled event instead of sleeping, and may end the process there when
    // its script is used up (trace "script-end", exit code 3).
    virtual void wait_message() = 0;

    // Appends a message (user wake-ups, quit) to the queue. Never blocks.
    virtual void post_message(const Message& message) = 0;

    // GetKeyState-like query of Ctrl, Alt and Shift right now.
    virtual Modifiers key_state() const = 0;
};

}  // namespace host
