// The exceptions file reader on arbitrary bytes: the table stays sorted and
// within its limits, every stored word is found, and respellings (with
// peeled letters put back) go through stress and rules like any word.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "vedra/exceptions.h"
#include "vedra/transcribe.h"
#include "vedra_text_fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    vedra::RuleTable rules;
    vedra::parse_rules(vedra_fuzz::sample_rules, rules);
    vedra::ExceptionTable exceptions;
    vedra::parse_exceptions({reinterpret_cast<const char*>(data), size}, exceptions);
    const auto& entries = exceptions.entries();
    if (entries.size() > vedra::ExceptionTable::max_entries) std::abort();
    for (size_t i = 1; i < entries.size(); ++i)
        if (entries[i].word < entries[i - 1].word) std::abort();
    vedra::TokenList items;
    for (const auto& entry : entries) {
        if (!exceptions.find(entry.word)) std::abort();
        if (entry.word.size() > vedra::ExceptionTable::max_line_chars + 1) std::abort();
        if (items.size() < 192)
            for (const char* suffix : {"", "S", "MS"})
                items.push_back("555|" + entry.word + suffix);
    }
    const vedra::PhonemeScript script = vedra::transcribe(items, rules, exceptions);
    if (script.empty() || script.back() != "__") std::abort();
    return 0;
}
