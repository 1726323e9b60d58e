// convert_to_phonemes on arbitrary Windows-1252 text with a small rule set,
// then the speaker on its output and on the raw input as a phoneme string.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "diphone/letter_to_sound.h"
#include "diphone/rules.h"
#include "diphone_fuzz_support.h"

namespace {

const diphone::Lexicon& lexicon() {
    static const diphone::Lexicon table = [] {
        diphone::Lexicon l;
        diphone::parse_diphone_rules(diphone_fuzz::sample_rules, l.rules);
        diphone::parse_diphone_exceptions("casa=kAza\nxis=bcd\nnada=\n", l.exceptions);
        return l;
    }();
    return table;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const std::string phonemes = diphone::convert_to_phonemes(lexicon(), text);
    // Groups never nest and always close.
    int depth = 0;
    for (size_t i = 0; i < phonemes.size(); ++i) {
        if (phonemes[i] == '_') {
            ++i;
            continue;
        }
        if (phonemes[i] == '[' && ++depth != 1) std::abort();
        if (phonemes[i] == ']' && --depth != 0) std::abort();
    }
    if (depth != 0) std::abort();
    diphone_fuzz::HashPlayer player;
    diphone::speak_phonemes(phonemes, false, 100, player);
    diphone::speak_phonemes(text, size % 2 == 0, 100, player);
    return 0;
}
