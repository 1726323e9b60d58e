// Helpers shared by the tests: paths, temporary folders, and an in-process
// headless host whose process exit throws instead of ending the test.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "host/headless/headless_backend.h"

namespace testsupport {

// A path inside the source tree (tests/fixtures/..., data/...).
std::string source_path(std::string_view relative);
// A path inside the build tree (the generated data set is in <build>/koralu).
std::string binary_path(std::string_view relative);
// The generated default data set (the family folder with KORALU.INI).
std::string data_set_path(std::string_view relative = "");
// A fresh, empty folder under the system temporary folder, removed at exit.
std::string make_temp_dir(std::string_view tag);
void write_file(const std::string& path, std::string_view bytes);
void write_file(const std::string& path, const std::vector<uint8_t>& bytes);
std::vector<uint8_t> read_file(const std::string& path);

// Ends a case that cannot apply on Windows, saying why: the drive map, the
// case-insensitive lookup and the configuration folders of Linux stand in
// there for what Windows does itself.
#ifdef _WIN32
#define SKIP_ON_WINDOWS(reason) GTEST_SKIP() << (reason)
#else
#define SKIP_ON_WINDOWS(reason) static_cast<void>(0)
#endif

// A headless backend for one test: exit_process throws
// host::headless::ProcessExit, the trace is kept in memory only, and the
// Windows folder (the one configuration folder) is a fresh temporary folder, `windows_dir`.
struct Headless {
    explicit Headless(std::string_view script = "", uint32_t seed = 1);
    ~Headless();
    host::Host& host() { return backend->host(); }
    // Maps a drive letter ("c:") to a folder, as main does from KORALU_DRIVE_<L>.
    void map_drive(char letter, const std::string& folder);
    std::unique_ptr<host::headless::HeadlessBackend> backend;
    std::string windows_dir;
};

}  // namespace testsupport
