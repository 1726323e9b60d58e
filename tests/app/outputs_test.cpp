// The program's outputs as a user names them: relative to the folder the
// program was started in, never in the data set, and every file that cannot
// be written told on one line, with exit code 4.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "fixture.h"
#include "process.h"
#include "support.h"

namespace {

namespace fs = std::filesystem;
using testsupport::shell_quoted;

struct ProgramOutputs : ::testing::Test {
    std::string program = testsupport::binary_path("app/zimbalot");
    std::string windows = testsupport::make_temp_dir("windows");
    apptest::Family family{windows};
    std::string here = testsupport::make_temp_dir("here");

    void SetUp() override {
        if (!fs::exists(program)) GTEST_SKIP() << "zimbalot is not built";
    }

    testsupport::Outcome run(const std::string& arguments) {
        return testsupport::run_command("KORALU_WINDOWS=" + shell_quoted(windows) + " " +
                                            shell_quoted(program) + " --headless " + arguments,
                                        here);
    }

    std::vector<std::string> program_files() const {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(family.program_folder))
            names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
};

TEST_F(ProgramOutputs, RelativeNamesLandInTheStartingFolder) {
    const auto before = program_files();
    const auto intro2 = testsupport::read_file(family.program_folder + "/intro2.wav");
    // Names of the program's own files, as a user might well choose them.
    const auto r =
        run("--keys 'A shot intro.PCX ESC wait 4000 ENTER' --capture intro2.wav "
            "--trace registro.txt --screenshot capa.PCX");
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(testsupport::program_lines(r.err, "zimbalot"), "");
    for (const char* name : {"intro2.wav", "registro.txt", "capa.PCX", "intro.PCX"})
        EXPECT_TRUE(fs::exists(here + "/" + name)) << name;
    EXPECT_EQ(program_files(), before);
    EXPECT_EQ(testsupport::read_file(family.program_folder + "/intro2.wav"), intro2);
    EXPECT_GT(fs::file_size(here + "/intro2.wav"), 44u);
}

TEST_F(ProgramOutputs, AnOutputThatCannotBeWrittenIsToldOnceWithCodeFour) {
    fs::create_directory(here + "/pasta");
    struct Case {
        std::string arguments;
        std::string line;  // standard error
    };
    std::vector<Case> cases = {
        {"--capture nada/x.wav",
         "zimbalot: nao consigo gravar " + here + "/nada/x.wav: a pasta nao existe"},
        {"--trace pasta",
         "zimbalot: nao consigo gravar " + here + "/pasta: ha uma pasta com esse nome"},
        {"--keys 'shot nada/s.png ESC'",
         "zimbalot: nao consigo gravar " + here + "/nada/s.png: a pasta nao existe"},
    };
    if (fs::exists("/dev/full")) {
        cases.push_back({"--capture /dev/full",
                         "zimbalot: nao consigo gravar /dev/full: nao ha espaco no disco"});
        cases.push_back({"--trace /dev/full",
                         "zimbalot: nao consigo gravar /dev/full: nao ha espaco no disco"});
        cases.push_back({"--screenshot /dev/full",
                         "zimbalot: nao consigo gravar /dev/full: nao ha espaco no disco"});
    }
    if (fs::exists("/proc/self"))
        cases.push_back({"--capture /proc/x",
                         "zimbalot: nao consigo gravar /proc/x: sem permissao para gravar"});
    for (const auto& c : cases) {
        const auto r =
            run("--keys 'A ESC wait 4000 ENTER' " + c.arguments + " --idle-limit 100 >/dev/null");
        EXPECT_EQ(r.code, 4) << c.arguments;
        EXPECT_EQ(testsupport::program_lines(r.err, "zimbalot"), c.line + "\n") << c.arguments;
    }
    // Nothing was left behind, not even a temporary file.
    size_t entries = 0;
    for ([[maybe_unused]] const auto& e : fs::directory_iterator(here)) ++entries;
    EXPECT_EQ(entries, 1u);
}

TEST_F(ProgramOutputs, AScriptThatIsAFolderIsRefusedLikeAMissingOne) {
    fs::create_directory(here + "/roteiro");
    const auto folder = run("--script roteiro");
    const auto missing = run("--script nenhum");
    EXPECT_EQ(folder.code, 2);
    EXPECT_EQ(missing.code, 2);
    EXPECT_EQ(testsupport::program_lines(folder.err, "zimbalot"),
              "zimbalot: nao consigo ler o roteiro roteiro\n");
    EXPECT_EQ(folder.out, "");
}

}  // namespace

namespace {

// Without a display the desktop program ends at once instead of playing to
// a window nobody sees and waiting for keys forever.
TEST_F(ProgramOutputs, TheDesktopWithoutADisplayEndsAtOnceWithOne) {
    for (const std::string display : {"", "DISPLAY=:7919"}) {
        const auto r = testsupport::run_command(
            "env -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER " + display +
                " KORALU_WINDOWS=" + shell_quoted(windows) + " timeout 20 " + shell_quoted(program),
            here);
        EXPECT_EQ(r.code, 1) << display;
        EXPECT_NE(r.err.find("zimbalot: "), std::string::npos) << r.err;
        EXPECT_NE(r.err.find("sem tela"), std::string::npos) << r.err;
    }
}

}  // namespace
