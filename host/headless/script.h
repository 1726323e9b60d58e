// The headless input script: parsing steps into the messages each delivers.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "host/messages.h"

namespace host::headless {

struct Step {
    enum class Kind { messages, wait, screenshot };
    Kind kind = Kind::messages;
    std::vector<Message> messages;  // delivered together
    uint32_t wait_ms = 0;
    std::string path;  // screenshot
    std::string text;  // the step as written, for errors
};

// Parses `steps`; on failure returns false and sets `error` to a message
// naming the bad step.
bool parse_script(std::string_view steps, std::vector<Step>& out, std::string* error);

}  // namespace host::headless
