// The program's random generator: a 32-bit linear congruential generator with
// the classic multiplier 0x08088405, so a seed always gives the same sequence.
#pragma once
#include <cstdint>

namespace host {

class Random {
public:
    explicit Random(uint32_t seed = 0) : state_(seed) {}
    void seed(uint32_t seed) { state_ = seed; }
    // Uniform integer 0 .. range-1 (0 when range is 0).
    uint32_t next(uint32_t range) {
        state_ = state_ * 0x08088405u + 1u;
        return static_cast<uint32_t>((static_cast<uint64_t>(state_) * range) >> 32);
    }

private:
    uint32_t state_;
};

}  // namespace host
