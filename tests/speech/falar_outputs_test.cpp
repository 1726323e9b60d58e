// falar's outputs: the WAV file of -w and the printed lines, named from the
// folder it was started in, never left half written, every failure told on
// one line that names falar, and memory that does not grow with the text.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "process.h"
#include "speech_fixture.h"
#include "support.h"

namespace {

namespace fs = std::filesystem;
using testsupport::shell_quoted;

struct FalarOutputs : ::testing::Test {
    std::string program = testsupport::binary_path("app/falar");
    std::string dir = testsupport::make_temp_dir("falar");
    std::string windows = dir + "/windows";
    std::string here = dir + "/aqui";
    speechtest::Fixture fixture{dir + "/familia"};

    void SetUp() override {
        if (!fs::exists(program)) GTEST_SKIP() << "falar is not built";
        fixture.write_data();
        speechtest::Fixture::write_ini(windows + "/KORALU.INI", fixture.ini());
        fs::create_directories(here + "/pasta");
    }

    testsupport::Outcome run(const std::string& arguments, const std::string& environment = "") {
        return testsupport::run_command(environment + " " + shell_quoted(program) + " --config " +
                                            shell_quoted(windows) + " " + arguments,
                                        here);
    }

    size_t entries_here() const {
        size_t n = 0;
        for ([[maybe_unused]] const auto& e : fs::directory_iterator(here)) ++n;
        return n;
    }
};

TEST_F(FalarOutputs, TheWaveFileLandsInTheStartingFolder) {
    const auto r = run("-w fala.wav 'bom dia'");
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_GT(fs::file_size(here + "/fala.wav"), 44u);
    EXPECT_EQ(entries_here(), 2u);  // the file and the folder, nothing beside
}

TEST_F(FalarOutputs, FailuresAreToldOnceAndLeaveNothing) {
    testsupport::write_file(here + "/antigo.wav", "antigo");
    struct Case {
        std::string arguments;
        std::string line;
    };
    std::vector<Case> cases = {
        {"-w nada/x.wav oi",
         "falar: nao consigo gravar " + here + "/nada/x.wav: a pasta nao existe"},
        {"-w pasta oi", "falar: nao consigo gravar " + here + "/pasta: ha uma pasta com esse nome"},
        {"--phonemes --trace nada/t.txt oi",
         "falar: nao consigo gravar " + here + "/nada/t.txt: a pasta nao existe"},
        // No sound at all: no 44-byte file, and the old file kept.
        {"-w antigo.wav ' '", "falar: nao consigo gravar " + here +
                                  "/antigo.wav: nada para gravar (o texto nao deu som)"},
    };
    if (fs::exists("/dev/full")) {
        cases.push_back(
            {"-w /dev/full oi", "falar: nao consigo gravar /dev/full: nao ha espaco no disco"});
        cases.push_back({"--phonemes oi >/dev/full",
                         "falar: nao consigo gravar a saida padrao: nao ha espaco no disco"});
    }
    if (fs::exists("/proc/self"))
        cases.push_back(
            {"-w /proc/x oi", "falar: nao consigo gravar /proc/x: sem permissao para gravar"});
    for (const auto& c : cases) {
        const auto r = run(c.arguments);
        EXPECT_EQ(r.code, 4) << c.arguments;
        EXPECT_EQ(testsupport::program_lines(r.err, "falar"), c.line + "\n") << c.arguments;
    }
    EXPECT_EQ(entries_here(), 2u);
    const auto kept = testsupport::read_file(here + "/antigo.wav");
    EXPECT_EQ(std::string(kept.begin(), kept.end()), "antigo");
}

TEST_F(FalarOutputs, SpeakingWithoutASoundDeviceEndsWithThree) {
    const auto r = run("--trace registro.txt oi", "SDL_AUDIODRIVER=nenhum");
    EXPECT_EQ(r.code, 3);
    const auto trace = testsupport::read_file(here + "/registro.txt");
    EXPECT_NE(std::string(trace.begin(), trace.end()).find(" audio-none "), std::string::npos);
    EXPECT_NE(r.err.find("falar: sem dispositivo de som"), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find("zimbalot"), std::string::npos) << r.err;
    // Writing a file needs no device.
    EXPECT_EQ(run("-w fala.wav oi", "SDL_AUDIODRIVER=nenhum").code, 0);
}

}  // namespace

namespace {

// Peak memory of `falar` over 20,000 and 200,000 characters of text: the
// samples and the trace stream to their files, so the peak stays put.
TEST_F(FalarOutputs, PeakMemoryDoesNotGrowWithTheText) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "a sanitizer build keeps freed memory aside";
#endif
    const std::string sentence = "Bom dia, amigo! A casa tem 25 janelas. ";
    std::string small, large;
    while (small.size() < 20000) small += sentence;
    while (large.size() < 200000) large += sentence;
    testsupport::write_file(dir + "/pequeno.txt", small);
    testsupport::write_file(dir + "/grande.txt", large);
    for (const std::string mode : {"-w fala.wav --trace registro.txt", "--phonemes"}) {
        // From a file: a long text on the command line also sits in the
        // process's arguments, which are the system's, not falar's.
        const auto a = run(mode + " -f " + shell_quoted(dir + "/pequeno.txt") + " >/dev/null");
        const auto b = run(mode + " -f " + shell_quoted(dir + "/grande.txt") + " >/dev/null");
        ASSERT_EQ(a.code, 0) << a.err;
        ASSERT_EQ(b.code, 0) << b.err;
        EXPECT_LE(b.peak_rss_kb, 25 * 1024) << mode;
        EXPECT_LE(double(b.peak_rss_kb), 1.10 * double(a.peak_rss_kb))
            << mode << ": " << a.peak_rss_kb << " KB then " << b.peak_rss_kb << " KB";
    }
}

}  // namespace
