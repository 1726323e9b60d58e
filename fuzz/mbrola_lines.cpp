// Phoneme lines as write_MBR receives them, through the in-process synthesizer.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "fuzz/mbrola_support.h"
#include "mbrola/lines.h"
#include "mbrola/psola.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const mbrola::Database db = fuzz_voice();
    if (size == 0) return 0;
    mbrola::Synthesizer synth(db);
    synth.set_no_error(data[0] & 1);
    std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);
    int16_t buffer[4096];
    size_t produced = 0;
    while (!text.empty()) {
        const size_t end = text.find('\n');
        const mbrola::ParsedLine line = mbrola::parse_line(text.substr(0, end));
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        std::string error;
        if (line.kind == mbrola::LineKind::kPhone) {
            // Long phonemes are allowed; keep a run short by capping the total.
            if ((produced += static_cast<size_t>(line.phone.duration_ms)) > 20000) break;
            synth.add(line.phone, error);
        } else if (line.kind == mbrola::LineKind::kFlush) {
            synth.flush();
        }
        while (synth.read(buffer, 4096) > 0) {
        }
    }
    synth.flush();
    while (synth.read(buffer, 4096) > 0) {
    }
    return 0;
}
