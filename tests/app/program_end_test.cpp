// However the program ends while the wave-out device plays, the device is
// stopped and closed before the process ends.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fixture.h"

namespace {

// The wave-out lines and the exit line of a run, in order.
std::vector<std::string> device_and_exit(const std::vector<std::string>& all) {
    std::vector<std::string> out;
    for (const std::string& line : all) {
        const std::string word = line.substr(line.find(' ') + 1);
        for (const char* kept : {"wave-open", "wave-stop", "wave-close", "exit"})
            if (word.rfind(kept, 0) == 0) out.push_back(line);
    }
    return out;
}

TEST(ProgramEnd, TheWaveOutDeviceIsClosedOnEveryWayOut) {
    // The introduction's second part plays through the wave-out device from
    // 300 ms to 1300 ms; the step comes at 600 ms.
    const struct {
        const char* step;
        int code;
    } cases[] = {{"close", 0}, {"quit", 255}, {"ctrl+BREAK", 255}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.step);
        const auto run = apptest::run_program(std::string("wait 600 ") + c.step);
        EXPECT_EQ(run.exit_code, c.code);
        const std::vector<std::string> expected = {"300 wave-open 8000 8 1", "600 wave-stop",
                                                   "600 wave-close",
                                                   "600 exit " + std::to_string(c.code)};
        EXPECT_EQ(device_and_exit(run.all), expected);
    }
}

}  // namespace
