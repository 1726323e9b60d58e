// Rewrites the VEDRA reference files in tests/vedra/golden from the shipped
// data (target vedra_golden). Review the diff before committing it.
#include <fstream>
#include <iostream>
#include <string>

#include "../golden_support.h"

int main(int argc, char** argv) {
    if (argc < 2) {
        std::cerr << "usage: make_vedra_golden SOURCE_DIR\n";
        return 2;
    }
    const std::string source = argv[1];
    vedragolden::GoldenTexts texts;
    std::string error;
    if (!vedragolden::make_golden(source, texts, error)) {
        std::cerr << "make_vedra_golden: " << error << "\n";
        return 1;
    }
    const std::string dir = source + "/tests/vedra/golden/";
    for (auto [name, text] : {std::pair{"normalizado.txt", &texts.normalised},
                              {"roteiro.txt", &texts.script},
                              {"mbrola.txt", &texts.mbrola}}) {
        std::ofstream out(dir + name, std::ios::binary | std::ios::trunc);
        out << *text;
        if (!out) {
            std::cerr << "make_vedra_golden: cannot write " << dir << name << "\n";
            return 1;
        }
    }
    return 0;
}
