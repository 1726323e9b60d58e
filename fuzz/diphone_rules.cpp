// The rules file reader on arbitrary bytes, then conversions that try the
// rules it built, contexts and all.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "diphone/letter_to_sound.h"
#include "diphone/rules.h"
#include "diphone_fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    diphone::Lexicon lexicon;
    diphone::parse_diphone_rules({reinterpret_cast<const char*>(data), size}, lexicon.rules);
    diphone_fuzz::HashPlayer player;
    for (const char* text : {"casa", "papel", "rainha d'água", "Ação, pão!", "bcd", "ele sol par",
                             "\xE7\xE3o arroz chuva queijo guerra", "x"}) {
        const std::string phonemes = diphone::convert_to_phonemes(lexicon, text);
        diphone::speak_phonemes(phonemes, false, 100, player);
    }
    return 0;
}
