// The prosody file's loader on arbitrary bytes, then every table it filled
// in use: durations, keyword lookups, and the MBROLA lines of a short script.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "vedra/prosody.h"
#include "vedra/tokens.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view content(reinterpret_cast<const char*>(data), size);
    vedra::Prosody prosody;
    size_t shown = 0;
    prosody.parse(content, [&](std::string_view message) { shown += message.size(); });
    for (const vedra::DurationEntry& d : prosody.durations())
        (void)prosody.phoneme_duration(d.symbol);
    for (const vedra::KeywordEntry& k : prosody.keywords())
        if (prosody.keyword_category(k.word).size() > 2) __builtin_trap();
    const vedra::TokenList tokens =
        vedra::make_token_list("de casa, sim? e... nao!", true, prosody);
    for (const std::string& t : tokens)
        if (t.size() < 4 || t[3] != '|') __builtin_trap();
    vedra::DiphoneList none;
    std::string current;
    vedra::make_mbrola_lines({";583|casa", "k", ">a", "z", "a", "", "_ 9999999999", "__"}, 3.5,
                             1e300, prosody, none, current);
    return 0;
}
