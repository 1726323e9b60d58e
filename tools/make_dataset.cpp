// Writes one part of the default Portuguese data set from the sources in data/:
//   make_dataset sons     DATA OUT   program sounds (zimbalot/*.wav)
//   make_dataset figuras  DATA OUT FONT  pictures (zimbalot/*.PCX)
//   make_dataset letras   DATA OUT   character sounds and number pieces (som/letras)
//   make_dataset difones  DATA OUT   rules, exceptions and banks (som/difones)
//   make_dataset mbrola   DATA OUT   VEDRA's diphone voice (mbrola/br4/br4)
// Every part is deterministic: the same sources give the same bytes.
// "--stamp FILE" after the arguments writes the part's stamp when it succeeded;
//   make_dataset verify STAMPS OUT PART...
// touches STAMPS/PART.trigger for each part whose outputs are gone or changed.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <cctype>
#include <sstream>
#include <set>
#include <string>
#include <vector>

#include "host/text.h"
#include "tools/gen/audio.h"
#include "tools/gen/bank.h"
#include "tools/gen/canvas.h"
#include "tools/gen/mbrola_db.h"
#include "tools/gen/music.h"
#include "tools/gen/pictures.h"
#include "tools/gen/voice.h"
#include "tools/stamp.h"

namespace fs = std::filesystem;
using namespace gen;

namespace {

const VoiceStyle kTalk{150, 55, 60};
const VoiceStyle kSlow{115, 55, 60};
const VoiceStyle kName{135, 52, 40};
const VoiceStyle kPiece{165, 50, 20};

std::string trim(std::string s) {
    while (!s.empty() && (s.back() == ' ' || s.back() == '\r' || s.back() == '\t')) s.pop_back();
    size_t i = 0;
    while (i < s.size() && (s[i] == ' ' || s[i] == '\t')) ++i;
    return s.substr(i);
}

// Lines of a data file split at " | " ("#" lines and empty lines skipped). The
// fields are trimmed, except that a field may start with a kept blank.
std::vector<std::vector<std::string>> read_table(const fs::path& path) {
    std::string text;
    std::vector<std::vector<std::string>> rows;
    if (!read_text_file(path.string(), text)) {
        std::fprintf(stderr, "cannot read %s\n", path.string().c_str());
        std::exit(1);
    }
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (trim(line).empty() || trim(line)[0] == '#') continue;
        std::vector<std::string> fields;
        size_t start = 0;
        while (true) {
            const size_t bar = line.find('|', start);
            fields.push_back(trim(
                line.substr(start, bar == std::string::npos ? std::string::npos : bar - start)));
            if (bar == std::string::npos) break;
            start = bar + 1;
        }
        rows.push_back(fields);
    }
    return rows;
}

[[noreturn]] void fail(const std::string& message) {
    std::fprintf(stderr, "make_dataset: %s\n", message.c_str());
    std::exit(1);
}

void write_or_fail(const fs::path& path, const std::vector<uint8_t>& bytes) {
    if (!write_file(path.string(), bytes)) fail("cannot write " + path.string());
    note_written(path);
}

// Speech at 11025 Hz, with quiet edges trimmed and a common peak level.
Samples speech(Voice& voice, const std::string& text, const VoiceStyle& style, size_t keep_ms) {
    Samples s = resample(voice.say(text, style).audio, kOutputRateHz);
    const size_t keep = keep_ms * kOutputRateHz / 1000;
    trim_silence(s, 0.004f, keep, keep);
    normalise_peak(s, 0.9f);
    fade_edges(s, 30);
    return s;
}

