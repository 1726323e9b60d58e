// The voice database loader; a database it accepts is spoken from.
#include <cstddef>
#include <cstdint>
#include <string>

#include "mbrola/database.h"
#include "mbrola/lines.h"
#include "mbrola/psola.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    mbrola::Database db;
    std::string error;
    if (!mbrola::decode_database(data, size, db, error)) return 0;
    mbrola::Synthesizer synth(db);
    synth.set_no_error(true);
    for (const char* line : {"_ 30", "a 80 0 90 100 200", "s 40", "b 30 50 300", "_ 20"}) {
        const mbrola::ParsedLine parsed = mbrola::parse_line(line);
        if (!db.phonemes.empty() && parsed.kind == mbrola::LineKind::kPhone) {
            mbrola::PhoneLine phone = parsed.phone;
            // Every name of the database gets spoken once.
            synth.add(phone, error);
        }
    }
    for (const std::string& name : db.phonemes) {
        if (name.size() > mbrola::kMaxSymbolLength) continue;
        synth.add(mbrola::PhoneLine{name, 25, {{50, 150}}}, error);
    }
    synth.flush();
    int16_t buffer[4096];
    while (synth.read(buffer, 4096) > 0) {
    }
    return 0;
}
