#include "vedra/transcribe.h"

#include <gtest/gtest.h>

#include <string>

#include "host/native.h"
#include "host/text.h"
#include "support.h"

namespace {

using host::w1252;

vedra::RuleTable rules_from(std::string_view content) {
    vedra::RuleTable rules;
    vedra::parse_rules(w1252(content), rules);
    return rules;
}

// The phoneme lines of one word, blank-separated ("" for none).
std::string word_phonemes(const vedra::RuleTable& rules, std::string_view word, size_t stressed) {
    vedra::PhonemeScript script;
    vedra::transcribe_word(w1252(word), stressed, rules, script);
    EXPECT_FALSE(script.empty());
    EXPECT_EQ(script.back(), "") << word;  // the separator line
    std::string out;
    for (size_t i = 0; i + 1 < script.size(); ++i) out += (out.empty() ? "" : " ") + script[i];
    return host::cp1252_to_utf8(out);
}

// Every letter to itself in lower case, after the rules under test.
const char* const plain_letters =
    "(A)=a\n(B)=b\n(C)=c\n(D)=d\n(E)=e\n(I)=i\n(L)=l\n(M)=m\n(N)=n\n(O)=o\n(R)=r\n(S)=s\n"
    "(T)=t\n(U)=u\n(É)=E\n";

TEST(Rules, ContextSymbols) {
    const struct {
        const char* rule;
        const char* word;
        const char* phonemes;
    } cases[] = {
        // left context, read from its last symbol
        {"#(T)=X", "AT", "a X"},
        {"#(T)=X", "ST", "s t"},
        {"#(T)=X", "T", "t"},
        {"](T)=X", "OT", "o X"},
        {"](T)=X", "ET", "e t"},
        {"_(T)=X", "T", "X"},
        {"_(T)=X", "IT", "i X"},
        {"_(T)=X", "ST", "s t"},
        {"|(T)=X", "NT", "n X"},
        {"|(T)=X", "LT", "l t"},
        {"%(T)=X", "T", "X"},
        {"%(T)=X", "AT", "a t"},
        {"%S(T)=X", "ST", "s X"},
        {"%S(T)=X", "AST", "a s t"},
        {"A#(T)=X", "AET", "a e X"},  // symbols read from the last towards the first
        {"A#(T)=X", "EAT", "e a t"},
        // right context, read from its first symbol
        {"(T)#=X", "TA", "X a"},
        {"(T)#=X", "T", "t"},
        {"(T)+=X", "TI", "X i"},
        {"(T)+=X", "TO", "t o"},
        {"(T)&=X", "TL", "X l"},
        {"(T)&=X", "TB", "t b"},
        {"(T)\\%=X", "T", "X"},
        {"(T)\\%=X", "TS", "X s"},
        {"(T)\\%=X", "TSS", "t s s"},
        {"(T)*A=X", "TBA", "t b a"},  // "*" does not step over the consonant
        {"(T)*B=X", "TB", "X b"},
        {"(T)*=X", "TR", "t r"},  // not a liquid
        {"(T)[=X", "T", "X"},
        {"(T)[=X", "TB", "X b"},
        {"(T)[=X", "TA", "t a"},
        {"(T)%=X", "T", "X"},
        {"(T)%=X", "TA", "t a"},
        {"(T)S%=X", "TS", "X s"},
        // the centre must lie inside the word
        {"(TA)=X", "T", "t"},
        {"(TA)=X", "TAS", "X s"},
        // accented letters belong to the classes
        {"#(T)=X", "ÉT", "E X"},
        {"](T)=X", "ÉT", "E t"},
    };
    for (const auto& c : cases) {
        const auto rules = rules_from(std::string(c.rule) + "\n" + plain_letters);
        EXPECT_EQ(word_phonemes(rules, c.word, 0), c.phonemes) << c.rule << " " << c.word;
    }
}

TEST(Rules, FileOrderLimitsAndComments) {
    // A general rule before a specific one hides it; comments are skipped;
    // lines that would consume nothing are not stored.
    const auto rules = rules_from(
        "; (C)=comentario\n"
        "(C)=k\n"
        "(C)H=S\n"
        "\n"
        "sem parenteses\n"
        "()=nada\n"
        "(H)=\n"
        "(AAAAAAAA)=longo\n"
        "(B)=b1&b2&b3&b4&b5&b6&b7\n"
        "(D)=d|comentario\n"
        "(E)=e&\n");
    EXPECT_EQ(rules.size(), 7u);
    EXPECT_EQ(word_phonemes(rules, "CH", 0), "k");
    EXPECT_EQ(word_phonemes(rules, "AAAAA", 0), "longo");    // the centre is cut to 5
    EXPECT_EQ(word_phonemes(rules, "B", 0), "b1 b2 b3 b4");  // 11 characters of output
    EXPECT_EQ(word_phonemes(rules, "D", 0), "d");
    EXPECT_EQ(word_phonemes(rules, "E", 0), "e ");  // a trailing "&" gives an empty line
}

TEST(Rules, StressMarkGoesOnTheFirstPhonemeAtOrAfterTheStressedLetter) {
    const auto rules = rules_from(std::string("(H)=\n(X)=k&s\n") + plain_letters);
    const struct {
        const char* word;
        size_t stressed;
        const char* phonemes;
    } cases[] = {
        {"CASA", 2, "c >a s a"}, {"CASA", 0, "c a s a"},
        {"CASA", 1, ">c a s a"}, {"AHA", 2, "a >a"},  // the stressed letter writes nothing
        {"AXA", 2, "a >k s a"},                       // only the first phoneme of the rule
        {"AH", 2, "a"},                               // nothing after it: no mark at all
        {"CASA", 9, "c a s a"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(word_phonemes(rules, c.word, c.stressed), c.phonemes) << c.word;
}

TEST(Stress, FindStress) {
    const struct {
        const char* word;
        size_t position;
    } cases[] = {
        {"casa", 2},     {"casas", 2},    {"amor", 3},     {"falam", 2},   {"jardim", 5},
        {"papai", 4},    {"aqui", 4},     {"fui", 2},      {"muito", 2},   {"seguinte", 5},
        {"continua", 7}, {"averigue", 5}, {"urubu", 5},    {"meu", 2},     {"café", 4},
        {"crtz", 0},     {"CASA", 2},     {"ÁRVORE", 1},   {"LÂMPADA", 2}, {"ônibus", 1},
        {"órgão", 1},    {"bênção", 2},   {"mãe", 2},      {"item", 1},    {"homem", 2},
        {"bom", 2},      {"ruim", 3},     {"parabéns", 6}, {"s", 0},       {"", 0},
        {"a", 1},        {"ua", 2},       {"praia", 3},    {"meio", 2},    {"maiores", 4},
        {"saiam", 2},    {"qui", 3},      {"lingüiça", 6}, {"hífen", 2},   {"aguentam", 4},
        {"guia", 3},
    };
    for (const auto& c : cases) EXPECT_EQ(vedra::find_stress(w1252(c.word)), c.position) << c.word;
}

TEST(Stress, UnstressedWords) {
    for (const char* word : {"A", "DE", "EM", "POR", "DAS", "DOS", "COM", "NÃO", "SIM", ""})
        EXPECT_TRUE(vedra::is_unstressed_word(w1252(word))) << word;
    for (const char* word : {"PAI", "NÃOS", "CASA", "por", "SÓ3"})
        EXPECT_FALSE(vedra::is_unstressed_word(w1252(word))) << word;
}

// The test rules write "r2"/"s2" at the end of a word, as the shipped ones do.
const char* const linking_rules =
    "(R)%=r2\n(S)%=s2\n(A)=a\n(M)=m\n(O)=o\n(U)=u\n(T)=t\n(R)=r\n(Z)=z\n(L)=l\n(E)=e\n(C)=k\n"
    "(S)=s\n(B)=b\n(I)=i\n(Y)=y\n(D)=d\n";

vedra::PhonemeScript script_of(const vedra::TokenList& tokens,
                               const vedra::ExceptionTable& exceptions = {}) {
    return vedra::transcribe(tokens, rules_from(linking_rules), exceptions);
}

TEST(Transcribe, ScriptLayout) {
    const vedra::PhonemeScript script =
        script_of({"555|", "582|casa", "555|,", "555| ", "555|.", "555|?", "555|!",
                   "555|:", "555|;", "555|(", "555|)", "12", "555|de"});
    const vedra::PhonemeScript expected = {
        ";555|",  "__", "",        ";582|casa", "k",      ">a",     "s",      "a",      "",
        ";555|,", "_,", ";555| ",  ";555|.",    "_.",     ";555|?", "_?",     ";555|!", "_!",
        ";555|:", "_:", ";555|;",  "_;",        ";555|(", "_(",     ";555|)", "_)",     ";12",
        "__",     "",   ";555|de", "d",         "e",      "",       "__"};
    EXPECT_EQ(script, expected);
    EXPECT_EQ(script_of({}), vedra::PhonemeScript{"__"});
}

TEST(Transcribe, ExceptionsGoThroughStressAndRules) {
    vedra::ExceptionTable exceptions;
    vedra::parse_exceptions("mesa=meza\nbolo=bulu\n", exceptions);
    // MESAS is found through MESA, BOLOS through BOLO; the stress is found on
    // the respelling (BULUS ends in U: stressed there).
    EXPECT_EQ(script_of({"555|mesas", "555|bolos"}, exceptions),
              (vedra::PhonemeScript{";555|mesas", "m", ">e", "z", "a", "s2", "", ";555|bolos", "b",
                                    "u", "l", ">u", "s2", "", "__"}));
}

TEST(Transcribe, WordFinalR2AndS2LinkBeforeAVowel) {
    const struct {
        vedra::TokenList tokens;
        size_t line;  // index of the last phoneme of the first word
        const char* phoneme;
    } cases[] = {
        {{"555|mar", "555|azul"}, 3, "r"},
        {{"555|mar", "555|,", "555|azul"}, 3, "r2"},  // a pause lies between
        {{"555|os", "555|outros"}, 2, "z"},           // a stressed vowel links too
        {{"555|mar", "555|bela"}, 3, "r2"},
        {{"555|mas", "555|yes"}, 3, "z"},  // a glide
        {{"555|mas", "555|"}, 3, "s2"},
        {{"555|mar"}, 3, "r2"},
    };
    for (const auto& c : cases) {
        const vedra::PhonemeScript script = script_of(c.tokens);
        ASSERT_GT(script.size(), c.line);
        EXPECT_EQ(script[c.line], c.phoneme) << c.tokens[0] << " " << c.tokens.back();
    }
    // A "¨" before the next word's first phoneme is disregarded.
    vedra::PhonemeScript script = {";1",
                                   "m",
                                   "a",
                                   "r2",
                                   "",
                                   ";2",
                                   "\xA8"
                                   "a",
                                   "",
                                   "__"};
    vedra::link_words(script);
    EXPECT_EQ(script[3], "r");
    // Too short to hold two words: left alone, no reading outside the list.
    for (size_t n = 0; n < 5; ++n) {
        vedra::PhonemeScript short_script(n, ";");
        vedra::link_words(short_script);
        EXPECT_EQ(short_script, vedra::PhonemeScript(n, ";"));
    }
}

TEST(Loading, MissingFileFailsAndReloadReplaces) {
    host::native::Files files;
    const std::string dir = testsupport::make_temp_dir("vedra_rules");
    vedra::RuleTable rules = rules_from("(A)=a\n");
    EXPECT_FALSE(vedra::load_rules(files, dir + "/nada.nrl", rules));
    EXPECT_EQ(rules.size(), 0u);
    testsupport::write_file(dir + "/portug.nrl", "(B)=b\r\n(C)=k\r\n");
    ASSERT_TRUE(vedra::load_rules(files, dir + "/PORTUG.NRL", rules));
    ASSERT_TRUE(vedra::load_rules(files, dir + "/portug.nrl", rules));
    EXPECT_EQ(rules.size(), 2u);
    vedra::free_rules(rules);
    EXPECT_EQ(rules.size(), 0u);
}

}  // namespace

namespace {

// The shipped rules and exceptions, read from their UTF-8 sources.
struct ShippedData {
    vedra::RuleTable rules;
    vedra::ExceptionTable exceptions;
    ShippedData() {
        const auto read = [](const char* name) {
            const std::vector<uint8_t> bytes =
                testsupport::read_file(testsupport::source_path(std::string("data/vedra/") + name));
            return w1252(
                std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
        };
        vedra::parse_rules(read("portug.nrl"), rules);
        vedra::parse_exceptions(read("portug.exc"), exceptions);
    }
};

// The words of a text through the transcriber, phonemes blank-separated and
// words separated by " | ".
std::string shipped_transcription(const ShippedData& data, std::string_view words) {
    vedra::TokenList tokens;
    size_t start = 0;
    const std::string text = w1252(words);
    while (start < text.size()) {
        size_t end = text.find(' ', start);
        if (end == text.npos) end = text.size();
        tokens.push_back("555|" + text.substr(start, end - start));
        start = end + 1;
    }
    const vedra::PhonemeScript script = vedra::transcribe(tokens, data.rules, data.exceptions);
    std::string out;
    for (const std::string& line : script) {
        if (line.starts_with(';') || line == "__") continue;
        if (line.empty()) {
            out += " |";
            continue;
        }
        out += " " + line;
    }
    if (out.ends_with(" |")) out.resize(out.size() - 2);
    return host::cp1252_to_utf8(out.substr(out.empty() ? 0 : 1));
}

}  // namespace

TEST(ShippedRules, BrazilianPortuguese) {
    static const ShippedData data;
    const struct {
        const char* words;
        const char* phonemes;
    } cases[] = {
        // s and z between vowels, before voiced consonants, at the end; "¨" ends
        // the stressed syllable's lengthening at the reduced final vowel
        {"casa mesmo desde nascer passo",
         "k >a z ¨a@ | m >e z m ¨u@ | d >e z dZ ¨i@ | n a s >e r2 | p >a s ¨u@"},
        {"casas feliz vez", "k >a z ¨a@ s2 | f e l >i s2 | v >e s2"},
        // r: tap, strong, final
        {"caro rato carro honra porta falar",
         "k >a r ¨u@ | R >a t ¨u@ | k >a R ¨u@ | >o~ R ¨a@ | p >O r t ¨a@ | f a l >a r2"},
        // ch, x, j, g; a before m or n and a vowel is closed (a@)
        {"chave xícara exame táxi próximo texto caixa enxada excelente",
         "S >a v ¨i@ | S >i k a r ¨a@ | e z >a@ m ¨i@ | t >a k s i | p r >O s i m ¨u@ | "
         "t >e s t ¨u@ | k >a y S ¨a@ | e~ S >a d ¨a@ | e s e l >e~ tS ¨i@"},
        {"gente guerra água girafa jacaré",
         "Z >e~ tS ¨i@ | g >E R ¨a@ | >a g w ¨a@ | Z i r >a f ¨a@ | Z a k a r >E"},
        // lh, nh (an oral i before it), final and pre-consonantal l
        {"filho ninho sol Brasil alto",
         "f >i L ¨u@ | n >i J ¨u@ | s >O w | b r a z >i w | >a w t ¨u@"},
        // t and d before i and the final unstressed e
        {"tia dia noite cidade de",
         "tS >i ¨a@ | dZ >i ¨a@ | n >o y tS ¨i@ | s i d >a dZ ¨i@ | dZ ¨i@"},
        // final unstressed e and o; open and closed e and o
        {"bolo sete café avó você ela janela escola hora olhos",
         "b >o l ¨u@ | s >E tS ¨i@ | k a f >E | a v >O | v o s >e | >E l ¨a@ | "
         "Z a@ n >E l ¨a@ | e s k >O l ¨a@ | >O r ¨a@ | >O L ¨u@ s2"},
        // nasals and nasal diphthongs (the voice's final e~ ends in its own glide)
        {"mãe não pães bem também homens quando mundo cinquenta ainda",
         "m >a~ y | n a~ w | p >a~ y s2 | b >e~ | t a@ m b >e~ | >o m e~ s2 | "
         "k w >a~ d ¨u@ | m >u~ d ¨u@ | s i~ k w >e~ t ¨a@ | a >i~ d ¨a@"},
        // before p and b the nasal is said as m on an oral vowel, not as a velar nasal
        {"campo tempo bombeiro limpo umbigo",
         "k >a@ m p ¨u@ | t >e y m p ¨u@ | b o m b >e y r ¨u@ | l >i m p ¨u@ | u m b >i g ¨u@"},
        // diphthongs, glides and hiatus
        {"pai meio praia céu caiu saúde linguiça",
         "p >a y | m >e y ¨u@ | p r >a y ¨a@ | s >E w | k a >i w | s a >u dZ ¨i@ | "
         "l i~ g w >i s ¨a@"},
        // the final unstressed a, e, o are reduced; the article a, the conjunction e
        // and the a of da, na are not
        {"a casa e as mesas da nas", "a | k >a z ¨a@ | i | a s2 | m >e z ¨a@ s2 | d a | n >a s2"},
        // open e and o in common verb forms, beside a noun that keeps its closed o;
        // ao as a diphthong
        {"escovo escova pesa segue quer olha ao",
         "e s k >O v ¨u@ | e s k >o v ¨a@ | p >E z ¨a@ | s >E g ¨i@ | k >E r2 | >O L ¨a@ | a w"},
        // linking across words
        {"mar azul os outros mar bela",
         "m >a r | a z >u w | ¨u@ z | >o w t r ¨u@ s2 | m >a r2 | b >E l ¨a@"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(shipped_transcription(data, c.words), c.phonemes) << c.words;
}
