// Keys pressed while a synchronous sound plays wait in the queue and are then
// thrown away by the main loop's queue-emptying steps (after "f2" and after
// "plin"); a key pressed just after them counts. `at N` presses a key at a
// fixed virtual time whatever the program is doing.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "fixture.h"

namespace {

using apptest::run_program;
using Lines = std::vector<std::string>;

bool has_event(const Lines& lines, std::string_view event) {
    return std::any_of(lines.begin(), lines.end(), [&](const std::string& line) {
        const size_t space = line.find(' ');
        return space != std::string::npos && line.compare(space + 1, std::string::npos, event) == 0;
    });
}

TEST(QueueEmptying, AKeyDuringF2IsDiscardedAndIntro2PlaysToItsEnd) {
    // "f2" plays from 200 to 300 ms, then "intro2" on the wave-out device.
    struct Case {
        uint64_t press_ms;
        bool counts;
    };
    for (const Case c : {Case{250, false}, Case{350, true}}) {
        const auto run = run_program("at " + std::to_string(c.press_ms) +
                                     " B wait 3000 ESC wait 4000 ENTER wait 4000 ENTER");
        SCOPED_TRACE(c.press_ms);
        const auto has = [&](const std::string& line) {
            return std::find(run.all.begin(), run.all.end(), line) != run.all.end();
        };
        // A discarded key is read by the emptying at the end of "f2"; one that
        // counts cuts "intro2" short and opens the box.
        EXPECT_EQ(has("300 key 98"), !c.counts);
        EXPECT_EQ(has("1300 wave-close"), !c.counts);
        EXPECT_EQ(has("350 wave-stop"), c.counts);
        EXPECT_EQ(has("350 picture caixa"), c.counts);
    }
}

TEST(QueueEmptying, AKeyDuringPlinIsDiscardedAndTheLetterNotShown) {
    apptest::Expect e;
    e.introduction(2000).box_game_opened_at_once();
    const uint64_t plin_ms = e.now();  // "sopaletr", then "plin" for 100 ms
    struct Case {
        uint64_t press_ms;
        bool counts;
    };
    for (const Case c : {Case{plin_ms + 50, false}, Case{plin_ms + 150, true}}) {
        const auto run = run_program("wait 2000 SPACE SPACE at " + std::to_string(c.press_ms) +
                                     " B wait 3000 ESC wait 4000 ENTER");
        SCOPED_TRACE(c.press_ms);
        EXPECT_TRUE(has_event(run.trace, "picture sopaletr"));
        EXPECT_EQ(has_event(run.trace, "bigchar B"), c.counts);
        EXPECT_EQ(has_event(run.trace, "picture B"), c.counts);
        EXPECT_EQ(run.exit_code, 0);
    }
}

}  // namespace
