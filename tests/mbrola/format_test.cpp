// Phoneme lines and the voice database file.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "mbrola/database.h"
#include "mbrola/lines.h"

namespace {

using mbrola::LineKind;

TEST(PhoneLines, ReadAsWrittenOrRefusedWithAReason) {
    struct Case {
        const char* line;
        LineKind kind;
        const char* symbol;
        double ms;
        std::vector<mbrola::PitchTarget> pitch;
    };
    const Case cases[] = {
        {"a 100 50 120", LineKind::kPhone, "a", 100, {{50, 120}}},
        {"  tS\t62.5 0 110 100 90 \r", LineKind::kPhone, "tS", 62.5, {{0, 110}, {100, 90}}},
        {"a 80 100 90 0 110", LineKind::kPhone, "a", 80, {{0, 110}, {100, 90}}},   // sorted
        {"a 80 150 90 -5 110", LineKind::kPhone, "a", 80, {{0, 110}, {100, 90}}},  // clamped
        {"_ 200 ; a pause", LineKind::kPhone, "_", 200, {}},
        {"e +40", LineKind::kPhone, "e", 40, {}},
        {"", LineKind::kEmpty, "", 0, {}},
        {"   ; only a comment", LineKind::kEmpty, "", 0, {}},
        {"#", LineKind::kFlush, "", 0, {}},
        {" # ; flush", LineKind::kFlush, "", 0, {}},
        {"# 10", LineKind::kError, "", 0, {}},
        {"a", LineKind::kError, "", 0, {}},
        {"a x", LineKind::kError, "", 0, {}},
        {"a -1", LineKind::kError, "", 0, {}},
        {"a 30001", LineKind::kError, "", 0, {}},
        {"a nan", LineKind::kError, "", 0, {}},
        {"a 100 50", LineKind::kError, "", 0, {}},
        {"a 100 50 5", LineKind::kError, "", 0, {}},
        {"a 100 50 5000", LineKind::kError, "", 0, {}},
        {"a 100 50 1e999", LineKind::kError, "", 0, {}},
        {"abcdefghijklmnop 100", LineKind::kError, "", 0, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        const mbrola::ParsedLine p = mbrola::parse_line(c.line);
        ASSERT_EQ(p.kind, c.kind) << p.error;
        if (c.kind == LineKind::kError) {
            EXPECT_FALSE(p.error.empty());
        }
        if (c.kind != LineKind::kPhone) continue;
        EXPECT_EQ(p.phone.symbol, c.symbol);
        EXPECT_DOUBLE_EQ(p.phone.duration_ms, c.ms);
        ASSERT_EQ(p.phone.pitch.size(), c.pitch.size());
        for (size_t i = 0; i < c.pitch.size(); ++i) {
            EXPECT_DOUBLE_EQ(p.phone.pitch[i].position_percent, c.pitch[i].position_percent);
            EXPECT_DOUBLE_EQ(p.phone.pitch[i].hz, c.pitch[i].hz);
        }
    }
    // More than 64 targets is refused.
    std::string many = "a 100";
    for (int i = 0; i < 65; ++i) many += " 50 100";
    EXPECT_EQ(mbrola::parse_line(many).kind, LineKind::kError);
}

mbrola::Database small_database() {
    mbrola::Database db;
    db.info = "test";
    db.phonemes = {"_", "a"};
    for (uint16_t l = 0; l < 2; ++l)
        for (uint16_t r = 0; r < 2; ++r) {
            mbrola::Diphone d;
            d.left = l;
            d.right = r;
            d.first_sample = static_cast<uint32_t>(db.samples.size());
            d.sample_count = 400;
            d.boundary = 200;
            d.first_mark = static_cast<uint32_t>(db.marks.size());
            d.mark_count = 4;
            for (uint32_t m = 0; m < 4; ++m) db.marks.push_back({m * 100 + 50, m % 2 == 0});
            for (int i = 0; i < 400; ++i)
                db.samples.push_back(static_cast<int16_t>(i * (l + r) - 300));
            db.diphones.push_back(d);
        }
    return db;
}

TEST(VoiceDatabase, WrittenAndReadBack) {
    const mbrola::Database db = small_database();
    const std::vector<uint8_t> bytes = mbrola::encode_database(db);
    mbrola::Database back;
    std::string error;
    ASSERT_TRUE(mbrola::decode_database(bytes.data(), bytes.size(), back, error)) << error;
    EXPECT_EQ(back.info, "test");
    EXPECT_EQ(back.phonemes, db.phonemes);
    EXPECT_EQ(back.samples, db.samples);
    ASSERT_EQ(back.marks.size(), db.marks.size());
    EXPECT_TRUE(back.marks[2].voiced);
    EXPECT_EQ(back.marks[3].offset, 350u);
    ASSERT_NE(back.find(1, 0), nullptr);
    EXPECT_EQ(back.find(1, 0)->first_sample, 800u);
    EXPECT_EQ(back.find(2, 0), nullptr);
}

TEST(VoiceDatabase, EveryDamagedFileIsRefused) {
    const std::vector<uint8_t> good = mbrola::encode_database(small_database());
    mbrola::Database db;
    std::string error;
    // Cut anywhere.
    for (size_t n = 0; n < good.size(); n += 7) {
        EXPECT_FALSE(mbrola::decode_database(good.data(), n, db, error)) << n;
    }
    // Fields that point outside the file or break the order.
    struct Patch {
        size_t at;
        uint8_t value;
        const char* why;
    };
    const size_t header = 8 + 12 + 2 + 4;     // mark, version/rate/pitch, info
    const size_t names = header + 2 + 2 + 2;  // two one-letter names
    const size_t table = names + 4;           // first diphone record
    const size_t marks = table + 4 * 24 + 4;  // first mark
    const Patch patches[] = {
        {0, 'X', "mark"},
        {8, 2, "version"},
        {13, 0, "rate"},
        {header + 1, 2, "phoneme count"},
        {header + 2, 0, "empty name"},
        {table, 9, "unknown phoneme"},
        {table + 4 + 3, 0x7F, "first sample"},
        {table + 13, 0xFF, "boundary"},
        {table + 16 + 3, 0x10, "first mark"},
        {table + 20, 0, "no marks"},
        {marks, 0xF0, "mark past the next"},
        {marks + 4, 0, "marks out of order"},
        {names, 0xFF, "diphone count"},
    };
    for (const Patch& p : patches) {
        std::vector<uint8_t> bad = good;
        bad[p.at] = p.value;
        EXPECT_FALSE(mbrola::decode_database(bad.data(), bad.size(), db, error)) << p.why;
    }
}

}  // namespace
