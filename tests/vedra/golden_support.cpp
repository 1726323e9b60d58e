#include "golden_support.h"

#include <fstream>
#include <iterator>
#include <sstream>
#include <vector>

#include "host/text.h"
#include "vedra/engine.h"
#include "vedra/exceptions.h"
#include "vedra/transcribe.h"

namespace vedragolden {
namespace {

bool read_text(const std::string& path, std::string& out) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    out.assign(std::istreambuf_iterator<char>(in), {});
    return true;
}

void append_lines(std::string& out, const std::vector<std::string>& lines) {
    for (const std::string& line : lines) out += host::cp1252_to_utf8(line) + "\n";
}

}  // namespace

bool make_golden(const std::string& source_dir, GoldenTexts& out, std::string& error) {
    const std::string data = source_dir + "/data/vedra/";
    std::string rules, exceptions, abbreviations, prosody, diphones, sentences;
    for (auto [name, text] : {std::pair{"portug.nrl", &rules},
                              {"portug.exc", &exceptions},
                              {"portug.abr", &abbreviations},
                              {"portug.pro", &prosody},
                              {"portug.dfn", &diphones}}) {
        if (!read_text(data + name, *text)) {
            error = "cannot read " + data + name;
            return false;
        }
        *text = host::utf8_to_cp1252(*text);  // the data set holds Windows-1252
    }
    const std::string frases = source_dir + "/tests/vedra/golden/frases.txt";
    if (!read_text(frases, sentences)) {
        error = "cannot read " + frases;
        return false;
    }

    vedra::Frontend frontend;
    vedra::parse_rules(rules, frontend.rules);
    vedra::parse_exceptions(exceptions, frontend.exceptions);
    vedra::parse_abbreviations(abbreviations, frontend.abbreviations);
    std::string shown;
    if (!frontend.prosody.parse(prosody, [&](std::string_view m) { shown += m; })) {
        error = "portug.pro: " + host::cp1252_to_utf8(shown);
        return false;
    }
    frontend.diphones.parse(diphones);

    out = {};
    std::istringstream lines(sentences);
    for (std::string sentence; std::getline(lines, sentence);) {
        if (sentence.empty() || sentence[0] == '#') continue;
        const std::string heading = "== " + sentence + "\n";
        const std::string normalised = frontend.normalise(host::utf8_to_cp1252(sentence));
        const vedra::PhonemeScript script =
            frontend.phoneme_script(frontend.token_list(normalised));
        // Each sentence on its own: the generator's carried symbol starts empty.
        frontend.current_symbol.clear();
        out.normalised += heading + host::cp1252_to_utf8(normalised) + "\n";
        out.script += heading;
        append_lines(out.script, script);
        out.mbrola += heading;
        append_lines(out.mbrola, frontend.mbrola_lines(script, 1.0, 1.0));
    }
    return true;
}

}  // namespace vedragolden
