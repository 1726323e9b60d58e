// Output files: written beside the target under a temporary name, renamed
// only when complete, every failure named with its file and reason.
#include "host/common/output_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>
#include <vector>

#include "host/common/wav_writer.h"
#include "support.h"

namespace {

namespace fs = std::filesystem;
using host::common::OutputFile;

std::string read_text(const std::string& path) {
    const auto bytes = testsupport::read_file(path);
    return std::string(bytes.begin(), bytes.end());
}

size_t entries_in(const std::string& folder) {
    size_t n = 0;
    for ([[maybe_unused]] const auto& e : fs::directory_iterator(folder)) ++n;
    return n;
}

TEST(OutputFile, AbsolutePathsFromTheStartingFolder) {
    struct Case {
        const char* path;
        const char* expected;
    };
    const Case cases[] = {{"x.wav", "/home/u/x.wav"},         {"./x.wav", "/home/u/x.wav"},
                          {"sub/x.wav", "/home/u/sub/x.wav"}, {"../x.wav", "/home/u/../x.wav"},
                          {"/tmp/x.wav", "/tmp/x.wav"},       {"", ""}};
    for (const auto& c : cases)
        EXPECT_EQ(host::common::absolute_path(c.path, "/home/u"), c.expected);
    EXPECT_EQ(host::common::absolute_path("x", "/home/u/"), "/home/u/x");
}

TEST(OutputFile, TheTargetChangesOnlyWhenTheFileIsComplete) {
    const std::string dir = testsupport::make_temp_dir("output");
    const std::string target = dir + "/saida.txt";
    testsupport::write_file(target, "antigo");

    OutputFile file;
    ASSERT_TRUE(file.open(target)) << file.error();
    EXPECT_EQ(fs::path(file.temporary_path()).parent_path(), fs::path(dir));
    EXPECT_TRUE(file.write("novo conteudo"));
    EXPECT_TRUE(file.flush());
    EXPECT_EQ(read_text(target), "antigo");  // still the old file while writing
    ASSERT_TRUE(file.commit()) << file.error();
    EXPECT_EQ(read_text(target), "novo conteudo");
    EXPECT_EQ(entries_in(dir), 1u);  // no temporary file left

    // A run given up leaves the old file and nothing beside it.
    OutputFile dropped;
    ASSERT_TRUE(dropped.open(target));
    dropped.write("pela metade");
    dropped.discard();
    EXPECT_EQ(read_text(target), "novo conteudo");
    EXPECT_EQ(entries_in(dir), 1u);
    {
        OutputFile forgotten;  // destroyed without commit
        ASSERT_TRUE(forgotten.open(dir + "/outro.txt"));
        forgotten.write("x");
    }
    EXPECT_EQ(entries_in(dir), 1u);
}

TEST(OutputFile, UnwritableTargetsAreRefusedWithFileAndReason) {
    const std::string dir = testsupport::make_temp_dir("output");
    fs::create_directory(dir + "/pasta");
    testsupport::write_file(dir + "/arquivo", "x");
    struct Case {
        std::string path;
        const char* reason;
    };
    const std::vector<Case> cases = {
        {dir + "/nao/existe/x.wav", "a pasta nao existe"},
        {dir + "/pasta", "ha uma pasta com esse nome"},
        {dir + "/arquivo/x.wav", "parte do caminho nao e uma pasta"},
        {dir + "/pasta/", "falta o nome do arquivo"},
    };
    for (const auto& c : cases) {
        OutputFile file;
        EXPECT_FALSE(file.open(c.path)) << c.path;
        EXPECT_EQ(file.error(), c.path + ": " + c.reason);
        std::string error;
        EXPECT_FALSE(host::common::check_output(c.path, &error));
        EXPECT_EQ(error, file.error());
    }
    EXPECT_EQ(entries_in(dir), 2u);
    if (fs::exists("/proc/self")) {
        OutputFile file;
        EXPECT_FALSE(file.open("/proc/x"));
        EXPECT_NE(file.error().find("/proc/x: "), std::string::npos);
    }
    std::string error;
    EXPECT_TRUE(host::common::check_output(dir + "/novo.txt", &error)) << error;
    EXPECT_EQ(entries_in(dir), 2u);  // the probe leaves nothing
}

TEST(OutputFile, AFullDeviceIsWrittenInPlaceAndItsFailureCaught) {
    SKIP_ON_WINDOWS("no /dev/full on Windows");
    if (!fs::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
    OutputFile file;
    ASSERT_TRUE(file.open("/dev/full"));
    EXPECT_TRUE(file.temporary_path().empty());  // never renamed over a device
    const std::string block(100000, 'x');
    file.write(block);
    EXPECT_FALSE(file.commit());
    EXPECT_EQ(file.error(), "/dev/full: nao ha espaco no disco");
    struct stat st;
    ASSERT_EQ(::stat("/dev/full", &st), 0);
    EXPECT_TRUE(S_ISCHR(st.st_mode));
}

uint32_t u32(const std::vector<uint8_t>& b, size_t at) {
    return uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 |
           uint32_t(b[at + 3]) << 24;
}

TEST(WavFileWriter, StreamsSamplesAndCompletesTheHeader) {
    const std::string dir = testsupport::make_temp_dir("wav");
    host::common::WavFileWriter wav;
    ASSERT_TRUE(wav.open(dir + "/a.wav"));
    wav.set_format(host::PcmFormat{16000, 16, 1});
    const std::vector<uint8_t> block(1001, 7);
    for (int i = 0; i < 3; ++i) ASSERT_TRUE(wav.append(block.data(), block.size()));
    ASSERT_TRUE(wav.finish(true)) << wav.error();
    const auto bytes = testsupport::read_file(dir + "/a.wav");
    ASSERT_EQ(bytes.size(), 44u + 3003u);
    EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 4), "RIFF");
    EXPECT_EQ(u32(bytes, 4), 36u + 3003u);
    EXPECT_EQ(u32(bytes, 24), 16000u);
    EXPECT_EQ(u32(bytes, 28), 32000u);
    EXPECT_EQ(bytes[34], 16);
    EXPECT_EQ(u32(bytes, 40), 3003u);
    EXPECT_EQ(bytes.back(), 7);

    // Nothing to write: no 44-byte file, and the reason told.
    host::common::WavFileWriter empty;
    ASSERT_TRUE(empty.open(dir + "/e.wav"));
    EXPECT_FALSE(empty.finish(true));
    EXPECT_EQ(empty.error(), dir + "/e.wav: nada para gravar (o texto nao deu som)");
    EXPECT_FALSE(fs::exists(dir + "/e.wav"));
    EXPECT_EQ(entries_in(dir), 1u);
}

}  // namespace
