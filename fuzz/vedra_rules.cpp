// The rules file reader on arbitrary bytes: stored rules keep their limits
// and their bucket, and words transcribed with them never read outside the
// word or the rule.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "vedra/transcribe.h"
#include "vedra_text_fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view content(reinterpret_cast<const char*>(data), size);
    vedra::RuleTable rules;
    vedra::parse_rules(content, rules);
    for (int code = 0; code < 256; ++code) {
        for (const vedra::Rule& rule : rules.bucket(static_cast<uint8_t>(code))) {
            if (rule.match.empty() || static_cast<uint8_t>(rule.match[0]) != code) std::abort();
            if (rule.left.size() > 5 || rule.match.size() > 5 || rule.right.size() > 5 ||
                rule.output.size() > 11)
                std::abort();
        }
    }
    // The file's own bytes as words, and a few fixed words.
    vedra::TokenList items = vedra_fuzz::token_items(content.substr(0, 4096));
    for (const char* word : {"CASA", "A", "QUE", "CHAVE", "\xC3O", "MAR", "OS"})
        items.push_back(std::string("555|") + word);
    const vedra::PhonemeScript script = vedra::transcribe(items, rules, {});
    if (script.empty() || script.back() != "__") std::abort();
    return 0;
}
