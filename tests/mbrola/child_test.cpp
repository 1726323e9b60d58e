// The child-process path: an installed mbrola program (here a fake one that
// numbers its lines) fed through pipes.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "mbrola/session.h"

namespace fs = std::filesystem;

namespace {

// True when this process has no child at all, running or zombie.
bool no_child_left() {
    return ::waitpid(-1, nullptr, WNOHANG) == -1 && errno == ECHILD;
}

std::vector<int16_t> read_all(mbrola::Session& s, int& last) {
    std::vector<int16_t> out;
    int16_t buffer[700];
    while ((last = s.read(buffer, 700)) > 0) out.insert(out.end(), buffer, buffer + last);
    return out;
}

class ChildTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("mbrola_child_" + std::to_string(::getpid()));
        fs::create_directories(dir_ / "bin");
        fs::create_symlink(FAKE_MBROLA, dir_ / "bin" / "mbrola");
        std::ofstream(dir_ / "voz") << "FAKE-VOICE\n";
        std::ofstream(dir_ / "lixo") << "not a voice\n";
        std::ofstream(dir_ / "bin" / "mbrola.args");  // asks the fake for its arguments
        session_.set_program((dir_ / "bin" / "mbrola").string());
    }
    void TearDown() override {
        session_.close();
        EXPECT_TRUE(no_child_left());
        fs::remove_all(dir_);
    }
    std::string path(const char* name) const { return (dir_ / name).string(); }

    fs::path dir_;
    mbrola::Session session_;
};

TEST_F(ChildTest, LinesInSamplesOutInOrderAndAgainAfterAFlush) {
    ASSERT_EQ(session_.init(path("voz").c_str()), 0) << session_.last_error_text();
    session_.set_no_error(true);
    EXPECT_GT(session_.write(const_cast<char*>("a 10 50 120\r\n; a comment\r\nb 20\r\n")), 0);
    EXPECT_EQ(session_.last_error(), 0);
    EXPECT_EQ(session_.flush(), 1);
    int last = 0;
    std::vector<int16_t> out = read_all(session_, last);
    EXPECT_EQ(last, 0);
    ASSERT_EQ(out.size(), 480u);
    EXPECT_EQ(out[0], 1);
    EXPECT_EQ(out[159], 1);
    EXPECT_EQ(out[160], 2);
    EXPECT_TRUE(no_child_left());
    std::ifstream args(path("bin/mbrola.args"));
    std::string said;
    std::getline(args, said);
    EXPECT_EQ(said, "-e " + path("voz") + " - -");

    // The next text starts a new program.
    session_.write(const_cast<char*>("c 5\n"));
    session_.flush();
    out = read_all(session_, last);
    EXPECT_EQ(out, std::vector<int16_t>(80, 1));
}

TEST_F(ChildTest, FailuresAreReportedWithTheProgramsWordsAndResetClearsThem) {
    struct Case {
        const char* line;
        const char* expected;
    };
    for (const Case& c : {Case{"ERRO 10\n", "exit code 1): Fatal error: unknown phoneme ERRO"},
                          Case{"CRASH 10\n", "ended with signal 6"}}) {
        SCOPED_TRACE(c.line);
        ASSERT_EQ(session_.init(path("voz").c_str()), 0);
        session_.write(const_cast<char*>("a 10\n"));
        session_.write(const_cast<char*>(c.line));
        // The failure shows at the flush or at the read, whichever meets it first.
        const int flushed = session_.flush();
        int last = 0;
        read_all(session_, last);
        EXPECT_TRUE(flushed < 0 || last < 0);
        EXPECT_NE(session_.last_error(), 0);
        EXPECT_NE(session_.last_error_text().find(c.expected), std::string::npos)
            << session_.last_error_text();
        EXPECT_TRUE(no_child_left());
        session_.reset();
        EXPECT_EQ(session_.last_error(), 0);
        session_.write(const_cast<char*>("b 1\n"));
        session_.flush();
        EXPECT_EQ(read_all(session_, last).size(), 16u);
    }
}

TEST_F(ChildTest, ResetEndsABusyProgramAtOnce) {
    ASSERT_EQ(session_.init(path("voz").c_str()), 0);
    session_.write(const_cast<char*>("a 10\nDORME 10\n"));
    const auto start = std::chrono::steady_clock::now();
    session_.reset();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    EXPECT_EQ(session_.child_pid(), -1);
    EXPECT_TRUE(no_child_left());
    int16_t buffer[16];
    EXPECT_EQ(session_.read(buffer, 16), 0);  // nothing of the dropped text
    session_.write(const_cast<char*>("b 2\n"));
    session_.write(const_cast<char*>("DORME 1\n"));
    session_.close();  // close ends it too
}

TEST_F(ChildTest, DatabasesThatCannotBeReadAreRefused) {
    EXPECT_LT(session_.init(path("lixo").c_str()), 0);
    EXPECT_NE(session_.last_error_text().find("is not a voice database"), std::string::npos)
        << session_.last_error_text();
    EXPECT_LT(session_.init(path("missing").c_str()), 0);
    EXPECT_LT(session_.init(""), 0);
    EXPECT_LT(session_.write(const_cast<char*>("a 10\n")), 0);  // not initialised
    session_.set_program(path("nowhere/mbrola"));
    EXPECT_EQ(session_.init(path("voz").c_str()), mbrola::kErrorNoProgram);
    EXPECT_NE(session_.last_error_text().find("no mbrola program"), std::string::npos);
}

}  // namespace
