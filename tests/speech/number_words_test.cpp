#include <gtest/gtest.h>

#include "host/text.h"
#include "speech/speech.h"

namespace {

std::string words(uint64_t value) {
    return host::cp1252_to_utf8(speech::recorded_number_words(value));
}

TEST(RecordedNumberWords, Table) {
    struct Case {
        uint64_t value;
        const char* expected;
    };
    const Case cases[] = {
        {0, "zero"},
        {1, "um"},
        {10, "dez"},
        {17, "dezessete"},
        {20, "vinte"},
        {21, "vinte e um"},
        {100, "cem"},
        {101, "cento e um"},
        {110, "cento e dez"},
        {1000, "mil "},
        {1005, "mil e cinco"},
        {1100, "mil e cem"},
        {2000, "dois mil "},
        {2512, "dois mil e quinhentos e doze"},
        {999999, "novecentos e noventa e nove mil e novecentos e noventa e nove"},
        {1000000, "um milhão "},
        {2000000, "dois milhões "},
        {1000001, "um milhão e um"},
        {1000000000000ull, "um trilhão "},
        {999999999999999ull,
         "novecentos e noventa e nove trilhões novecentos e noventa e nove bilhões "
         "novecentos e noventa e nove milhões novecentos e noventa e nove mil e "
         "novecentos e noventa e nove"},
    };
    for (const Case& c : cases) EXPECT_EQ(words(c.value), c.expected) << c.value;
}

TEST(RecordedNumberWords, BeyondFifteenDigitsOnlyTheLastFifteenCount) {
    EXPECT_EQ(words(1000000000000005ull), "cinco");
}

TEST(RecordedGroupWords, TableAndJoinReport) {
    struct Case {
        const char* digits;
        const char* expected;
        bool joined;
    };
    const Case cases[] = {
        {"000", "", false},
        {"100", "cem", false},
        {"121", "cento e vinte e um", true},
        {"200", "duzentos", false},
        {"110", "cento e dez", true},
        {"021", "vinte e um", true},
        {"005", "cinco", false},
        {"015", "quinze", false},
        {"090", "noventa", false},
        {"x12", "", false},
    };
    for (const Case& c : cases) {
        bool joined = !c.joined;
        EXPECT_EQ(speech::recorded_group_words(c.digits, &joined), c.expected) << c.digits;
        EXPECT_EQ(joined, c.joined) << c.digits;
    }
}

TEST(UpperCaseWord, AsciiAndTheUpperHalf) {
    EXPECT_EQ(speech::upper_case_word("www.A1z"), "WWW.A1Z");
    // ç and ã (231, 227) lose 32; ª (170) and × (215) stay; ÿ (255) becomes 223.
    EXPECT_EQ(speech::upper_case_word("\xE7\xE3\xAA\xD7\xFF"), "\xC7\xC3\xAA\xD7\xDF");
}

}  // namespace
