#include "vedra/prosody.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/text.h"

namespace {

using vedra::DiphoneList;
using vedra::Prosody;

// Prosody files are Windows-1252; the tests write them in UTF-8.
std::string cp(std::string_view utf8) {
    return host::w1252(utf8);
}

struct Loaded {
    bool ok = false;
    std::vector<std::string> messages;
    Prosody prosody;
};

Loaded load(std::string_view utf8_text) {
    Loaded out;
    out.ok = out.prosody.parse(cp(utf8_text), [&](std::string_view m) {
        out.messages.push_back(host::cp1252_to_utf8(m));
    });
    return out;
}

const char* const usual =
    "[DURAÇÃO]\na = 100\nk=60\n\n* comment\n;comment\n_,=200\n"
    "[CHAVES]\nde=pr\nàs=prx\n"
    "[PROSÓDIA]\nhertz= 200\nTABHERTZ=0,10,20,30,40,50,60,70,80,90,99\n|XX|..=542\n";

TEST(Prosody, SectionsInAnyOrderLoadAlike) {
    const Loaded a = load(usual);
    const Loaded b = load(
        "[PROSÓDIA]\nHERTZ=200\nTABHERTZ=0,10,20,30,40,50,60,70,80,90\n|XX|..=542\n"
        "[CHAVES]\nàs=PR\nde=PR\n"
        "[DURAÇÃO]  \n_,=200\nk=60\na=100\n");
    for (const Loaded* l : {&a, &b}) {
        ASSERT_TRUE(l->ok);
        EXPECT_TRUE(l->messages.empty());
        EXPECT_EQ(l->prosody.phoneme_duration("a"), 100);
        EXPECT_EQ(l->prosody.phoneme_duration("k"), 60);
        EXPECT_EQ(l->prosody.phoneme_duration("_,"), 200);
        EXPECT_EQ(l->prosody.phoneme_duration("x"), 100);  // absent
        EXPECT_EQ(l->prosody.base_pitch_hz, 200);
        EXPECT_EQ(l->prosody.pitch_scale[9], 90);  // the eleventh value is ignored
        EXPECT_EQ(l->prosody.keyword_category("DE"), "PR");
        // Locale-aware upper-casing: a lower-case accented keyword is found.
        EXPECT_EQ(l->prosody.keyword_category(cp("ÀS")), "PR");
        EXPECT_EQ(l->prosody.keyword_category(cp("às")), "PR");
        EXPECT_EQ(l->prosody.keyword_category("casa"), "");
        ASSERT_EQ(l->prosody.patterns().size(), 1u);
        EXPECT_EQ(l->prosody.patterns()[0].middle, "XX");
        EXPECT_EQ(l->prosody.patterns()[0].code, "542");
    }
}

TEST(Prosody, FailuresShowTheirMessage) {
    struct Case {
        const char* text;
        bool ok;
        const char* message;  // "" = none
    };
    const Case cases[] = {
        {"[CHAVES]\n[PROSÓDIA]\n", false, "Duração dos difones errada ou ausente"},
        {"[DURAÇÃO]\n[PROSÓDIA]\n", false, "Prosódia: palavras chaves ausentes"},
        {"[DURAÇÃO]\n[CHAVES]\n", false, "Prosódia: especificações ausentes"},
        {"[DURAÇÃO]\nax 100\n[CHAVES]\n[PROSÓDIA]\n", false,
         "Configuração da prosódia: fonema errado: ax 100"},
        {"[DURAÇÃO]\n[CHAVES]\nde PR\n[PROSÓDIA]\n", false,
         "Configuração da prosódia: chave errada: de PR"},
        {"[DURAÇÃO]\n[CHAVES]\n[PROSÓDIA]\n|XX| 555\n", false,
         "Configuração da prosódia: chave errada: |XX| 555"},
        // A value that is not a number only warns; the entry gets 100.
        {"[DURAÇÃO]\na=cem\n[CHAVES]\n[PROSÓDIA]\n", true,
         "Configuração da prosódia: fonema errado: a=cem"},
        // A bad HERTZ or TABHERTZ fails without a message of its own.
        {"[DURAÇÃO]\n[CHAVES]\n[PROSÓDIA]\nHERTZ=alto\n", false, ""},
        {"[DURAÇÃO]\n[CHAVES]\n[PROSÓDIA]\nTABHERTZ=1,2,3\n", false, ""},
        {"[DURAÇÃO]\n[CHAVES]\n[PROSÓDIA]\nHERTZ=-5\n", false, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const Loaded l = load(c.text);
        EXPECT_EQ(l.ok, c.ok);
        if (*c.message) {
            ASSERT_EQ(l.messages.size(), 1u);
            EXPECT_EQ(l.messages[0], c.message);
        } else {
            EXPECT_TRUE(l.messages.empty());
        }
    }
    const Loaded warned = load(cases[6].text);
    EXPECT_EQ(warned.prosody.phoneme_duration("a"), 100);
}

TEST(Prosody, MissingFileShowsItsMessage) {
    struct NoFiles : host::Files {
        std::unique_ptr<host::InputFile> open_read(std::string_view) override { return nullptr; }
        bool read_whole(std::string_view, std::vector<uint8_t>&) override { return false; }
        bool write_whole(std::string_view, const std::vector<uint8_t>&) override { return false; }
        bool file_exists(std::string_view) override { return false; }
        bool directory_exists(std::string_view) override { return false; }
        std::string current_directory() override { return "/"; }
        bool set_current_directory(std::string_view) override { return false; }
        std::string windows_folder() override { return "/"; }
        std::string native_path(std::string_view p) override { return std::string(p); }
    } files;
    Prosody prosody;
    std::vector<std::string> messages;
    EXPECT_FALSE(prosody.load_prosody(files, "portug.pro", [&](std::string_view m) {
        messages.push_back(host::cp1252_to_utf8(m));
    }));
    EXPECT_EQ(messages, std::vector<std::string>{"Configuração da prosódia não foi achada"});
    DiphoneList list;
    EXPECT_FALSE(list.load_diphone_list(files, "portug.dfn"));
}

TEST(Prosody, DefaultsLimitsAndSort) {
    // No HERTZ and no TABHERTZ: 230 and an all-zero scale.
    Loaded l = load("[DURAÇÃO]\n[CHAVES]\n[PROSÓDIA]\nXX||=?31\n");
    ASSERT_TRUE(l.ok);
    EXPECT_EQ(l.prosody.base_pitch_hz, 230);
    for (int s : l.prosody.pitch_scale) EXPECT_EQ(s, 0);
    // One "|": the right field is empty and so matches anything.
    ASSERT_EQ(l.prosody.patterns().size(), 1u);
    EXPECT_EQ(l.prosody.patterns()[0].left, "XX");
    EXPECT_EQ(l.prosody.patterns()[0].right, "");

    // A later load without TABHERTZ keeps the scale of the earlier one.
    Prosody p;
    ASSERT_TRUE(
        p.parse(cp("[DURAÇÃO]\n[CHAVES]\n[PROSÓDIA]\nTABHERTZ=1,2,3,4,5,6,7,8,9,10\n"), nullptr));
    ASSERT_TRUE(p.parse(cp("[DURAÇÃO]\n[CHAVES]\n[PROSÓDIA]\n"), nullptr));
    EXPECT_EQ(p.pitch_scale[9], 10);

    // Limits: 100 durations, 1000 keywords, 300 patterns; keywords sorted.
    std::string text = "[DURAÇÃO]\n";
    for (int i = 0; i < 120; ++i) text += "d" + std::to_string(i) + "=" + std::to_string(i) + "\n";
    text += "[CHAVES]\n";
    for (int i = 1100; i > 0; --i) text += "w" + std::to_string(i) + "=K\n";
    text += "[PROSÓDIA]\n";
    for (int i = 0; i < 320; ++i) text += "|X" + std::to_string(i % 10) + "|=123\n";
    text += "pattern without equals\n";  // past the 300th: ignored
    l = load(text);
    ASSERT_TRUE(l.ok);
    EXPECT_EQ(l.prosody.durations().size(), 100u);
    EXPECT_EQ(l.prosody.keywords().size(), 1000u);
    EXPECT_EQ(l.prosody.patterns().size(), 300u);
    EXPECT_TRUE(std::is_sorted(l.prosody.keywords().begin(), l.prosody.keywords().end(),
                               [](const vedra::KeywordEntry& a, const vedra::KeywordEntry& b) {
                                   return a.word < b.word;
                               }));
    EXPECT_EQ(l.prosody.keyword_category("w1100"), "K");
    EXPECT_EQ(l.prosody.keyword_category("w100"), "");  // beyond the 1000th line
    // Symbols are cut to 2 characters: "d1" holds 1, found before "d10".."d19".
    EXPECT_EQ(l.prosody.phoneme_duration("d1"), 1);
}

TEST(DiphoneList, CaseSeparatorsAndComments) {
    DiphoneList list;
    list.parse("! comment\n* comment\n; comment\n\n  A-b  \na~ p\nR2\t_\nt+S\nz\n");
    struct Case {
        const char* first;
        const char* second;
        bool found;
    };
    const Case cases[] = {
        {"a", "b", true}, {"A", "B", true}, {"a~", "p", true}, {"r2", "_", true}, {"t", "S", true},
        {"t", "s", true}, {"z", "", true},  {"a", "p", false}, {"b", "a", false}, {"tS", "", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(list.has_diphone(c.first, c.second), c.found) << c.first << "-" << c.second;
    EXPECT_EQ(list.entries().size(), 5u);
}

}  // namespace
