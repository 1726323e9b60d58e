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
    // `at N STEP`: delivered at virtual time N whatever the program is
    // doing, outside the order of the other steps.
    bool timed = false;
    uint64_t at_ms = 0;
};

// Parses `steps`; on failure returns false and sets `error` to a message
// naming the bad step.
bool parse_script(std::string_view steps, std::vector<Step>& out, std::string* error);

}  // namespace host::headless
