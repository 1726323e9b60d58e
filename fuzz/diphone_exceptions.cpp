// The exceptions file reader on arbitrary bytes: every stored word must be
// found again, and respellings go through stress and rules like any word.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "diphone/letter_to_sound.h"
#include "diphone/rules.h"
#include "diphone_fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    diphone::Lexicon lexicon;
    diphone::parse_diphone_rules(diphone_fuzz::sample_rules, lexicon.rules);
    diphone::parse_diphone_exceptions({reinterpret_cast<const char*>(data), size},
                                      lexicon.exceptions);
    const auto& entries = lexicon.exceptions.entries();
    if (entries.size() > diphone::ExceptionTable::max_entries) std::abort();
    for (size_t i = 1; i < entries.size(); ++i)
        if (entries[i].word < entries[i - 1].word) std::abort();
    for (const auto& entry : entries) {
        if (!lexicon.exceptions.find(entry.word)) std::abort();
        if (entry.word.size() > diphone::ExceptionTable::max_line_chars + 1) std::abort();
    }
    diphone_fuzz::HashPlayer player;
    // Convert the stored words themselves (and with an s or m peeled back on).
    for (size_t i = 0; i < entries.size() && i < 64; ++i) {
        for (const char* suffix : {"", "s", "ms"}) {
            const std::string phonemes =
                diphone::convert_to_phonemes(lexicon, entries[i].word + suffix);
            diphone::speak_phonemes(phonemes, false, 100, player);
        }
    }
    return 0;
}
