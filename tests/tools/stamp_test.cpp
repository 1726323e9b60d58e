// A data-set part's stamp lists what the part wrote, so that a build finds
// the outputs that were removed or changed and runs the part again.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "support.h"

namespace {

namespace fs = std::filesystem;

// Runs make_dataset with the arguments; returns its exit status and output.
int make_dataset(const std::string& arguments, std::string* output = nullptr) {
    const std::string command = std::string(ZIMBALOT_MAKE_DATASET) + " " + arguments + " 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return -1;
    char buffer[512];
    std::string text;
    while (fgets(buffer, sizeof buffer, pipe)) text += buffer;
    if (output) *output = text;
    return pclose(pipe);
}

TEST(DataSetStamp, AMissingOrChangedOutputTouchesThePartsTrigger) {
    const std::string root = testsupport::make_temp_dir("stamp");
    const std::string out = root + "/koralu";
    const std::string stamps = root + "/stamps";
    fs::create_directories(stamps);
    const std::string data = testsupport::source_path("data");
    ASSERT_EQ(make_dataset("figuras " + data + " " + out + " " + ZIMBALOT_DATASET_FONT +
                           " --stamp " + stamps + "/figuras.stamp"),
              0);
    std::ifstream stamp(stamps + "/figuras.stamp");
    std::string first;
    ASSERT_TRUE(std::getline(stamp, first));
    EXPECT_NE(first.find(" zimbalot/"), std::string::npos) << first;

    const fs::path trigger = stamps + "/figuras.trigger";
    const std::string verify = "verify " + stamps + " " + out + " figuras";
    ASSERT_EQ(make_dataset(verify), 0);
    ASSERT_TRUE(fs::exists(trigger));  // made when missing
    auto last = fs::last_write_time(trigger);

    struct Case {
        const char* what;
        void (*spoil)(const fs::path& picture);
        bool touched;
    };
    const Case cases[] = {
        {"nothing changed", [](const fs::path&) {}, false},
        {"a picture removed", [](const fs::path& p) { fs::remove(p); }, true},
        {"a picture overwritten",
         [](const fs::path& p) { std::ofstream(p, std::ios::binary) << "PNG, not PCX"; }, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        // Every case starts from a freshly made part.
        ASSERT_EQ(make_dataset("figuras " + data + " " + out + " " + ZIMBALOT_DATASET_FONT +
                               " --stamp " + stamps + "/figuras.stamp"),
                  0);
        const fs::path picture = out + "/zimbalot/capa.PCX";
        ASSERT_TRUE(fs::exists(picture));
        c.spoil(picture);
        fs::last_write_time(trigger, last - std::chrono::seconds(10));
        last = fs::last_write_time(trigger);
        std::string said;
        ASSERT_EQ(make_dataset(verify, &said), 0);
        EXPECT_EQ(fs::last_write_time(trigger) != last, c.touched) << said;
        EXPECT_EQ(said.find("capa.PCX") != std::string::npos, c.touched) << said;
    }
}

}  // namespace
