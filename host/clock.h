// Time and waiting. Nothing outside the host reads the system clock.
#pragma once
#include <cstdint>

namespace host {

class Clock {
public:
    virtual ~Clock() = default;

    // Milliseconds since the backend started (virtual in the headless backend).
    virtual uint64_t now_ms() const = 0;

    // Sleeps the given time without pumping messages (Sleep). The headless
    // backend advances its virtual clock and delivers scripted input that falls
    // due meanwhile into the message queue; it may end the process when the
    // script is used up and the program only idles (trace "script-end", exit 3).
    virtual void sleep_ms(uint32_t milliseconds) = 0;

    // Seed for the program's random generator: the clock on a real desktop,
    // the value of --seed in the headless backend.
    virtual uint32_t random_seed() const = 0;
};

}  // namespace host