// Sung syllables: each syllable at a voice pitch near its note, over a bell
// that plays the melody so the tune is clear.
Samples sing(Voice& voice, const std::string& score) {
    Samples out, bells;
    std::istringstream in(score);
    std::string step;
    size_t at = 0;
    while (in >> step) {
        const size_t a = step.find('/'), b = step.rfind('/');
        if (a == std::string::npos || a == b) fail("canto: " + step);
        const std::string syllable = step.substr(0, a), note = step.substr(a + 1, b - a - 1);
        const int ms = std::atoi(step.c_str() + b + 1);
        const double f = note_frequency(note);
        if (f <= 0 || ms <= 0) fail("canto: " + step);
        const int pitch =
            std::clamp(static_cast<int>(std::lround(50 + 4 * 12 * std::log2(f / 261.63))), 5, 95);
        Samples s = speech(voice, syllable, VoiceStyle{150, pitch, 5}, 0);
        const size_t length = static_cast<size_t>(ms) * kOutputRateHz / 1000;
        if (s.data.size() > length) s.data.resize(length);
        fade_edges(s, 60);
        mix_into(out, s, at, 0.9f);
        Samples bell;
        std::string error;
        const double up = f * 2;
        // the melody an octave up on a bell, named back as a note for the renderer
        const int semis = static_cast<int>(std::lround(12 * std::log2(up / 440.0))) + 9 + 48;
        static const char* kNames[12] = {"C",  "C#", "D",  "D#", "E",  "F",
                                         "F#", "G",  "G#", "A",  "A#", "B"};
        const std::string bell_note = std::string(kNames[semis % 12]) + std::to_string(semis / 12);
        if (!render_tune("sino " + bell_note + "/" + std::to_string(ms), bell, error)) fail(error);
        mix_into(bells, bell, at, 1.0f);
        at += length;
    }
    mix_into(out, bells, 0, 0.3f);
    normalise_peak(out, 0.9f);
    return out;
}

Samples render_parts(Voice& voice, const std::string& name, const std::string& parts) {
    Samples out;
    size_t start = 0;
    while (start < parts.size()) {
        size_t end = parts.find("++", start);
        const std::string part =
            trim(parts.substr(start, end == std::string::npos ? std::string::npos : end - start));
        start = end == std::string::npos ? parts.size() : end + 2;
        const size_t colon = part.find(':');
        if (colon == std::string::npos) fail(name + ": parte sem tipo: " + part);
        const std::string kind = trim(part.substr(0, colon));
        const std::string body = trim(part.substr(colon + 1));
        Samples piece;
        if (kind == "fala")
            piece = speech(voice, body, kTalk, 60);
        else if (kind == "lento")
            piece = speech(voice, body, kSlow, 60);
        else if (kind == "palmas")
            piece = render_applause(std::atoi(body.c_str()), 7);
        else if (kind == "pausa")
            append_silence_ms(piece, std::atoi(body.c_str()));
        else if (kind == "canto")
            piece = sing(voice, body);
        else if (kind == "tons") {
            std::string error;
            if (!render_tune(body, piece, error)) fail(name + ": " + error);
        } else
            fail(name + ": tipo desconhecido " + kind);
        append(out, piece);
    }
    return out;
}

void write_wav(const fs::path& path, const Samples& s) {
    write_or_fail(path, wav8_image(to_u8(s)));
}

// code -> what the voice says, for every character that has a name.
std::map<int, std::string> character_names(const fs::path& data) {
    std::map<int, std::string> names;
    for (const auto& row : read_table(data / "caracteres.txt")) {
        if (row.size() < 2) fail("caracteres.txt: linha curta");
        names[std::stoi(row[0])] = row.size() > 2 && !row[2].empty() ? row[2] : row[1];
    }
    // Lower-case letters and the accented small letters take their capital's name.
    for (int c = 'a'; c <= 'z'; ++c)
        if (!names.count(c) && names.count(c - 32)) names[c] = names[c - 32];
    for (int c = 224; c <= 252; ++c)
        if (!names.count(c) && names.count(c - 32)) names[c] = names[c - 32];
    return names;
}

std::vector<LetterEntry> letter_entries(const fs::path& data) {
    std::vector<LetterEntry> out;
    for (const auto& row : read_table(data / "letras.txt")) {
        if (row.size() < 4 || row[0].size() != 1) fail("letras.txt: linha malformada");
        out.push_back({row[0][0], row[1], row[2], row[3]});
    }
    return out;
}

