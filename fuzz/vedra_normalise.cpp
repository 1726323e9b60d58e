// Text normalisation on arbitrary bytes: it never fails, every digit becomes
// words and tabs and line breaks vanish; the result then goes through the
// transcriber.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "vedra/exceptions.h"
#include "vedra/normalise.h"
#include "vedra/transcribe.h"
#include "vedra_text_fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const vedra::AbbreviationTable abbreviations = [] {
        vedra::AbbreviationTable table;
        vedra::parse_abbreviations("Sr=Senhor\nkg=quilos\nBH=Belo Horizonte\nA=\n", table);
        return table;
    }();
    static const vedra::RuleTable rules = [] {
        vedra::RuleTable table;
        vedra::parse_rules(vedra_fuzz::sample_rules, table);
        return table;
    }();
    const std::string text(reinterpret_cast<const char*>(data), size);
    const std::string normalised = vedra::normalise_text(text, abbreviations);
    if (normalised.find_first_of("0123456789\t\n\r") != std::string::npos) std::abort();
    vedra::transcribe(vedra_fuzz::token_items(normalised), rules, {});
    // read_number and read_word from every position they accept.
    for (size_t i = 0; i < text.size() && i < 256; ++i) {
        size_t position = i;
        if (text[i] >= '0' && text[i] <= '9') {
            vedra::read_number(text, position);
            if (position <= i || position > text.size()) std::abort();
        } else if (vedra::is_word_letter(text[i])) {
            vedra::read_word(text, position, abbreviations);
            if (position <= i || position > text.size()) std::abort();
        }
    }
    return 0;
}
