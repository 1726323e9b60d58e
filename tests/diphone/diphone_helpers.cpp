#include "diphone_helpers.h"

#include <cstdlib>

namespace diphone_test {
namespace {

void put_le(std::vector<uint8_t>& out, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

void put_id(std::vector<uint8_t>& out, const std::string& id) {
    out.insert(out.end(), id.begin(), id.end());
}

}  // namespace

std::vector<uint8_t> make_wav(const std::vector<uint8_t>& samples,
                              const std::vector<std::string>& extra_chunks,
                              const std::string& data_id) {
    std::vector<uint8_t> body;
    put_id(body, "WAVE");
    put_id(body, "fmt ");
    put_le(body, 16, 4);
    put_le(body, 1, 2);
    put_le(body, 1, 2);
    put_le(body, 11025, 4);
    put_le(body, 11025, 4);
    put_le(body, 1, 2);
    put_le(body, 8, 2);
    for (const auto& id : extra_chunks) {
        put_id(body, id);
        put_le(body, 6, 4);
        body.insert(body.end(), 6, 0x55);
    }
    put_id(body, data_id);
    put_le(body, static_cast<uint32_t>(samples.size()), 4);
    body.insert(body.end(), samples.begin(), samples.end());
    std::vector<uint8_t> wav;
    put_id(wav, "RIFF");
    put_le(wav, static_cast<uint32_t>(body.size()), 4);
    wav.insert(wav.end(), body.begin(), body.end());
    return wav;
}

SynthFolders::SynthFolders() {
    root = testsupport::make_temp_dir("diphone");
    windows = root + "/windows";
    letters = root + "/letras";
    diphones = root + "/difones";
    testsupport::write_file(letters + "/.keep", "");
    testsupport::write_file(diphones + "/.keep", "");
    write_ini("[TRADUTOR]\r\ndirLetras=" + letters + "\r\nDIRDIFONES=" + diphones + "\r\n");
}

void SynthFolders::write_ini(const std::string& body) {
    testsupport::write_file(windows + "/KORALU.INI", body);
}

void SynthFolders::write_rules(const std::string& text) {
    testsupport::write_file(diphones + "/regras.rgr", text);
}

void SynthFolders::write_exceptions(const std::string& text) {
    testsupport::write_file(diphones + "/portug.exc", text);
}

void SynthFolders::write_bank(const std::string& name,
                              const std::map<std::string, std::vector<uint8_t>>& units) {
    std::vector<diphone::IndexRecord> records;
    std::vector<uint8_t> data;
    for (const auto& [unit, bytes] : units) {  // std::map: byte-wise name order
        records.push_back(
            {unit, static_cast<uint16_t>(bytes.size()), static_cast<uint32_t>(data.size())});
        data.insert(data.end(), bytes.begin(), bytes.end());
    }
    testsupport::write_file(diphones + "/" + name + ".IND", diphone::encode_index(records));
    testsupport::write_file(diphones + "/" + name + ".DIF", data);
}

void SynthFolders::write_letter_sound(int code, const std::vector<uint8_t>& wav) {
    testsupport::write_file(letters + "/_" + std::to_string(code) + ".wav", wav);
}

SynthRig::SynthRig(const std::map<std::string, std::vector<uint8_t>>& units,
                   const diphone::SynthSettings& settings) {
    folders.write_rules("");
    folders.write_exceptions("");
    folders.write_bank(settings.bank_name, units);
    synth.apply_settings(settings);
    synth.on_unit = [this](std::string_view name, bool found) {
        fetched.push_back(std::string(name) + (found ? "" : " missing"));
    };
    start_result = synth.start_diphone_synth();
}

}  // namespace diphone_test
