// The generated family folder in <build>/koralu: every file the program and
// the speech library open is there, in the format they read, and a second
// run of the generator gives the same bytes.

// Built only with the generators (ZIMBALOT_TOOLS); a tree without them has no data set.
#ifdef ZIMBALOT_MAKE_DATASET
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

#include "app/assets.h"
#include "diphone/rules.h"
#include "host/common/posix_files.h"
#include "host/files.h"
#include "picture/pcx.h"
#include "speech/speech.h"
#include "support.h"
#include "tools/gen/pictures.h"

namespace fs = std::filesystem;

namespace {

const std::string kRoot = testsupport::binary_path("koralu");

std::string ini_value(const std::string& section, const std::string& key) {
    const std::vector<uint8_t> bytes = testsupport::read_file(kRoot + "/KORALU.INI");
    const std::string text(bytes.begin(), bytes.end());
    std::string value = host::find_profile_value(text, section, key).value_or("<missing>");
    while (!value.empty() && (value.back() == '\r' || value.back() == ' ')) value.pop_back();
    return value;
}

std::vector<uint8_t> bytes_of(const fs::path& p) {
    return testsupport::read_file(p.string());
}

uint32_t le32(const std::vector<uint8_t>& b, size_t at) {
    return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (uint32_t{b[at + 3]} << 24);
}

// What the number reader and the synthesizer need: 44 plain header bytes,
// then 8-bit mono 11025 Hz samples up to the end of the file.
void expect_raw_wav(const fs::path& p) {
    SCOPED_TRACE(p.string());
    ASSERT_TRUE(fs::exists(p));
    const std::vector<uint8_t> b = bytes_of(p);
    ASSERT_GT(b.size(), 44u);
    EXPECT_EQ(std::string(b.begin(), b.begin() + 4), "RIFF");
    EXPECT_EQ(std::string(b.begin() + 12, b.begin() + 16), "fmt ");
    EXPECT_EQ(le32(b, 16), 16u);
    EXPECT_EQ(b[22], 1);             // mono
    EXPECT_EQ(le32(b, 24), 11025u);  // rate
    EXPECT_EQ(b[34], 8);             // bits
    EXPECT_EQ(std::string(b.begin() + 36, b.begin() + 40), "data");
    EXPECT_EQ(le32(b, 40), b.size() - 44);
}

TEST(DataSet, StaysUnderFortyMegabytes) {
    uintmax_t total = 0;
    size_t files = 0;
    for (const auto& e : fs::recursive_directory_iterator(kRoot))
        if (e.is_regular_file()) total += e.file_size(), ++files;
    std::printf("data set: %zu files, %.1f MB\n", files, total / 1e6);
    EXPECT_GT(files, 300u);
    EXPECT_LT(total, 40u * 1000 * 1000);
}

TEST(DataSet, IniNamesEveryFolderAbsolutely) {
    EXPECT_EQ(ini_value("KORALU", "PGMKORALU"), kRoot);
    for (const auto& [section, key] : std::vector<std::pair<std::string, std::string>>{
             {"ZIMBALOT", "DIRZIMBALOT"}, {"TRADUTOR", "DIRLETRAS"}, {"TRADUTOR", "DIRDIFONES"}}) {
        const std::string folder = ini_value(section, key);
        EXPECT_EQ(folder.rfind(kRoot, 0), 0u) << key << " = " << folder;
        EXPECT_TRUE(fs::is_directory(folder)) << key << " = " << folder;
    }
    // The keys the window, the speech start-up and the synthesizer read.
    for (const auto& [section, key] :
         std::vector<std::pair<std::string, std::string>>{{"VIDEO", "TABCORES"},
                                                          {"VIDEO", "CORESFIXAS"},
                                                          {"VIDEO", "LENTO"},
                                                          {"VIDEO", "CORFUNDO"},
                                                          {"VIDEO", "CORLETRA"},
                                                          {"VIDEO", "AMPLIF"},
                                                          {"VIDEO", "FONTE"},
                                                          {"VIDEO", "LARGURALETRA"},
                                                          {"VIDEO", "ALTURALETRA"},
                                                          {"VIDEO", "CANTOTELA"},
                                                          {"BRAILLE", "MODO"},
                                                          {"TRADUTOR", "VELOCIDADE"},
                                                          {"TRADUTOR", "SAPI"},
                                                          {"SERVFALA", "VOZ"},
                                                          {"SERVFALA", "VELOCIDADE"},
                                                          {"SERVFALA", "TOM"},
                                                          {"SERVFALA", "TIPOSAPI"}})
        EXPECT_NE(ini_value(section, key), "<missing>") << section << " " << key;
    EXPECT_EQ(ini_value("TRADUTOR", "SAPI"), "N");
    const int speed = std::atoi(ini_value("TRADUTOR", "VELOCIDADE").c_str());
    EXPECT_TRUE(speed >= 1 && speed <= 5);
    for (int n = 1; n <= 5; ++n) {
        const std::string d = std::to_string(n);
        for (const char* key : {"DIFONES", "CORTEFON", "SOBRAFON", "INTERPAL", "CORTAFALA",
                                "RAPIDINHO", "PAUSAPONTO", "PAUSAVIRG", "PAUSADOISPONTOS"})
            EXPECT_NE(ini_value("SINTETIZADOR", key + d), "<missing>") << key << d;
        // the strictly read numbers must be numbers alone, or they fall back
        for (const char* key :
             {"SOBRAFON", "INTERPAL", "PAUSAPONTO", "PAUSAVIRG", "PAUSADOISPONTOS"})
            EXPECT_TRUE(speech::strict_integer(ini_value("SINTETIZADOR", key + d)).has_value())
                << key << d;
        EXPECT_LE(ini_value("SINTETIZADOR", "DIFONES" + d).size(), 8u);
    }
}

TEST(DataSet, ProgramFolderHoldsEverySoundAndPicture) {
    const fs::path folder = ini_value("ZIMBALOT", "DIRZIMBALOT");
    host::common::PosixFiles files;  // matches names without regard to case, as the program does
    for (std::string_view name : app::assets::fixed_sounds)
        expect_raw_wav(files.native_path((folder / (std::string(name) + ".wav")).string()));
    std::vector<std::string> pictures(app::assets::fixed_pictures.begin(),
                                      app::assets::fixed_pictures.end());
    for (char l = 'A'; l <= 'Z'; ++l) {
        pictures.emplace_back(1, l);
        for (int d = 1; d <= 3; ++d)
            expect_raw_wav(files.native_path(
                (folder / (std::string(1, l) + std::to_string(d) + ".WAV")).string()));
    }
    for (char d = '0'; d <= '9'; ++d)
        expect_raw_wav(files.native_path((folder / (std::string(1, d) + ".WAV")).string()));
    for (const std::string& name : pictures) {
        SCOPED_TRACE(name);
        const std::vector<uint8_t> b =
            bytes_of(files.native_path((folder / (name + ".PCX")).string()));
        int rows = 0;
        const picture::PcxDecodeResult r = picture::decode_pcx(
            b.data(), b.size(), [&](int, const uint8_t*, int count) { rows += count == 320; });
        EXPECT_EQ(r.status, picture::PcxStatus::complete);
        EXPECT_EQ(r.header.version, 5);
        EXPECT_EQ(r.header.width(), 320);
        EXPECT_EQ(r.header.height(), 200);
        EXPECT_TRUE(r.has_palette);
        EXPECT_EQ(rows, 200);
    }
}

// The program draws the big character over the letter pictures and the
// digits picture: under it there must be only the black ground.
TEST(DataSet, BigCharacterBoxHoldsOnlyBackground) {
    const fs::path folder = ini_value("ZIMBALOT", "DIRZIMBALOT");
    host::common::PosixFiles files;
    std::vector<std::string> pictures = {std::string(app::assets::numeros)};
    for (char l = 'A'; l <= 'Z'; ++l) pictures.emplace_back(1, l);
    const gen::PictureBox box = gen::big_character_box;
    for (const std::string& name : pictures) {
        SCOPED_TRACE(name);
        const std::vector<uint8_t> b =
            bytes_of(files.native_path((folder / (name + ".PCX")).string()));
        picture::PcxHeader header;
        host::Rgb palette[256] = {};
        ASSERT_TRUE(picture::read_pcx_header(b.data(), b.size(), header));
        ASSERT_TRUE(picture::read_pcx_palette(b.data(), b.size(), header, palette));
        int covered = 0;
        picture::decode_pcx(b.data(), b.size(), [&](int y, const uint8_t* indices, int count) {
            if (y < box.y0 || y >= box.y1) return;
            for (int x = box.x0; x < std::min(box.x1, count); ++x) {
                const host::Rgb p = palette[indices[x]];
                covered += p != host::Rgb{};
            }
        });
        EXPECT_EQ(covered, 0) << "pixels under the big character";
    }
}

// The pieces `play_number_words` opens for a number's words.
std::vector<std::string> pieces_of(std::string words, bool feminine) {
    std::vector<std::string> out;
    std::istringstream in(words);
    std::string word;
    std::vector<std::string> all;
    while (in >> word) all.push_back(word);
    for (size_t i = 0; i < all.size(); ++i) {
        std::string w = all[i];
        for (char& c : w) {
            if (static_cast<uint8_t>(c) == 227) c = 'a';
            if (static_cast<uint8_t>(c) == 245) c = 'o';
        }
        if (w == "dezessete") w = "dezeset";
        std::string piece = ("_" + w).substr(0, 8);
        if (feminine && i + 1 == all.size() && !words.empty() && words.back() != ' ') {
            if (piece == "_um") piece = "_uma";
            if (piece == "_dois") piece = "_duas";
        }
        out.push_back(piece);
    }
    return out;
}

TEST(DataSet, LettersFolderHoldsCharacterSoundsAndNumberPieces) {
    const fs::path folder = ini_value("TRADUTOR", "DIRLETRAS");
    // Every code that has a name: 32-126, 161-220 and the small accented letters 224-252.
    std::set<int> named;
    for (int c = 32; c <= 126; ++c) named.insert(c);
    for (int c = 161; c <= 220; ++c) named.insert(c);
    for (int c = 224; c <= 252; ++c) named.insert(c);
    for (int c = 0; c < 256; ++c) {
        const fs::path p = folder / ("_" + std::to_string(c) + ".wav");
        if (named.count(c))
            expect_raw_wav(p);
        else
            EXPECT_FALSE(fs::exists(p)) << c;
    }
    expect_raw_wav(folder / "_zero.wav");
    expect_raw_wav(folder / "_MENOS.wav");
    // Walk the number reader over a spread of values, both genders.
    std::set<std::string> pieces;
    std::vector<uint64_t> values;
    for (uint64_t v = 0; v <= 2100; ++v) values.push_back(v);
    for (uint64_t v = 1000; v <= 999999999999999ull; v = v * 10 + 7) values.push_back(v);
    for (uint64_t v : {1000000ull, 2000000ull, 1000000000ull, 3000000000ull, 1000000000000ull,
                       5000000000000ull, 999999999999999ull, 17017017017017ull, 1100ull, 999999ull})
        values.push_back(v);
    for (uint64_t v : values)
        for (bool feminine : {false, true})
            for (const std::string& p : pieces_of(speech::recorded_number_words(v), feminine))
                pieces.insert(p);
    EXPECT_GE(pieces.size(), 48u);
    for (const std::string& p : pieces) expect_raw_wav(folder / (p + ".wav"));
}

TEST(DataSet, DiphoneFolderLoadsAndEveryBankIsSound) {
    const std::string folder = ini_value("TRADUTOR", "DIRDIFONES");
    host::common::PosixFiles files;
    diphone::Lexicon lexicon;
    ASSERT_TRUE(diphone::load_diphone_rules(files, folder + "regras.rgr", lexicon));
    ASSERT_TRUE(diphone::load_diphone_exceptions(files, folder + "portug.exc", lexicon));
    EXPECT_GT(lexicon.rules.size(), 150u);
    EXPECT_GE(lexicon.exceptions.size(), 300u);
    std::set<std::string> banks;
    for (int n = 1; n <= 5; ++n)
        banks.insert(ini_value("SINTETIZADOR", "DIFONES" + std::to_string(n)));
    for (const std::string& bank : banks) {
        SCOPED_TRACE(bank);
        const std::vector<uint8_t> index = bytes_of(folder + bank + ".IND");
        const uint64_t data_size = fs::file_size(folder + bank + ".DIF");
        ASSERT_EQ(index.size() % 15, 0u);
        ASSERT_GT(index.size(), 300u * 15);
        std::string previous;
        for (size_t at = 0; at < index.size(); at += 15) {
            ASSERT_LE(index[at], 8);
            const std::string name(index.begin() + static_cast<long>(at) + 1,
                                   index.begin() + static_cast<long>(at) + 1 + index[at]);
            EXPECT_LT(previous, name);  // strictly ascending, byte-wise
            for (char c : name) EXPECT_FALSE(c >= 'a' && c <= 'z') << name;
            const uint32_t length = index[at + 9] | (index[at + 10] << 8);
            EXPECT_GT(length, 0u) << name;
            EXPECT_LE(le32(index, at + 11) + uint64_t{length}, data_size) << name;
            previous = name;
        }
    }
}

// Runs the generator again into a fresh folder and compares every file.
TEST(DataSet, TwoRunsGiveTheSameBytes) {
    const std::string out = testsupport::make_temp_dir("dataset");
    const std::string data = testsupport::source_path("data");
    for (const std::string part : {"sons", "figuras", "letras", "difones"}) {
        const std::string command = std::string("\"") + ZIMBALOT_MAKE_DATASET + "\" " + part +
                                    " \"" + data + "\" \"" + out + "\" \"" + ZIMBALOT_DATASET_FONT +
                                    "\"";
        ASSERT_EQ(std::system(command.c_str()), 0) << command;
    }
    size_t compared = 0;
    for (const auto& e : fs::recursive_directory_iterator(out)) {
        if (!e.is_regular_file()) continue;
        const fs::path relative = fs::relative(e.path(), out);
        EXPECT_TRUE(bytes_of(e.path()) == bytes_of(fs::path(kRoot) / relative)) << relative;
        ++compared;
    }
    std::printf("compared %zu files\n", compared);
    EXPECT_GT(compared, 300u);
}

}  // namespace

#endif  // ZIMBALOT_MAKE_DATASET
