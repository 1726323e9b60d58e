// KORALU.INI values with the "@" expansion and the two number readings, on
// arbitrary file contents. The input is the file itself; its first line also
// serves as a raw value and a family folder for the expansion alone.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <map>
#include <string>
#include <string_view>

#include "host/files.h"
#include "host/text.h"
#include "speech/speech.h"

namespace {

// Files held in memory: only what the configuration lookup uses.
class MemoryFiles : public host::Files {
public:
    std::map<std::string, std::vector<uint8_t>> files;

    static std::string key(std::string_view path) { return host::translate_path(path, {}); }

    std::unique_ptr<host::InputFile> open_read(std::string_view) override { return nullptr; }
    bool read_whole(std::string_view path, std::vector<uint8_t>& out) override {
        const auto it = files.find(key(path));
        if (it == files.end()) return false;
        out = it->second;
        return true;
    }
    bool write_whole(std::string_view path, const std::vector<uint8_t>& data) override {
        files[key(path)] = data;
        return true;
    }
    bool file_exists(std::string_view path) override { return files.count(key(path)) != 0; }
    bool directory_exists(std::string_view) override { return true; }
    std::string current_directory() override { return "/inicio"; }
    bool set_current_directory(std::string_view) override { return false; }
    std::string windows_folder() override { return "/windows"; }
    std::string native_path(std::string_view path) override { return key(path); }
};

void fail(const char* what) {
    (void)what;
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const std::string_view first_line = text.substr(0, text.find('\n'));

    // The expansion alone: only the "@" of the value are replaced, so the
    // result is bounded by the value with a folder in place of each "@".
    const std::string_view folder = first_line.substr(0, first_line.size() / 2);
    const std::string_view value = first_line.substr(first_line.size() / 2);
    size_t at_signs = 0;
    for (char c : value) at_signs += c == '@';
    const std::string expanded = speech::expand_family_folder(value, folder);
    if (expanded.size() > value.size() + at_signs * folder.size()) fail("unbounded expansion");

    // Readings: a strict number is always the lenient one too.
    if (const auto strict = speech::strict_integer(first_line))
        if (*strict != speech::lenient_integer(first_line)) fail("readings disagree");
    (void)speech::yes_no(first_line);

    // The whole lookup, the file in the Windows folder or in the start-up one.
    MemoryFiles files;
    const std::vector<uint8_t> bytes(data, data + size);
    files.write_whole(size % 2 ? "/windows/KORALU.INI" : "/inicio/KORALU.INI", bytes);
    speech::Config config(files, files.current_directory());
    for (const char* section : {"", "TRADUTOR", "KORALU", "SINTETIZADOR"})
        for (const char* key : {"PGMKORALU", "DIRLETRAS", "VELOCIDADE", "DIFONES3", "x"}) {
            const std::string v = config.read_config_value(section, key);
            (void)speech::lenient_integer(v);
            (void)speech::strict_integer(v);
        }
    return 0;
}
