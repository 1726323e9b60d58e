#include "vedra/normalise.h"

#include <array>
#include <string>

#include "host/text.h"
#include "vedra/text_chars.h"

namespace vedra {
namespace {

// The words of numbers and character names, written here in UTF-8 and held
// as Windows-1252 (built once, read-only afterwards).
struct Words {
    std::array<std::string, 10> units;
    std::array<std::string, 10> teens;
    std::array<std::string, 10> tens;
    std::array<std::string, 10> hundreds;
    std::array<std::string, 4> scale_singular;
    std::array<std::string, 4> scale_plural;
    std::array<std::string, 10> ordinal_units;
    std::array<std::string, 10> ordinal_tens;
    std::array<std::string, 10> ordinal_hundreds;
    std::string ordinal_thousand;
    std::string comma;  // "vírgula "
    std::array<std::string, 256> names;
};

// Names of the codes 32 to 220; lower-case letters and 224-255 are derived.
constexpr std::array<std::string_view, 189> names_32_to_220 = {
    "espaço", "exclamação", "aspas", "sustenido", "cifrão", "porcento", "é comercial", "apóstrofo",
    "abre parênteses", "fecha parênteses", "asterisco", "mais", "vírgula", "traço", "ponto",
    "barra", "zéro", "um", "dois", "três", "quatro", "cinco", "seis", "séte", "oito", "nóve",
    "dois pontos", "ponto e vírgula", "menor que", "igual", "maior que", "interrogação", "arrôba",
    "a", "bê", " sê", " dê", "é", "éfe", "jê", "agá", "i", "jóta", "cá", "éle", "ême", "êne", "ó",
    "pê", "quê", "érre", "ésse", "tê", "u", "vê", "dábliu", "xis", "ípsilon", "zê", "abre colchete",
    "barra invertida", "fecha colchete", "circunflexo", "sublinhado", "crase",
    // 97-122: lower-case letters, filled from the capitals
    "", "", "", "", "", "", "", "", "", "", "", "", "", "", "", "", "", "", "", "", "", "", "", "",
    "", "", "abre chave", "barra vertical", "fecha chave", "til",
    // 127-160: no names
    "", "", "", "", "", "", "", "", "", "", "", "", "", "", "", "", "", "", "", "", "", "", "", "",
    "", "", "", "", "", "", "", "", "", "", "exclamação reversa", "centavos de dólar", "libras",
    "símbolo de moeda", "iene", "barra interrompida", "parágrafo", "trema", "copyright",
    "ordinal feminino", "Aspas esquerdas", "negação", "hífen", "Marca registrada", "mácron", "grau",
    "mais ou menos", "elevado ao quadrado", "elevado ao cubo", "acento agudo", "mi", "pi",
    "ponto no meio", "cedilha", "expoente um", "ordinal masculino", "aspas direitas", "um quarto",
    "um meio", "três quartos", "interrogação reversa", "A grave", "A agudo", "A circunflexo",
    "A com til", "A com trema", "A bola", "A É", "Cê cedilha", "É grave", "É agudo",
    "É circunflexo", "É com trema", "I grave", "I agudo", "I circunflexo", "I com trema",
    "Dê cortado", "N com til", "Ó grave", "Ó agudo", "Ó circunflexo", "Ó com til", "Ó tremado",
    "vezes", "Ó cortado", "U grave", "U agudo", "U circunflexo", "U com trema"};

template <size_t N>
std::array<std::string, N> convert(const std::array<std::string_view, N>& utf8) {
    std::array<std::string, N> out;
    for (size_t i = 0; i < N; ++i) out[i] = host::w1252(utf8[i]);
    return out;
}

Words make_words() {
    Words w;
    w.units = convert<10>(
        {"zero", "um", "dois", "três", "quatro", "cinco", "seis", "sete", "oito", "nove"});
    w.teens = convert<10>({"dez", "onze", "doze", "treze", "quatorze", "quinze", "dezesseis",
                           "dezessete", "dezoito", "dezenove"});
    w.tens = convert<10>({"", "", "vinte", "trinta", "quarenta", "cinqüenta", "sessenta", "setenta",
                          "oitenta", "noventa"});
    w.hundreds = convert<10>({"", "cento", "duzentos", "trezentos", "quatrocentos", "quinhentos",
                              "seiscentos", "setecentos", "oitocentos", "novecentos"});
    w.scale_singular = convert<4>({"trilhão ", "bilhão ", "milhão ", "mil "});
    w.scale_plural = convert<4>({"trilhões ", "bilhões ", "milhões ", "mil "});
    w.ordinal_units = convert<10>({"", "primeiro", "segundo", "terceiro", "quarto", "quinto",
                                   "sexto", "sétimo", "oitavo", "nono"});
    w.ordinal_tens =
        convert<10>({"", "décimo", "vigésimo", "trigésimo", "quadragésimo", "quinquagésimo",
                     "sexagésimo", "septuagésimo", "octagésimo", "nonagésimo"});
    w.ordinal_hundreds = convert<10>({"", "centésimo", "ducentésimo", "tricentésimo",
                                      "quadrigentésimo", "quingentésimo", "seiscentésimo",
                                      "septigentésimo", "octigentésimo", "nongentésimo"});
    w.ordinal_thousand = host::w1252("milésimo");
    w.comma = host::w1252("vírgula ");
    for (size_t code = 32; code <= 220; ++code)
        w.names[code] = host::w1252(names_32_to_220[code - 32]);
    for (size_t code = 'a'; code <= 'z'; ++code) w.names[code] = w.names[code - 32];
    w.names['j'] = "jota";
    w.names['n'] = "ene";
    // 253-255 map onto 221-223, which have no names.
    for (size_t code = 224; code <= 255; ++code) w.names[code] = w.names[code - 32];
    return w;
}

const Words& words() {
    static const Words w = make_words();
    return w;
}

bool is_digit(char c) {
    return c >= '0' && c <= '9';
}

constexpr size_t group_count = 5;
constexpr size_t digit_count = 15;
// A digit is taken into a number only while the value is below this, so a
// number never has more than fifteen digits.
constexpr uint64_t digit_limit = 100'000'000'000'000ULL;

}  // namespace

std::string group_to_words(std::string_view three_digits, bool* joined) {
    if (joined) *joined = false;
    if (three_digits.size() != 3) return "";
    for (const char c : three_digits)
        if (!is_digit(c)) return "";
    const Words& w = words();
    const int h = three_digits[0] - '0';
    const int t = three_digits[1] - '0';
    const int u = three_digits[2] - '0';
    if (h == 0 && t == 0 && u == 0) return "";
    if (h == 1 && t == 0 && u == 0) return "cem";
    std::string out;
    const auto join = [&] {
        out += " e ";
        if (joined) *joined = true;
    };
    if (h != 0) {
        out += w.hundreds[h];
        if (t == 0 && u == 0) return out;
        join();
    }
    if (t == 1) return out + w.teens[u];
    if (t != 0) {
        out += w.tens[t];
        if (u == 0) return out;
        join();
    }
    if (u != 0) out += w.units[u];
    return out;
}

std::string number_to_words(uint64_t value) {
    if (value == 0) return "zero";
    const Words& w = words();
    if (value > max_spoken_number) {
        // No scale word reaches this far: the digits are read one by one.
        std::string out;
        for (const char c : std::to_string(value)) out += w.units[c - '0'] + " ";
        out.pop_back();
        return out;
    }
    const std::string value_digits = std::to_string(value);
    const std::string digits = std::string(digit_count - value_digits.size(), '0') + value_digits;

    std::array<std::string, group_count> parts;
    std::array<bool, group_count> joined{};
    size_t last = group_count;  // the last non-empty part
    for (size_t g = 0; g < group_count; ++g) {
        const std::string_view three = std::string_view(digits).substr(3 * g, 3);
        parts[g] = group_to_words(three, &joined[g]);
        if (g < group_count - 1 && three != "000") {
            parts[g] += ' ';
            parts[g] += three == "001" ? w.scale_singular[g] : w.scale_plural[g];
        }
        if (!parts[g].empty()) last = g;
    }
    std::string out;
    for (size_t g = 0; g < group_count; ++g) {
        // "e" joins the last part to what comes before it, unless that part
        // already has its own "e" (mil duzentos e trinta, but mil e duzentos,
        // um milhão e duzentos mil), as the numbers are said.
        if (g == last && !out.empty() && !joined[g]) out += "e ";
        out += parts[g];
    }
    if (out.starts_with("um mil") && !out.starts_with("um milh")) out.erase(0, 3);
    return out;
}

std::string ordinal_to_words(uint64_t value, Gender gender) {
    if (value >= 2000) return number_to_words(value);
    if (value == 0) return "zero";
    const Words& w = words();
    const std::array<const std::string*, 4> place_words = {
        &w.ordinal_units[value % 10], &w.ordinal_tens[value / 10 % 10],
        &w.ordinal_hundreds[value / 100 % 10], value / 1000 ? &w.ordinal_thousand : nullptr};
    std::string out;
    for (const std::string* word : place_words) {
        if (!word || word->empty()) continue;
        std::string part = *word;
        if (gender == Gender::feminine) part.back() = 'a';
        out = part + " " + out;
    }
    out.pop_back();  // the blank after the last word; value > 0 gives one word at least
    return out;
}

std::string_view character_name(char c) {
    return words().names[static_cast<uint8_t>(c)];
}

std::string read_number(std::string_view text, size_t& position) {
    const Words& w = words();
    const size_t n = text.size();
    size_t run_end = position;
    while (run_end < n && (is_digit(text[run_end]) || text[run_end] == '-')) ++run_end;
    const std::string_view run = text.substr(position, run_end - position);
    if (run.find('-') != run.npos) {
        // Telephone numbers, dates, codes: every character is spelled.
        std::string out;
        for (const char c : run) {
            out += ' ';
            out += c == '-' ? std::string(character_name('-')) : w.units[c - '0'];
        }
        position = run_end;
        return out;
    }

    std::string zeros;
    while (position + 1 < n && text[position] == '0' && is_digit(text[position + 1])) {
        zeros += "zero ";
        ++position;
    }
    uint64_t value = 0;
    while (position < n) {
        const char c = text[position];
        if (is_digit(c)) {
            if (value >= digit_limit) break;
            value = value * 10 + static_cast<uint64_t>(c - '0');
            ++position;
        } else if (c == '.' && position + 3 < n && is_digit(text[position + 1]) &&
                   is_digit(text[position + 2]) && is_digit(text[position + 3]) &&
                   (position + 4 == n || !is_digit(text[position + 4]))) {
            ++position;  // a thousands separator
        } else {
            break;
        }
    }
    if (position >= n || text[position] == ' ') return zeros + number_to_words(value);

    const std::string_view rest = text.substr(position);
    struct Suffix {
        std::string_view text;
        Gender gender;
        bool plural;
    };
    static constexpr Suffix suffixes[] = {
        {"\xBA", Gender::masculine, false}, {"\xAA", Gender::feminine, false},
        {"o.", Gender::masculine, false},   {"a.", Gender::feminine, false},
        {"os.", Gender::masculine, true},   {"as.", Gender::feminine, true}};
    for (const Suffix& suffix : suffixes) {
        if (!rest.starts_with(suffix.text)) continue;
        position += suffix.text.size();
        std::string out = ordinal_to_words(value, suffix.gender);
        // From 2000 on the ordinal is read as a cardinal, which takes no
        // plural "s" (it would be spelled as a letter of its own).
        if (suffix.plural && value < 2000) out += 's';
        return out;
    }
    return zeros + number_to_words(value);
}

std::string read_word(std::string_view text, size_t& position,
                      const AbbreviationTable& abbreviations) {
    const size_t n = text.size();
    const size_t start = position;
    bool all_consonants = true;
    while (position < n && is_word_letter(text[position])) {
        if (!is_consonant_letter(text[position])) all_consonants = false;
        ++position;
        if (position < n && text[position] == '-') ++position;
    }
    const std::string_view word = text.substr(start, position - start);
    if (!all_consonants) return std::string(word);
    // Kept as written only where the walk will expand it ("." and a blank
    // follow); "Sr." at the end of a text has no expansion and is spelled.
    if (position + 1 < n && text[position] == '.' && text[position + 1] == ' ' &&
        abbreviations.find(upper_case(word)))
        return std::string(word);
    std::string out;
    for (const char c : word) out += character_name(c);
    return out;
}

std::string normalise_text(std::string_view text, const AbbreviationTable& abbreviations) {
    if (text.size() == 1) return std::string(character_name(text[0]));
    const Words& w = words();
    const size_t n = text.size();
    std::string out;
    size_t i = 0;
    while (i < n) {
        const char c = text[i];
        if (c == '-' && i > 0 && text[i - 1] == ' ' && i + 1 < n && text[i + 1] == ' ') {
            out += ',';
            ++i;
        } else if (c == '-' && i + 1 < n && is_digit(text[i + 1])) {
            out += "menos ";
            ++i;
        } else if (is_digit(c)) {
            // A number written against a word (A4, MP3, x-1) is a word of its own.
            if (!out.empty() && (is_word_letter(out.back()) || out.back() == '-')) out += ' ';
            out += read_number(text, i);
            out += ' ';
            while (i + 1 < n && (text[i] == ',' || text[i] == '.') && is_digit(text[i + 1])) {
                out += text[i] == ',' ? w.comma : std::string("ponto ");
                ++i;
                out += read_number(text, i);
                out += ' ';
            }
        } else if (is_word_letter(c)) {
            const std::string word = read_word(text, i, abbreviations);
            const std::string* expansion = nullptr;
            if (i + 1 < n && text[i] == '.' && text[i + 1] == ' ')
                expansion = abbreviations.find(upper_case(word));
            if (expansion) {
                out += *expansion;
                ++i;
            } else {
                out += word;
            }
        } else if (text.substr(i).starts_with("...")) {
            out += "... ";
            i += 3;
        } else if (c == '.' && i + 1 < n && text[i + 1] != ' ') {
            out += " ponto ";
            ++i;
        } else if (std::string_view(" !(),.:;?").find(c) != std::string_view::npos) {
            out += c;
            ++i;
        } else if (c == '\t' || c == '\n' || c == '\r') {
            ++i;
        } else {
            out += ' ';
            out += character_name(c);
            out += ' ';
            ++i;
        }
    }
    return out;
}

}  // namespace vedra
