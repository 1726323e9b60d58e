// A whole game over the generated default data set.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "app/context.h"
#include "app/zimbalot.h"
#include "support.h"

namespace {

TEST(DataSet, AWholeGameEndsWithExitCodeZero) {
    const std::string ini = testsupport::data_set_path("KORALU.INI");
    if (!std::filesystem::exists(ini)) GTEST_SKIP() << "no generated data set at " << ini;
    const auto saved = std::filesystem::current_path();
    // Introduction cut short, the box opened, eleven letters and a twelfth that
    // starts the vowel game, every vowel in the hunt, a number, and ESC.
    testsupport::Headless headless(
        "SPACE SPACE B C D G H J K L M N P Q A E I O U 3 wait 30000 ESC wait 20000 ENTER", 5);
    std::filesystem::copy_file(ini, headless.windows_dir + "/KORALU.INI");
    app::Context context(headless.host(), "zimbalot");
    int code = -1;
    try {
        app::run_zimbalot(context);
    } catch (const host::headless::ProcessExit& exit) {
        code = exit.code;
    }
    std::filesystem::current_path(saved);
    EXPECT_EQ(code, 0);
    const auto events = headless.backend->events();
    const auto seen = [&](const std::string& event) {
        return std::find(events.begin(), events.end(), event) != events.end();
    };
    for (const char* event :
         {"picture capa", "picture caixaber", "bigchar B", "bigchar P", "picture interrog",
          "picture aplauso", "bigchar 3", "sound aeioufim.wav", "exit 0"})
        EXPECT_TRUE(seen(event)) << event;
    EXPECT_FALSE(seen("sound saidessa.wav"));
}

}  // namespace
