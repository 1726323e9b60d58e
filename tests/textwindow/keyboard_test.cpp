#include "textwindow/keyboard.h"

#include <gtest/gtest.h>

#include <string>

#include "host/messages.h"

namespace textwindow {
namespace {

namespace vk = host::vk;

TEST(KeyTables, EveryExtendedKeyWithAndWithoutCtrl) {
    struct Case {
        uint16_t key;
        int code;
        int ctrl_code;
    };
    const Case cases[] = {
        {vk::insert, 82, 255}, {vk::del, 83, 83},    {vk::home, 71, 119}, {vk::end, 79, 117},
        {vk::prior, 73, 132},  {vk::next, 81, 118},  {vk::up, 72, 113},   {vk::down, 80, 114},
        {vk::left, 75, 115},   {vk::right, 77, 116},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(extended_key_code(c.key, false, false), c.code) << c.key;
        EXPECT_EQ(extended_key_code(c.key, true, false), c.ctrl_code) << c.key;
        EXPECT_EQ(extended_key_code(c.key, true, true), c.ctrl_code) << c.key;
    }
    for (int n = 0; n < 12; ++n) {
        EXPECT_EQ(extended_key_code(vk::f1 + n, false, false), 59 + n);
        EXPECT_EQ(extended_key_code(vk::f1 + n, true, false), 94 + n);
    }
    // Shift changes Insert alone, and only without Ctrl.
    EXPECT_EQ(extended_key_code(vk::insert, false, true), 254);
    EXPECT_EQ(extended_key_code(vk::del, false, true), 83);
    for (uint16_t key : {vk::escape, vk::enter, vk::space, uint16_t{'A'}, uint16_t{'5'},
                         uint16_t{vk::f1 - 1}, uint16_t{vk::f12 + 1}})
        EXPECT_EQ(extended_key_code(key, false, false), -1) << key;
}

TEST(KeyTables, EveryAltLetterAndDigit) {
    const std::string letters = "ABCDEFGHIJKLMNOPQRSTUVWXYZ";
    const int scan[] = {30, 48, 46, 32, 18, 33, 34, 35, 23, 36, 37, 38, 50,
                        49, 24, 25, 16, 19, 31, 20, 22, 47, 17, 45, 21, 44};
    for (size_t i = 0; i < letters.size(); ++i)
        EXPECT_EQ(alt_key_code(static_cast<uint16_t>(letters[i])), scan[i]) << letters[i];
    for (int d = 1; d <= 9; ++d) EXPECT_EQ(alt_key_code(static_cast<uint16_t>('0' + d)), 119 + d);
    EXPECT_EQ(alt_key_code('0'), 129);
    for (uint16_t key : {uint16_t{'@'}, uint16_t{'['}, uint16_t{'/'}, uint16_t{':'}, vk::left})
        EXPECT_EQ(alt_key_code(key), -1) << key;
}

TEST(KeyQueue, KeepsTheFirst64AndNeedsTwoPlacesForAPair) {
    KeyQueue q;
    for (int i = 0; i < 65; ++i) q.push(static_cast<uint8_t>(i + 1));
    ASSERT_EQ(q.size(), 64u);
    EXPECT_FALSE(q.push_extended(9));
    for (int i = 0; i < 64; ++i) EXPECT_EQ(q.pop(), i + 1);
    EXPECT_EQ(q.pop(), 0);  // empty

    for (int i = 0; i < 63; ++i) q.push('x');
    EXPECT_FALSE(q.push_extended(30));
    EXPECT_EQ(q.size(), 63u);
    q.pop();
    EXPECT_TRUE(q.push_extended(30));
    EXPECT_EQ(q.size(), 64u);
}

// Dots as written in Braille ("124" = dots 1, 2 and 4) to chord bits.
uint8_t dots(const char* written) {
    uint8_t bits = 0;
    for (const char* p = written; *p; ++p) bits |= static_cast<uint8_t>(1 << (*p - '1'));
    return bits;
}

TEST(BrailleTable, LettersSignsAndAccents) {
    const struct {
        const char* written;
        uint8_t expected;
    } cases[] = {
        {"1", 'a'},      {"12", 'b'},      {"14", 'c'},     {"145", 'd'},  {"1234", 'p'},
        {"2456", 'w'},   {"13456", 'y'},   {"1356", 'z'},   {"46", '{'},   {"3456", '#'},
        {"12346", 0xE7}, {"123456", 0xE9}, {"12356", 0xE1}, {"345", 0xE3}, {"34", 0xED},
        {"5", '~'},      {"3", '\''},      {"36", '-'},     {"", ' '},     {"6", 0xFD},
    };
    for (const auto& c : cases)
        EXPECT_EQ(braille_character(dots(c.written)), c.expected) << c.written;
}

// Presses and releases keys on a chord machine, collecting what it produces.
struct Typist {
    BrailleChords chords;
    int mode = 1;
    std::string out;
    void down(uint16_t key) {
        if (chord_bit(key)) chords.press(chord_bit(key));
    }
    void up(uint16_t key, bool ctrl = false) {
        const auto r = chords.release(key, ctrl, mode);
        if (r.character != no_character) out.push_back(static_cast<char>(r.character));
    }
    // Every key of the chord down, then all up in order.
    void chord(const std::string& keys) {
        for (char k : keys) down(static_cast<uint16_t>(k));
        for (char k : keys) up(static_cast<uint16_t>(k));
    }
};

TEST(BrailleChords, ChordFinishesOnlyWhenTheLastKeyIsUp) {
    Typist t;
    t.down('F');
    t.down('D');
    EXPECT_EQ(t.chords.phase(), BrailleChords::Phase::collecting);
    t.up('F');
    EXPECT_EQ(t.out, "");  // D still held
    t.down('J');           // joins the same chord
    t.up('D');
    t.up('J');
    EXPECT_EQ(t.out, "f");  // dots 1-2-4
    EXPECT_EQ(t.chords.phase(), BrailleChords::Phase::idle);
    t.chord("A");  // not a chord key: an empty chord, a blank
    EXPECT_EQ(t.out, "f ");
}

TEST(BrailleChords, SpaceChords) {
    Typist t;
    t.chord(" ");
    t.chord("FD ");  // the table's "b", as a control character
    t.chord("DJ ");  // "i" = 105 -> 9
    EXPECT_EQ(t.out, std::string(" \x02\x09"));
}

TEST(BrailleChords, ModeOneHasNoContractions) {
    Typist t;
    t.chord("SJKL");  // number sign
    t.chord("F");
    t.chord("JL");  // capital sign
    t.chord("F");
    EXPECT_EQ(t.out, "#a{a");
}

TEST(BrailleChords, ModeTwoNumbers) {
    Typist t;
    t.mode = 2;
    t.chord("SJKL");
    t.chord("F");
    t.chord("FD");
    t.chord("S");    // "'" is the decimal point
    t.chord("DJK");  // "j" is 0
    t.chord("K");    // "~" ends number mode and is itself queued
    t.chord("F");
    EXPECT_EQ(t.out, "12.0~a");
}

TEST(BrailleChords, ModeTwoCapitalsAndTheirLock) {
    Typist t;
    t.mode = 2;
    t.chord("JL");
    t.chord("F");
    t.chord("F");
    EXPECT_EQ(t.out, "Aa");

    t.out.clear();
    t.chord("JL");
    t.chord("JL");
    t.chord("FD");
    t.chord("FJ");
    t.chord("A");  // a blank does not end the lock
    t.chord("FJ");
    EXPECT_EQ(t.out, "BC C");
    EXPECT_TRUE(t.chords.capitals_locked());

    t.chord("F ");  // a space chord ends it
    t.chord("F");
    EXPECT_EQ(t.out, std::string("BC C\x01", 5) + "a");

    struct Ender {
        uint16_t key;
        bool ctrl;
    };
    for (const Ender e : {Ender{vk::enter, false}, Ender{'F', true}, Ender{vk::shift, false}}) {
        t.out.clear();
        t.chord("JL");
        t.chord("JL");
        t.up(e.key, e.ctrl);  // another key, or one with Ctrl, clears every flag
        t.chord("F");
        EXPECT_EQ(t.out, "a") << e.key;
    }
}

}  // namespace
}  // namespace textwindow
