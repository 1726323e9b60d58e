// The reviewed reference outputs of the VEDRA text stages: for every sentence
// of golden/frases.txt the normalised text, the phoneme script and the MBROLA
// lines, over the data files shipped in data/vedra.
#pragma once
#include <string>

namespace vedragolden {

struct GoldenTexts {
    std::string normalised;  // normalizado.txt
    std::string script;      // roteiro.txt
    std::string mbrola;      // mbrola.txt
};

// Builds the three texts (UTF-8) from the source tree at `source_dir`.
// Returns false with `error` set when a data file cannot be read or loaded.
bool make_golden(const std::string& source_dir, GoldenTexts& out, std::string& error);

}  // namespace vedragolden
