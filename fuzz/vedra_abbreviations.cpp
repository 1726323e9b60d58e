// The abbreviations file reader on arbitrary bytes: the table stays within
// its limits, keys are found again, and the file's text normalised with the
// table it gave never fails.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "vedra/exceptions.h"
#include "vedra/normalise.h"
#include "vedra/text_chars.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view content(reinterpret_cast<const char*>(data), size);
    vedra::AbbreviationTable table;
    vedra::parse_abbreviations(content, table);
    if (table.size() > vedra::AbbreviationTable::max_entries) std::abort();
    for (const vedra::Abbreviation& entry : table.entries()) {
        if (entry.expansion.size() > vedra::AbbreviationTable::max_expansion_chars) std::abort();
        if (entry.key != vedra::upper_case(entry.key)) std::abort();
        if (!entry.key.empty() && vedra::find_abbreviation(table, entry.key).size() > 999)
            std::abort();
    }
    // Each key as it would stand in a text, then the whole file as text.
    for (size_t i = 0; i < table.size() && i < 64; ++i)
        vedra::normalise_text(table.entries()[i].key + ". x", table);
    vedra::normalise_text(content.substr(0, 8192), table);
    return 0;
}