void make_sounds(const fs::path& data, const fs::path& out) {
    Voice voice;
    if (!voice.start()) fail("a voz pt-br do espeak-ng não inicia");
    const fs::path folder = out / "zimbalot";
    fs::create_directories(folder);
    // Sounds of an earlier run that this one would not write must not stay.
    for (const auto& entry : fs::directory_iterator(folder))
        if (entry.path().extension() == ".wav") fs::remove(entry.path());
    for (const auto& row : read_table(data / "sons.txt")) {
        if (row.size() < 2) fail("sons.txt: linha sem partes: " + row[0]);
        std::string parts = row[1];
        for (size_t i = 2; i < row.size(); ++i) parts += "|" + row[i];
        write_wav(folder / (row[0] + ".wav"), render_parts(voice, row[0], parts));
    }
    // File names match without regard to case, so a letter sound must not take
    // the name of a fixed sound: "F2" would be the cue "f2". Such a letter uses
    // the next free number (2..6) instead.
    std::set<std::string> fixed;
    for (const auto& row : read_table(data / "sons.txt")) {
        std::string lower = row[0];
        for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        fixed.insert(lower);
    }
    const auto names = character_names(data);
    for (const LetterEntry& e : letter_entries(data)) {
        const std::string letter_name = names.at(e.letter);
        const std::string l(1, e.letter);
        int next = 2;
        const auto free_name = [&]() {
            for (;; ++next) {
                std::string name = l + std::to_string(next);
                std::string lower = name;
                for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
                if (!fixed.count(lower)) {
                    ++next;
                    return name + ".wav";
                }
            }
        };
        write_wav(folder / (l + "1.wav"), speech(voice, letter_name, kName, 60));
        write_wav(folder / free_name(),
                  speech(voice, letter_name + ", de " + e.word_spoken + ".", kTalk, 60));
        write_wav(folder / free_name(), speech(voice, e.sentence, kTalk, 60));
    }
    for (int d = 0; d <= 9; ++d)
        write_wav(folder / (std::to_string(d) + ".wav"),
                  speech(voice, names.at('0' + d), kName, 60));
}

void make_pictures(const fs::path& data, const fs::path& out, const std::string& font_path) {
    Font font;
    if (!font.open(font_path)) fail("fonte não encontrada: " + font_path);
    const fs::path folder = out / "zimbalot";
    fs::create_directories(folder);
    auto save = [&](const Canvas& c, const std::string& name) {
        std::vector<uint8_t> indices;
        std::vector<Rgb> palette;
        c.to_indexed(indices, palette);
        write_or_fail(folder / (name + ".PCX"),
                      encode_pcx(c.width(), c.height(), indices, palette));
    };
    for (const std::string& name : fixed_picture_names()) {
        Canvas c(kPictureWidth, kPictureHeight, Rgb{0, 0, 0});
        draw_fixed_picture(name, font, c);
        save(c, name);
    }
    for (const LetterEntry& e : letter_entries(data)) {
        Canvas c(kPictureWidth, kPictureHeight, Rgb{0, 0, 0});
        draw_letter_picture(e, font, c);
        save(c, std::string(1, e.letter));
    }
}

void make_letters(const fs::path& data, const fs::path& out) {
    Voice voice;
    if (!voice.start()) fail("a voz pt-br do espeak-ng não inicia");
    const fs::path folder = out / "som" / "letras";
    fs::create_directories(folder);
    for (const auto& [code, name] : character_names(data))
        write_wav(folder / ("_" + std::to_string(code) + ".wav"), speech(voice, name, kName, 20));
    // Number pieces are joined end to end: trimmed tight, spoken flat.
    for (const auto& row : read_table(data / "pecas.txt")) {
        if (row.size() < 2) fail("pecas.txt: linha curta");
        write_wav(folder / (row[0] + ".wav"), speech(voice, row[1], kPiece, 10));
    }
}

// Text sources are UTF-8; the system reads Windows-1252.
void copy_as_cp1252(const fs::path& from, const fs::path& to) {
    std::string text;
    if (!read_text_file(from.string(), text)) fail("cannot read " + from.string());
    const std::string bytes = host::utf8_to_cp1252(text);
    write_or_fail(to, std::vector<uint8_t>(bytes.begin(), bytes.end()));
}

