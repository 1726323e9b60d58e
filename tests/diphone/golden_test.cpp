// The phoneme strings the shipped rules and exceptions (data/regras.rgr,
// data/portug.exc) give for a reviewed set of words and sentences, so that a
// change to the rules shows its effect in review. Each line of
// tests/diphone/golden/pronuncia.txt is "text | phoneme string" (UTF-8).
// After a deliberate rules change, rewrite the file and review its diff:
//   ZIMBALOT_GOLDEN_WRITE=1 build/tests/diphone_tests --gtest_filter='Golden.*'
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "diphone/letter_to_sound.h"
#include "diphone/rules.h"
#include "host/text.h"

namespace {

const std::string kSource = ZIMBALOT_SOURCE_DIR;
const std::string kGolden = kSource + "/tests/diphone/golden/pronuncia.txt";

std::string read_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

diphone::Lexicon shipped_lexicon() {
    diphone::Lexicon lexicon;
    // The sources are UTF-8; the data set holds them in Windows-1252.
    diphone::parse_diphone_rules(host::utf8_to_cp1252(read_file(kSource + "/data/regras.rgr")),
                                 lexicon.rules);
    diphone::parse_diphone_exceptions(host::utf8_to_cp1252(read_file(kSource + "/data/portug.exc")),
                                      lexicon.exceptions);
    return lexicon;
}

std::string phonemes_of(const diphone::Lexicon& lexicon, const std::string& utf8) {
    return host::cp1252_to_utf8(diphone::convert_to_phonemes(lexicon, host::utf8_to_cp1252(utf8)));
}

TEST(Golden, ShippedRulesGiveTheReviewedPhonemes) {
    const diphone::Lexicon lexicon = shipped_lexicon();
    ASSERT_GT(lexicon.exceptions.size(), 0u);
    std::istringstream in(read_file(kGolden));
    ASSERT_TRUE(in.good()) << kGolden;
    const bool write = std::getenv("ZIMBALOT_GOLDEN_WRITE") != nullptr;
    std::string line, rewritten;
    int checked = 0;
    while (std::getline(in, line)) {
        const size_t bar = line.rfind(" | ");
        if (line.empty() || line[0] == '#') {
            rewritten += line + "\n";
            continue;
        }
        // A line without a phoneme string yet is filled in by the write mode.
        const std::string text = bar == std::string::npos ? line : line.substr(0, bar);
        const std::string got = phonemes_of(lexicon, text);
        rewritten += text + " | " + got + "\n";
        if (!write) {
            EXPECT_EQ(bar == std::string::npos ? "" : line.substr(bar + 3), got) << text;
        }
        ++checked;
    }
    EXPECT_GE(checked, 200);
    if (write) std::ofstream(kGolden, std::ios::binary | std::ios::trunc) << rewritten;
}

}  // namespace
