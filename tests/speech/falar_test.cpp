// The falar tool, run as a program on the small family folder.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>

#include "speech_fixture.h"
#include "support.h"

namespace {

struct Outcome {
    int code = -1;
    std::string out;
    std::string err;
};

struct FalarTest : ::testing::Test {
    std::string program = testsupport::binary_path("app/falar");
    std::string dir = testsupport::make_temp_dir("falar");
    std::string windows = dir + "/windows";
    speechtest::Fixture fixture{dir + "/familia"};

    void SetUp() override {
        if (!std::filesystem::exists(program)) GTEST_SKIP() << "falar is not built";
        fixture.write_data();
        speechtest::Fixture::write_ini(windows + "/KORALU.INI", fixture.ini());
    }

    Outcome run(const std::string& arguments) {
        const std::string err_path = dir + "/stderr.txt";
        const std::string command = "'" + program + "' " + arguments + " 2>'" + err_path + "'";
        Outcome r;
        FILE* pipe = ::popen(command.c_str(), "r");
        if (!pipe) return r;
        char buffer[4096];
        size_t n = 0;
        while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) r.out.append(buffer, n);
        const int status = ::pclose(pipe);
        r.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        const auto bytes = testsupport::read_file(err_path);
        r.err.assign(bytes.begin(), bytes.end());
        return r;
    }
};

uint32_t u32(const std::vector<uint8_t>& b, size_t at) {
    return uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 |
           uint32_t(b[at + 3]) << 24;
}

TEST_F(FalarTest, NumberWordsAndBadArguments) {
    Outcome r = run("--numero 2512");
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(r.out, "dois mil e quinhentos e doze\n");
    EXPECT_EQ(run("--numero 1000000").out, "um milhão \n");
    for (const char* bad : {"--numero abc", "--numero 1000000000000000", "--numero", "--speed 9 oi",
                            "--speed 0 oi", "< /dev/null", "--desconhecida oi", "--numero 5 oi", "-w",
                            "-f", "-f nada.txt", "-f x.txt oi"}) {
        EXPECT_EQ(run(bad).code, 2) << bad;
    }
    r = run("--help");
    EXPECT_EQ(r.code, 0);
    EXPECT_NE(r.out.find("Uso: falar"), std::string::npos);
}

TEST_F(FalarTest, WritesASentenceIntoOneWaveFile) {
    const std::string wav = dir + "/frase.wav";
    const Outcome r = run("--config '" + windows + "' -w '" + wav + "' 'Bom dia, 25 crianças! -3'");
    ASSERT_EQ(r.code, 0) << r.err;
    const auto bytes = testsupport::read_file(wav);
    ASSERT_GE(bytes.size(), 44u);
    EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 4), "RIFF");
    EXPECT_EQ(std::string(bytes.begin() + 8, bytes.begin() + 16), "WAVEfmt ");
    EXPECT_EQ(bytes[22], 1);            // mono
    EXPECT_EQ(u32(bytes, 24), 11025u);  // rate
    EXPECT_EQ(bytes[34], 8);            // bits
    EXPECT_EQ(u32(bytes, 40), bytes.size() - 44);
    // Pieces of "vinte e cinco", "menos" and "tres", letter sounds and units.
    EXPECT_GT(bytes.size() - 44, 5u * 2000);
}

// The text may come from the command line, a file (-f) or standard input, and
// gives the same speech every way.
TEST_F(FalarTest, TextFromAFileOrStandardInput) {
    const std::string config = "--config '" + windows + "' --phonemes ";
    testsupport::write_file(dir + "/texto.txt", "bom dia\n");
    const Outcome given = run(config + "'bom dia'");
    ASSERT_EQ(given.code, 0) << given.err;
    for (const std::string& way : {"-f '" + dir + "/texto.txt'", "-f - < '" + dir + "/texto.txt'",
                                   "< '" + dir + "/texto.txt'"}) {
        const Outcome r = run(config + way);
        EXPECT_EQ(r.code, 0) << way << r.err;
        EXPECT_EQ(r.out, given.out) << way;
    }
    const Outcome version = run("--version");
    EXPECT_EQ(version.code, 0);
    EXPECT_EQ(version.out.rfind("falar ", 0), 0u) << version.out;
    // The options are listed in Portuguese with accents, in UTF-8.
    EXPECT_NE(run("--help").out.find("opções"), std::string::npos);
}

TEST_F(FalarTest, PrintsPhonemesAndUnitsOfEachRun) {
    Outcome r = run("--config '" + windows + "' --phonemes 'bom dia, 7 amigos'");
    ASSERT_EQ(r.code, 0) << r.err;
    // Two runs of letters: "bom dia" and " amigos ".
    EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 2) << r.out;
    EXPECT_EQ(r.out.front(), '[');

    r = run("--config '" + windows + "' --units 'ba'");
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_NE(r.out.find(" ok\n"), std::string::npos) << r.out;
}

TEST_F(FalarTest, ASynthesizerThatCannotStartEndsWithCodeOne) {
    auto ini = fixture.ini();
    ini["SINTETIZADOR"]["DIFONES3"] = "FALTA";
    speechtest::Fixture::write_ini(windows + "/KORALU.INI", ini);
    const Outcome r = run("--config '" + windows + "' -w '" + dir + "/x.wav' oi");
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.err.find("Erro de inicialização: 1"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("Banco de dados de voz: FALTA"), std::string::npos) << r.err;
}

}  // namespace
