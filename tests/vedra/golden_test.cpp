#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

#include "golden_support.h"

namespace {

std::string read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// The stages over the shipped data must give the reviewed files. After an
// intended change: cmake --build build --target vedra_golden, and review the diff.
TEST(Golden, StagesMatchTheReviewedFiles) {
    vedragolden::GoldenTexts texts;
    std::string error;
    ASSERT_TRUE(vedragolden::make_golden(ZIMBALOT_SOURCE_DIR, texts, error)) << error;
    const std::string dir = std::string(ZIMBALOT_SOURCE_DIR) + "/tests/vedra/golden/";
    EXPECT_EQ(texts.normalised, read(dir + "normalizado.txt"));
    EXPECT_EQ(texts.script, read(dir + "roteiro.txt"));
    EXPECT_EQ(texts.mbrola, read(dir + "mbrola.txt"));
}

}  // namespace
