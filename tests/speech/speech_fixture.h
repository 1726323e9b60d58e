// A small family folder for the speech tests and fuzz targets: KORALU.INI,
// a letters folder with every character sound 32..126, the named sounds and
// the number pieces, and a diphone folder with one-letter rules and a bank
// of one-letter units. Everything is 11025 Hz, 8-bit mono.
#pragma once
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace speechtest {

inline void write_bytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

inline void put32(std::vector<uint8_t>& v, uint32_t x) {
    for (int i = 0; i < 4; ++i) v.push_back(uint8_t(x >> (8 * i)));
}
inline void put16(std::vector<uint8_t>& v, uint16_t x) {
    v.push_back(uint8_t(x));
    v.push_back(uint8_t(x >> 8));
}

// A plain 44-byte-header WAV of `samples` bytes of a square wave (so the
// sound is not silence), 11025 Hz, 8 bits, mono.
inline std::vector<uint8_t> wav_bytes(size_t samples, uint8_t level = 60) {
    std::vector<uint8_t> v;
    for (char c : std::string_view("RIFF")) v.push_back(uint8_t(c));
    put32(v, uint32_t(samples + 36));
    for (char c : std::string_view("WAVEfmt ")) v.push_back(uint8_t(c));
    put32(v, 16);
    put16(v, 1);
    put16(v, 1);
    put32(v, 11025);
    put32(v, 11025);
    put16(v, 1);
    put16(v, 8);
    for (char c : std::string_view("data")) v.push_back(uint8_t(c));
    put32(v, uint32_t(samples));
    for (size_t i = 0; i < samples; ++i)
        v.push_back(uint8_t((i / 20) % 2 ? 128 + level : 128 - level));
    return v;
}

inline const std::vector<std::string>& piece_names() {
    static const std::vector<std::string> names = {
        "_um",      "_dois",    "_tres",    "_quatro",  "_cinco",   "_seis",    "_sete",
        "_oito",    "_nove",    "_dez",     "_onze",    "_doze",    "_treze",   "_quatorz",
        "_quinze",  "_dezesse", "_dezeset", "_dezoito", "_dezenov", "_vinte",   "_trinta",
        "_quarent", "_cinquen", "_sessent", "_setenta", "_oitenta", "_noventa", "_cem",
        "_cento",   "_duzento", "_trezent", "_quatroc", "_quinhen", "_seiscen", "_setecen",
        "_oitocen", "_novecen", "_e",       "_mil",     "_milhao",  "_milhoes", "_bilhao",
        "_bilhoes", "_trilhao", "_trilhoe", "_zero",    "_uma",     "_duas"};
    return names;
}

using Ini = std::map<std::string, std::map<std::string, std::string>>;

struct Fixture {
    std::string root;  // the family folder
    std::string letters() const { return root + "/letras"; }
    std::string diphones() const { return root + "/difones"; }

    // The configuration every test starts from; tests change entries.
    Ini ini() const {
        Ini ini;
        ini["TRADUTOR"] = {{"VELOCIDADE", "3"},
                           {"DIRLETRAS", letters() + "\\"},
                           {"DIRDIFONES", diphones() + "\\"},
                           {"SAPI", "N"}};
        auto& synth = ini["SINTETIZADOR"];
        for (int n = 1; n <= 5; ++n) {
            const std::string d = std::to_string(n);
            synth["DIFONES" + d] = "BANCO" + d;
            synth["CORTEFON" + d] = "0";
            synth["INTERPAL" + d] = "100";
        }
        ini["KORALU"] = {{"PGMKORALU", root}};
        return ini;
    }

    static void write_ini(const std::string& path, const Ini& ini) {
        std::string text;
        for (const auto& [section, keys] : ini) {
            text += "[" + section + "]\r\n";
            for (const auto& [key, value] : keys) text += key + "=" + value + "\r\n";
        }
        write_bytes(path, std::vector<uint8_t>(text.begin(), text.end()));
    }

    // Writes the data files; `piece_samples` is the length of each number piece.
    void write_data(size_t piece_samples = 2000) const {
        for (int code = 32; code <= 126; ++code)
            write_bytes(letters() + "/_" + std::to_string(code) + ".wav", wav_bytes(300));
        write_bytes(letters() + "/_MENOS.wav", wav_bytes(400));
        for (const std::string& piece : piece_names())
            write_bytes(letters() + "/" + piece + ".wav", wav_bytes(piece_samples));

        std::string rules;
        std::string exceptions = "ola=Ola\r\n";
        for (char c = 'A'; c <= 'Z'; ++c)
            rules += std::string("(") + c + ")=" + char(c + 32) + "|\r\n";
        write_bytes(diphones() + "/regras.rgr", std::vector<uint8_t>(rules.begin(), rules.end()));
        write_bytes(diphones() + "/portug.exc",
                    std::vector<uint8_t>(exceptions.begin(), exceptions.end()));

        // A bank of the units "$A" .. "$Z", 500 bytes each, in name order.
        std::vector<uint8_t> index;
        std::vector<uint8_t> data;
        for (char c = 'A'; c <= 'Z'; ++c) {
            index.push_back(2);
            index.push_back('$');
            index.push_back(uint8_t(c));
            for (int i = 0; i < 6; ++i) index.push_back(0);
            put16(index, 500);
            put32(index, uint32_t(data.size()));
            for (int i = 0; i < 500; ++i) data.push_back(uint8_t((i / 10) % 2 ? 170 : 86));
        }
        for (int n = 1; n <= 5; ++n) {
            write_bytes(diphones() + "/BANCO" + std::to_string(n) + ".IND", index);
            write_bytes(diphones() + "/BANCO" + std::to_string(n) + ".DIF", data);
        }
    }
};

}  // namespace speechtest
