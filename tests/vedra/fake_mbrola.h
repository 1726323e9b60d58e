// A recording stand-in for the MBROLA library: the 23 entry points behind
// the engine's function table, each call written to a log. Every written
// line makes `samples_per_line` samples readable (sample values count up
// from 1, so a test can see where each sample went).
#pragma once
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "vedra/engine.h"

namespace vedratest {

struct FakeMbrola {
    std::vector<std::string> calls;  // "write_MBR a 100\r\n", "read_MBR 16000", ...
    bool library_present = true;
    int init_result = 0;
    int samples_per_line = 100;
    // Lines starting with one of these prefixes make that many samples instead.
    std::vector<std::pair<std::string, int>> samples_for;
    // Samples made readable by flush_MBR.
    int samples_on_flush = 0;
    // A write_MBR of a line that starts with this text raises the error.
    std::string error_line;
    // read_MBR answers this (once) instead of samples: a fault inside the read.
    bool fault_on_next_read = false;
    // read_MBR claims more samples than asked for (a misbehaving library).
    bool overreport = false;
    std::string voice_path;  // what the registry holds for the voice ("" = none)
    bool registry_empty_string = false;

    int last_error = 0;
    int pending = 0;
    int16_t next_sample = 1;
    int loads = 0;
    int unloads = 0;

    std::vector<std::string> calls_named(const std::string& prefix) const;
};

// The one fake all entry points talk to; reset for every test.
FakeMbrola& fake_mbrola();
void reset_fake_mbrola();

class FakeLibrary : public vedra::MbrolaLibrary {
public:
    bool load_mbrola() override;
    void unload_mbrola() override;
    const vedra::MbrolaApi& api() const override { return api_; }
    void find_voice_database(std::string& voice) override;

private:
    vedra::MbrolaApi api_{};
};

}  // namespace vedratest