void make_diphones(const fs::path& data, const fs::path& out) {
    const fs::path folder = out / "som" / "difones";
    fs::create_directories(folder);
    copy_as_cp1252(data / "regras.rgr", folder / "regras.rgr");
    copy_as_cp1252(data / "portug.exc", folder / "portug.exc");
    std::vector<std::string> units;
    for (const auto& row : read_table(data / "unidades.txt")) units.push_back(row[0]);
    // The smaller units that the synthesizer falls back on when a name is
    // missing (a new word, a name too long for the index), so that a miss
    // still sounds like speech.
    for (const char* v : {"A", "E", "I", "O", "U", "W", "Y", "ACIRC", "ECIRC", "OCIRC", "ATIL",
                          "ETIL", "ITIL", "OTIL", "UTIL", "NN"})
        units.push_back(std::string("$") + v);
    for (const char* c : {"B", "D", "F", "G", "J", "K", "L", "M", "N", "P", "R", "S", "T", "V", "X",
                          "Z", "RR", "NH", "LH"})
        units.push_back(std::string("$") + c);
    Voice voice;
    if (!voice.start()) fail("a voz pt-br do espeak-ng não inicia");
    for (const auto& row : read_table(data / "bancos.txt")) {
        if (row.size() < 2) fail("bancos.txt: linha curta");
        // An optional third column raises the pitch: the player's shortening
        // looks for pitch periods of 80 to 130 samples, so a bank meant for it
        // is recorded high enough that every period falls in that window.
        const VoiceStyle style{std::stoi(row[1]), row.size() > 2 ? std::stoi(row[2]) : 50, 20};
        Bank bank;
        for (const std::string& name : units) {
            const Samples s = synthesise_unit(voice, name, style);
            if (!s.data.empty()) bank.units[name] = to_u8(s);
        }
        std::vector<uint8_t> index, samples;
        encode_bank(bank, index, samples);
        write_or_fail(folder / (row[0] + ".IND"), index);
        write_or_fail(folder / (row[0] + ".DIF"), samples);
    }
}

// The VEDRA voice's data files: rules, exceptions, abbreviations, prosody
// and diphone list, into the family folder's VEDRA folder.
void make_vedra(const fs::path& data, const fs::path& out) {
    const fs::path folder = out / "vedratts";
    fs::create_directories(folder);
    for (const char* name :
         {"portug.nrl", "portug.exc", "portug.abr", "portug.pro", "portug.dfn"})
        copy_as_cp1252(data / "vedra" / name, folder / name);
}

// VEDRA's own voice database, where the registry stand-in looks for a voice
// that no MBROLA installation provides: mbrola/<voice>/<voice>.
void make_mbrola(const fs::path& data, const fs::path& out) {
    std::string text;
    if (!read_text_file((data / "vedra" / "fonemas.txt").string(), text))
        fail("cannot read vedra/fonemas.txt");
    Voice voice;
    if (!voice.start()) fail("a voz pt-br do espeak-ng não inicia");
    mbrola::Database db;
    std::string error;
    if (!build_diphone_database(voice, read_inventory(text), db, error)) fail(error);
    const fs::path folder = out / "mbrola" / "br4";
    fs::create_directories(folder);
    write_or_fail(folder / "br4", mbrola::encode_database(db));
}

int verify(const fs::path& stamps, const fs::path& out, char** parts, int count) {
    for (int i = 0; i < count; ++i) {
        const std::string part = parts[i];
        const fs::path stamp = stamps / (part + ".stamp");
        const fs::path trigger = stamps / (part + ".trigger");
        std::string reason;
        // Without a stamp the part runs anyway; the trigger must exist for the
        // build's dependency on it.
        const bool current = !fs::exists(stamp) || stamp_current(stamp, out, reason);
        if (current && fs::exists(trigger)) continue;
        if (!current)
            std::printf("Data set: %s: %s; making it again\n", part.c_str(), reason.c_str());
        std::ofstream(trigger, std::ios::app).close();
        std::error_code error;
        fs::last_write_time(trigger, fs::file_time_type::clock::now(), error);
        if (error) fail("cannot touch " + trigger.string());
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    std::string stamp;
    if (argc >= 3 && std::string(argv[argc - 2]) == "--stamp") {
        stamp = argv[argc - 1];
        argc -= 2;
    }
    if (argc >= 4 && std::string(argv[1]) == "verify") return verify(argv[2], argv[3], argv + 4, argc - 4);
    if (argc < 4) {
        std::fprintf(stderr, "usage: make_dataset sons|figuras|letras|difones|vedra|mbrola DATA OUT [FONT]\n");
        return 2;
    }
    const std::string part = argv[1];
    const fs::path data = argv[2], out = argv[3];
    if (part == "sons")
        make_sounds(data, out);
    else if (part == "figuras" && argc > 4)
        make_pictures(data, out, argv[4]);
    else if (part == "letras")
        make_letters(data, out);
    else if (part == "difones")
        make_diphones(data, out);
    else if (part == "vedra")
        make_vedra(data, out);
    else if (part == "mbrola")
        make_mbrola(data, out);
    else {
        std::fprintf(stderr, "make_dataset: unknown part %s\n", part.c_str());
        return 2;
    }
    if (!stamp.empty() && !write_stamp(stamp, out)) fail("cannot write " + stamp);
    return 0;
}
