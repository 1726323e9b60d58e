// Collects the unit names the diphone synthesizer asks for when it speaks
// every word of a word list (UTF-8, one word a line) and a file of sentences,
// with the given rules and exceptions, and writes them sorted, one a line:
//   collect_units regras.rgr portug.exc WORDLIST OUTPUT [SENTENCES]
// Every fetch is answered "found", so only the names that the syllables
// themselves name are listed, never the fallbacks of a missing unit.
#include <cstdio>
#include <fstream>
#include <map>
#include <string>

#include "diphone/letter_to_sound.h"
#include "diphone/rules.h"
#include "diphone/speaker.h"
#include "host/common/posix_files.h"
#include "host/text.h"

namespace {

class Collector : public diphone::UnitPlayer {
public:
    std::map<std::string, uint64_t> units;
    void begin_utterance() override {}
    bool play_unit(std::string_view name, diphone::StressMode, double) override {
        std::string upper(name.substr(0, 12));
        for (char& c : upper)
            if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
        ++units[upper];
        return true;
    }
    bool play_letter_sound(std::string_view) override { return true; }
    void append_silence(int) override {}
    void append_noise() override {}
    void flush_speech() override {}
};

}  // namespace

int main(int argc, char** argv) {
    if (argc < 5) {
        std::fprintf(stderr, "usage: collect_units RULES EXCEPTIONS WORDLIST OUTPUT [SENTENCES]\n");
        return 2;
    }
    host::common::PosixFiles files;
    diphone::Lexicon lexicon;
    if (!diphone::load_diphone_rules(files, argv[1], lexicon) ||
        !diphone::load_diphone_exceptions(files, argv[2], lexicon)) {
        std::fprintf(stderr, "collect_units: cannot read the rules or the exceptions\n");
        return 1;
    }
    Collector collector;
    diphone::UnitStats stats;
    uint64_t lines = 0;
    for (int source = 3; source < argc; ++source) {
        if (source == 4) continue;  // the output
        std::ifstream in(argv[source]);
        if (!in) {
            std::fprintf(stderr, "collect_units: cannot read %s\n", argv[source]);
            return 1;
        }
        std::string line;
        while (std::getline(in, line)) {
            if (line.empty() || line[0] == '#') continue;
            ++lines;
            const std::string text = host::utf8_to_cp1252(line);
            diphone::speak_phonemes(diphone::convert_to_phonemes(lexicon, text), false, 0,
                                    collector, &stats);
        }
    }
    std::ofstream out(argv[4], std::ios::trunc);
    out << "# The bank units the synthesizer asks for, with the number of fetches over the\n"
           "# Brazilian word list and data/frases.txt. Regenerate with the `units` target.\n";
    size_t kept = 0, too_long = 0;
    for (const auto& [name, count] : collector.units) {
        if (name.size() > 8) {  // an index record holds at most 8 characters
            ++too_long;
            continue;
        }
        out << name << " | " << count << "\n";
        ++kept;
    }
    std::printf("%llu lines, %llu unit fetches, %zu units kept, %zu names too long for the index\n",
                static_cast<unsigned long long>(lines),
                static_cast<unsigned long long>(stats.requested), kept, too_long);
    return out ? 0 : 1;
}
