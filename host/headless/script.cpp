#include "host/headless/script.h"

#include <cctype>
#include <charconv>
#include <optional>

#include "host/text.h"

namespace host::headless {
namespace {

std::string upper(std::string_view s) {
    std::string out(s);
    for (char& c : out) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return out;
}

struct KeyName {
    const char* name;
    uint16_t vk;
    uint8_t character;  // character without modifiers, 0 = none
};

constexpr KeyName named_keys[] = {
    {"ESC", vk::escape, 27},    {"ESCAPE", vk::escape, 27}, {"ENTER", vk::enter, 13},
    {"RETURN", vk::enter, 13},  {"SPACE", vk::space, 32},   {"TAB", vk::tab, 9},
    {"BACKSPACE", vk::back, 8}, {"BS", vk::back, 8},        {"UP", vk::up, 0},
    {"DOWN", vk::down, 0},      {"LEFT", vk::left, 0},      {"RIGHT", vk::right, 0},
    {"HOME", vk::home, 0},      {"END", vk::end, 0},        {"PGUP", vk::prior, 0},
    {"PGDN", vk::next, 0},      {"INSERT", vk::insert, 0},  {"INS", vk::insert, 0},
    {"DELETE", vk::del, 0},     {"DEL", vk::del, 0},        {"BREAK", vk::cancel, 0},
    {"PAUSE", vk::pause, 0},
};

// US layout: virtual key and shifted character of the punctuation keys.
struct Punctuation {
    char plain;
    char shifted;
    uint16_t vk;
};
constexpr Punctuation punctuation_keys[] = {
    {'-', '_', 189}, {'=', '+', 187},  {'[', '{', 219}, {']', '}', 221},
    {';', ':', 186}, {'\'', '"', 222}, {'`', '~', 192}, {'\\', '|', 220},
    {',', '<', 188}, {'.', '>', 190},  {'/', '?', 191},
};
constexpr char shifted_digits[] = ")!@#$%^&*(";

// Virtual key and whether Shift is needed to type a Windows-1252 byte.
void key_for_character(uint8_t c, uint16_t& vk_out, bool& shift) {
    shift = false;
    vk_out = 0;
    if (c >= 'a' && c <= 'z') {
        vk_out = static_cast<uint16_t>(c - 'a' + vk::key_a);
    } else if (c >= 'A' && c <= 'Z') {
        vk_out = c;
        shift = true;
    } else if (c >= '0' && c <= '9') {
        vk_out = c;
    } else if (c == ' ') {
        vk_out = vk::space;
    } else if (c == '*') {
        vk_out = 106;  // the keypad's multiply key, as a child would press it
    } else if (c == 13 || c == 10) {
        vk_out = vk::enter;
    } else if (c == 9) {
        vk_out = vk::tab;
    } else {
        for (int d = 0; d < 10; ++d)
            if (shifted_digits[d] == c) {
                vk_out = static_cast<uint16_t>('0' + d);
                shift = true;
                return;
            }
        for (const auto& p : punctuation_keys) {
            if (p.plain == static_cast<char>(c)) vk_out = p.vk;
            if (p.shifted == static_cast<char>(c)) {
                vk_out = p.vk;
                shift = true;
            }
        }
    }
}

Message key_message(MessageKind kind, uint16_t virtual_key, Modifiers mods) {
    Message m;
    m.kind = kind;
    m.virtual_key = virtual_key;
    m.modifiers = mods;
    m.system_key = virtual_key == vk::f10 || (mods.alt && !mods.ctrl);
    return m;
}

Message char_message(uint8_t c, Modifiers mods) {
    Message m;
    m.kind = MessageKind::character;
    m.character = c;
    m.modifiers = mods;
    return m;
}

// What TranslateMessage would send for a key down: the plain character, or
// the Ctrl code, and nothing for system keys or keys without a character.
std::optional<uint8_t> translated_character(uint16_t virtual_key, uint8_t plain, Modifiers mods) {
    if (mods.alt) return std::nullopt;
    if (mods.ctrl) {
        if (virtual_key >= vk::key_a && virtual_key <= vk::key_a + 25)
            return static_cast<uint8_t>(virtual_key - vk::key_a + 1);
        if (plain == 8 || plain == 13 || plain == 27) return plain;
        return std::nullopt;
    }
    if (plain == 0) return std::nullopt;
    return plain;
}

struct ParsedKey {
    uint16_t virtual_key = 0;
    uint8_t plain = 0;  // character typed without Ctrl/Alt
    Modifiers mods;
};

bool parse_key(std::string_view token, ParsedKey& key) {
    Modifiers mods;
    for (;;) {
        const std::string head = upper(token.substr(0, token.find('+')));
        if (token.size() > 1 && token.find('+') != std::string_view::npos &&
            token.find('+') + 1 < token.size() &&
            (head == "CTRL" || head == "ALT" || head == "SHIFT")) {
            if (head == "CTRL") mods.ctrl = true;
            if (head == "ALT") mods.alt = true;
            if (head == "SHIFT") mods.shift = true;
            token.remove_prefix(token.find('+') + 1);
            continue;
        }
        break;
    }
    const std::string name = upper(token);
    key.mods = mods;
    if (token.size() == 1) {
        const uint8_t c = static_cast<uint8_t>(token[0]);
        if (std::isalpha(c)) {
            key.virtual_key = static_cast<uint16_t>(std::toupper(c));
            key.plain = static_cast<uint8_t>(mods.shift ? std::toupper(c) : std::tolower(c));
            return true;
        }
        if (std::isdigit(c)) {
            key.virtual_key = c;
            key.plain = mods.shift ? static_cast<uint8_t>(shifted_digits[c - '0']) : c;
            return true;
        }
        if (c > 32 && c < 127) {
            bool shift = false;
            key_for_character(c, key.virtual_key, shift);
            key.plain = c;
            if (shift) key.mods.shift = true;
            return true;
        }
        return false;
    }
    if (name.size() >= 2 && name[0] == 'F' && std::isdigit(static_cast<unsigned char>(name[1]))) {
        int n = 0;
        auto [ptr, ec] = std::from_chars(name.data() + 1, name.data() + name.size(), n);
        if (ec != std::errc() || ptr != name.data() + name.size() || n < 1 || n > 12) return false;
        key.virtual_key = static_cast<uint16_t>(vk::f1 + n - 1);
        return true;
    }
    for (const auto& k : named_keys) {
        if (name == k.name) {
            key.virtual_key = k.vk;
            key.plain = k.character;
            return true;
        }
    }
    return false;
}

void add_press(std::vector<Message>& out, const ParsedKey& key, bool down, bool up) {
    if (down) {
        out.push_back(key_message(MessageKind::key_down, key.virtual_key, key.mods));
        if (auto c = translated_character(key.virtual_key, key.plain, key.mods))
            out.push_back(char_message(*c, key.mods));
    }
    if (up) out.push_back(key_message(MessageKind::key_up, key.virtual_key, key.mods));
}

// Splits the script into tokens; a double-quoted string is one token
// (backslash escapes \" and \\).
bool tokenize(std::string_view text, std::vector<std::string>& tokens, std::string* error) {
    size_t i = 0;
    while (i < text.size()) {
        const char c = text[i];
        if (c == '#') {
            while (i < text.size() && text[i] != '\n') ++i;
            continue;
        }
        if (std::isspace(static_cast<unsigned char>(c))) {
            ++i;
            continue;
        }
        std::string token;
        if (c == '"') {
            token.push_back('"');
            ++i;
            bool closed = false;
            while (i < text.size()) {
                if (text[i] == '\\' && i + 1 < text.size()) {
                    token.push_back(text[i + 1]);
                    i += 2;
                    continue;
                }
                if (text[i] == '"') {
                    closed = true;
                    ++i;
                    break;
                }
                token.push_back(text[i++]);
            }
            if (!closed) {
                if (error) *error = "unterminated quoted text in script";
                return false;
            }
        } else {
            while (i < text.size() && !std::isspace(static_cast<unsigned char>(text[i])))
                token.push_back(text[i++]);
        }
        tokens.push_back(std::move(token));
    }
    return true;
}

bool parse_int(const std::string& s, int64_t& value) {
    auto [ptr, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
    return ec == std::errc() && ptr == s.data() + s.size();
}

}  // namespace

bool parse_script(std::string_view steps, std::vector<Step>& out, std::string* error) {
    std::vector<std::string> tokens;
    if (!tokenize(steps, tokens, error)) return false;
    std::vector<Step> parsed;
    const auto fail = [&](const std::string& what) {
        if (error) *error = "bad script step: " + what;
        return false;
    };
    const auto parse_inner = [&](size_t& i, Step& step) -> bool {
        const std::string& t = tokens[i];
        const std::string word = upper(t);
        step.text = t;
        const auto need = [&](size_t count) { return i + count < tokens.size(); };
        if (word == "WAIT") {
            int64_t ms = 0;
            if (!need(1) || !parse_int(tokens[i + 1], ms) || ms < 0 || ms > 100000000)
                return fail("wait needs a number of milliseconds");
            step.kind = Step::Kind::wait;
            step.wait_ms = static_cast<uint32_t>(ms);
            ++i;
        } else if (word == "TYPE") {
            if (!need(1) || tokens[i + 1].empty() || tokens[i + 1][0] != '"')
                return fail("type needs a quoted text");
            const std::string bytes = utf8_to_cp1252(std::string_view(tokens[i + 1]).substr(1));
            for (unsigned char c : bytes) {
                ParsedKey key;
                bool shift = false;
                key_for_character(c, key.virtual_key, shift);
                key.mods.shift = shift;
                key.plain = c == 10 ? 13 : c;
                add_press(step.messages, key, true, true);
            }
            ++i;
        } else if (t == "down" || t == "up") {
            // Lower-case down/up press or release a key; upper-case UP and
            // DOWN are the arrow keys.
            ParsedKey key;
            if (!need(1) || !parse_key(tokens[i + 1], key)) return fail(t + " needs a key");
            add_press(step.messages, key, t == "down", t == "up");
            ++i;
        } else if (word == "RDOWN" || word == "MOVE") {
            int64_t x = 0;
            int64_t y = 0;
            if (!need(2) || !parse_int(tokens[i + 1], x) || !parse_int(tokens[i + 2], y))
                return fail(t + " needs x and y");
            Message m;
            m.kind = word == "RDOWN" ? MessageKind::right_down : MessageKind::mouse_move;
            m.x = static_cast<int>(x);
            m.y = static_cast<int>(y);
            step.messages.push_back(m);
            i += 2;
        } else if (word == "RUP") {
            Message m;
            m.kind = MessageKind::right_up;
            m.x = -1;  // at the last mouse position
            step.messages.push_back(m);
        } else if (word == "CLOSE" || word == "QUIT" || word == "FOCUS" || word == "BLUR") {
            Message m;
            m.kind = word == "CLOSE"   ? MessageKind::close
                     : word == "QUIT"  ? MessageKind::quit
                     : word == "FOCUS" ? MessageKind::set_focus
                                       : MessageKind::kill_focus;
            step.messages.push_back(m);
        } else if (word == "SHOT") {
            if (!need(1)) return fail("shot needs a file name");
            step.kind = Step::Kind::screenshot;
            step.path = tokens[i + 1];
            ++i;
        } else {
            ParsedKey key;
            if (!parse_key(t, key)) return fail("unknown key or step \"" + t + "\"");
            add_press(step.messages, key, true, true);
        }
        return true;
    };
    // One step from tokens[i] on; i is left on its last token.
    const auto parse_step = [&](size_t& i, Step& step) -> bool {
        if (upper(tokens[i]) != "AT") return parse_inner(i, step);
        int64_t ms = 0;
        if (i + 2 >= tokens.size() || !parse_int(tokens[i + 1], ms) || ms < 0 || ms > 100000000000)
            return fail("at needs a virtual time in milliseconds and a step");
        const std::string inner = upper(tokens[i + 2]);
        if (inner == "AT" || inner == "WAIT") return fail("at needs a key or another event step");
        const std::string text = "at " + tokens[i + 1] + " " + tokens[i + 2];
        i += 2;
        if (!parse_inner(i, step)) return false;
        step.text = text;
        step.timed = true;
        step.at_ms = static_cast<uint64_t>(ms);
        return true;
    };
    for (size_t i = 0; i < tokens.size(); ++i) {
        Step step;
        if (!parse_step(i, step)) return false;
        parsed.push_back(std::move(step));
    }
    for (auto& s : parsed) out.push_back(std::move(s));
    return true;
}

}  // namespace host::headless
