#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <vector>

#include "host/native.h"
#include "support.h"

namespace testsupport {
namespace {

std::vector<std::string>& temp_dirs() {
    static std::vector<std::string> dirs;
    return dirs;
}

struct Cleanup {
    // Touch the list first so that it outlives this object at exit.
    Cleanup() { temp_dirs(); }
    ~Cleanup() {
        std::error_code ec;
        for (const auto& d : temp_dirs()) std::filesystem::remove_all(d, ec);
    }
} cleanup;

}  // namespace

std::string source_path(std::string_view relative) {
    return std::string(ZIMBALOT_SOURCE_DIR) + "/" + std::string(relative);
}

std::string binary_path(std::string_view relative) {
    return std::string(ZIMBALOT_BINARY_DIR) + "/" + std::string(relative);
}

std::string data_set_path(std::string_view relative) {
    std::string path(ZIMBALOT_DATA_SET);
    if (!relative.empty()) path += "/" + std::string(relative);
    return path;
}

std::string make_temp_dir(std::string_view tag) {
    static std::mt19937 generator(std::random_device{}());
    const auto base = std::filesystem::temp_directory_path();
    for (;;) {
        auto dir = base / ("zimbalot-" + std::string(tag) + "-" + std::to_string(generator()));
        std::error_code ec;
        if (std::filesystem::create_directories(dir, ec)) {
            temp_dirs().push_back(dir.string());
            return dir.string();
        }
    }
}

void write_file(const std::string& path, std::string_view bytes) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

void write_file(const std::string& path, const std::vector<uint8_t>& bytes) {
    write_file(path, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

std::vector<uint8_t> read_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

Headless::Headless(std::string_view script, uint32_t seed) {
    windows_dir = make_temp_dir("windows");
    host::headless::HeadlessOptions options;
    options.folders = host::ConfigFolders::only(windows_dir);
    options.script = std::string(script);
    options.seed = seed;
    options.trace_to_stdout = false;
    options.exit_throws = true;
    backend = std::make_unique<host::headless::HeadlessBackend>(std::move(options));
}

Headless::~Headless() = default;

void Headless::map_drive(char letter, const std::string& folder) {
    // The simulation's files are this system's own.
    auto& files = static_cast<host::native::Files&>(host().files);
    files.folders.drives[static_cast<char>(std::toupper(static_cast<unsigned char>(letter)))] =
        folder;
}

}  // namespace testsupport
