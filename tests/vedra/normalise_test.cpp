#include "vedra/normalise.h"

#include <gtest/gtest.h>

#include <string>

#include "host/text.h"

namespace {

using host::w1252;

vedra::AbbreviationTable test_abbreviations() {
    vedra::AbbreviationTable table;
    vedra::parse_abbreviations("Sr=Senhor\nDr=Doutor\nkg=quilos\nav=Avenida\n", table);
    return table;
}

struct TextCase {
    const char* input;   // UTF-8
    const char* output;  // UTF-8
};

void expect_normalised(const TextCase* begin, const TextCase* end) {
    const auto table = test_abbreviations();
    for (const TextCase* c = begin; c != end; ++c)
        EXPECT_EQ(host::cp1252_to_utf8(vedra::normalise_text(w1252(c->input), table)), c->output)
            << c->input;
}

TEST(NumberWords, Cardinals) {
    const struct {
        uint64_t value;
        const char* words;
    } cases[] = {
        {0, "zero"},
        {7, "sete"},
        {15, "quinze"},
        {21, "vinte e um"},
        {50, "cinqüenta"},
        {100, "cem"},
        {101, "cento e um"},
        {110, "cento e dez"},
        {999, "novecentos e noventa e nove"},
        {1000, "mil "},
        {1001, "mil e um"},
        {1100, "mil e cem"},
        {1200, "mil e duzentos"},
        {1230, "mil duzentos e trinta"},
        {2005, "dois mil e cinco"},
        {100000, "cem mil "},
        {1000005, "um milhão e cinco"},
        {1200000, "um milhão e duzentos mil "},
        {1234567, "um milhão duzentos e trinta e quatro mil quinhentos e sessenta e sete"},
        {2000000, "dois milhões "},
        {2500300, "dois milhões quinhentos mil e trezentos"},
        {1000000000, "um bilhão "},
        {1001000000000, "um trilhão e um bilhão "},
        {999999999999999,
         "novecentos e noventa e nove trilhões novecentos e noventa e nove "
         "bilhões novecentos e noventa e nove milhões novecentos e noventa e "
         "nove mil novecentos e noventa e nove"},
        {1000000000000000,
         "um zero zero zero zero zero zero zero zero zero zero zero zero zero "
         "zero zero"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(host::cp1252_to_utf8(vedra::number_to_words(c.value)), c.words) << c.value;
}

TEST(NumberWords, Groups) {
    const struct {
        const char* digits;
        const char* words;
        bool joined;
    } cases[] = {
        {"000", "", false},      {"100", "cem", false},        {"101", "cento e um", true},
        {"020", "vinte", false}, {"021", "vinte e um", true},  {"110", "cento e dez", true},
        {"013", "treze", false}, {"900", "novecentos", false}, {"1a0", "", false},
        {"12", "", false},       {"1234", "", false},
    };
    for (const auto& c : cases) {
        bool joined = !c.joined;
        EXPECT_EQ(host::cp1252_to_utf8(vedra::group_to_words(c.digits, &joined)), c.words)
            << c.digits;
        EXPECT_EQ(joined, c.joined) << c.digits;
    }
}

TEST(NumberWords, Ordinals) {
    using vedra::Gender;
    const struct {
        uint64_t value;
        Gender gender;
        const char* words;
    } cases[] = {
        {0, Gender::masculine, "zero"},
        {1, Gender::masculine, "primeiro"},
        {2, Gender::feminine, "segunda"},
        {10, Gender::masculine, "décimo"},
        {11, Gender::feminine, "décima primeira"},
        {21, Gender::masculine, "vigésimo primeiro"},
        {100, Gender::feminine, "centésima"},
        {1000, Gender::masculine, "milésimo"},
        {1999, Gender::masculine, "milésimo nongentésimo nonagésimo nono"},
        {1999, Gender::feminine, "milésima nongentésima nonagésima nona"},
        {2000, Gender::feminine, "dois mil "},
    };
    for (const auto& c : cases)
        EXPECT_EQ(host::cp1252_to_utf8(vedra::ordinal_to_words(c.value, c.gender)), c.words)
            << c.value;
}

TEST(ReadNumber, WordsAndStopPosition) {
    const struct {
        const char* text;  // UTF-8, read from its first character
        const char* words;
        size_t stop;  // byte position in the Windows-1252 text
    } cases[] = {
        {"0", "zero", 1},
        {"007", "zero zero sete", 3},
        {"00", "zero zero", 2},
        {"12abc", "doze", 2},
        {"1.000", "mil ", 5},
        {"1.000 reais", "mil ", 5},
        {"1.000.000", "um milhão ", 9},
        {"1.0000", "um", 1},  // four digits after the "." : not a separator
        {"1.00", "um", 1},
        {"1.5", "um", 1},
        {"12-34 x", " um dois traço três quatro", 5},
        {"5-", " cinco traço", 2},
        {"1234567890123456",
         "cento e vinte e três trilhões quatrocentos e cinqüenta e seis "
         "bilhões setecentos e oitenta e nove milhões doze mil trezentos "
         "e quarenta e cinco",
         15},
        {"1º", "primeiro", 2},
        {"01º", "primeiro", 3},  // the zero prefix is dropped for an ordinal
        {"2ª", "segunda", 2},
        {"2a. feira", "segunda", 3},
        {"2a feira", "dois", 1},
        {"3os.", "terceiros", 4},
        {"5as.", "quintas", 4},
        {"2000º", "dois mil ", 5},
        {"2000os.", "dois mil ", 7},  // a cardinal takes no plural "s"
    };
    for (const auto& c : cases) {
        const std::string text = w1252(c.text);
        size_t position = 0;
        EXPECT_EQ(host::cp1252_to_utf8(vedra::read_number(text, position)), c.words) << c.text;
        EXPECT_EQ(position, c.stop) << c.text;
    }
}

TEST(CharacterNames, WholeTableHasNamesExactlyWhereExpected) {
    for (int code = 0; code < 256; ++code) {
        const bool nameless = code < 32 || (code >= 127 && code <= 160) ||
                              (code >= 221 && code <= 223) || code >= 253;
        EXPECT_EQ(vedra::character_name(static_cast<char>(code)).empty(), nameless) << code;
    }
    const struct {
        const char* character;
        const char* name;
    } cases[] = {
        {" ", "espaço"},      {"!", "exclamação"},
        {"%", "porcento"},    {"0", "zéro"},
        {"7", "séte"},        {"9", "nóve"},
        {"@", "arrôba"},      {"A", "a"},
        {"C", " sê"},         {"D", " dê"},
        {"c", " sê"},         {"j", "jota"},
        {"J", "jóta"},        {"n", "ene"},
        {"N", "êne"},         {"z", "zê"},
        {"`", "crase"},       {"{", "abre chave"},
        {"~", "til"},         {"¡", "exclamação reversa"},
        {"°", "grau"},        {"¿", "interrogação reversa"},
        {"À", "A grave"},     {"Ü", "U com trema"},
        {"×", "vezes"},       {"à", "A grave"},
        {"ç", "Cê cedilha"},  {"÷", "vezes"},
        {"ü", "U com trema"},
    };
    for (const auto& c : cases) {
        const std::string character = w1252(c.character);
        ASSERT_EQ(character.size(), 1u);
        EXPECT_EQ(host::cp1252_to_utf8(vedra::character_name(character[0])), c.name) << c.character;
    }
}

TEST(ReadWord, SpellsWordsWithoutVowels) {
    const auto table = test_abbreviations();
    const struct {
        const char* text;
        const char* word;
        size_t stop;
    } cases[] = {
        {"pneu", "pneu", 4},
        {"BH", "bêagá", 2},
        {"CD", " sê dê", 2},
        {"xyz!", "xisípsilonzê", 3},
        {"guarda-chuva", "guarda-chuva", 12},
        {"a--b", "a-", 2},  // one hyphen after a letter
        {"ção", "ção", 3},
        {"Dr. Pedro", "Dr", 2},     // an abbreviation before ". "
        {"Dr.", " dêérre", 2},      // no blank after the ".": spelled
        {"Ml. x", "êmeéle", 2},     // not in the table
        {"s-t", "éssetraçotê", 3},  // hyphens spelled too
    };
    for (const auto& c : cases) {
        const std::string text = w1252(c.text);
        size_t position = 0;
        EXPECT_EQ(host::cp1252_to_utf8(vedra::read_word(text, position, table)), c.word) << c.text;
        EXPECT_EQ(position, c.stop) << c.text;
    }
}

TEST(NormaliseText, Numbers) {
    const TextCase cases[] = {
        {"1.000", "mil  "},
        {"1.000 reais", "mil   reais"},
        {"1.5", "um ponto cinco "},
        {"3,14", "três vírgula quatorze "},
        {"1,5,2", "um vírgula cinco vírgula dois "},
        {"12,", "doze ,"},
        {"007", "zero zero sete "},
        {"-5", "menos cinco "},
        {"5-3", " cinco traço três "},
        {"casa - lar", "casa , lar"},
        {"x-1", "xistraço um "},  // the hyphen belongs to the word
        {"A4 MP3", "A quatro  êmepê três "},
        {"100 101 1000 1001", "cem  cento e um  mil   mil e um "},
        {"2000000", "dois milhões  "},
        {"1º 2ª 3os.", "primeiro  segunda  terceiros "},
        {"2000º", "dois mil  "},
        {"1234567890123456",
         "cento e vinte e três trilhões quatrocentos e cinqüenta e seis "
         "bilhões setecentos e oitenta e nove milhões doze mil trezentos "
         "e quarenta e cinco seis "},
    };
    expect_normalised(std::begin(cases), std::end(cases));
}

TEST(NormaliseText, WordsAbbreviationsAndSymbols) {
    const TextCase cases[] = {
        {"", ""},
        {"?", "interrogação"},
        {"0", "zéro"},
        {"\x7F", ""},
        {"Sr. Silva", "Senhor Silva"},
        {"o Sr.", "o ésseérre."},
        {"5 kg. de arroz", "cinco  quilos de arroz"},
        {"Av.Paulista", "Av ponto Paulista"},
        {"xyz e pneu", "xisípsilonzê e pneu"},
        {"a#e", "a sustenido e"},
        {"a\x7F"
         "e",
         "a  e"},
        {"ca\tsa\nda\r", "casada"},
        {"Oi... tchau.", "Oi...  tchau."},
        {"fim.", "fim."},
        {"ok! (sim); não: talvez?", "ok! (sim); não: talvez?"},
        {"www.ufrj.br", "dábliudábliudábliu ponto ufrj ponto bêérre"},
        {"R$ 5", "érre cifrão  cinco "},
    };
    expect_normalised(std::begin(cases), std::end(cases));
}

}  // namespace
