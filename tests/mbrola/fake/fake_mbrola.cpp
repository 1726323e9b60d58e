// A stand-in for the mbrola program in tests: "fake_mbrola [options]
// DATABASE - -" reads phoneme lines on its standard input and writes 16-bit
// samples on its standard output, duration x 16 samples a line, each sample
// the line's number (1, 2, ...), so that a test sees what came through and
// in which order. Output is held until "#" or the end of the input.
// The database must start with "FAKE-VOICE". Phonemes that fail on request:
// ERRO (a message and exit code 1), CRASH (abort), DORME (sleeps a minute).
// When a file named as the program plus ".args" exists, the arguments are
// written to it.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    if (const std::string log = std::string(argv[0]) + ".args"; std::ifstream(log)) {
        std::ofstream out(log);
        for (int i = 1; i < argc; ++i) out << argv[i] << (i + 1 < argc ? " " : "\n");
    }
    if (argc < 4) {
        std::fprintf(stderr, "usage: mbrola [options] database input output\n");
        return 2;
    }
    std::ifstream db(argv[argc - 3]);
    std::string head;
    if (!std::getline(db, head) || head.rfind("FAKE-VOICE", 0) != 0) {
        std::fprintf(stderr, "Fatal error: %s is not a voice database\n", argv[argc - 3]);
        return 2;
    }
    std::vector<short> held;
    int number = 0;
    std::string line;
    auto flush = [&] {
        if (!held.empty()) std::fwrite(held.data(), sizeof(short), held.size(), stdout);
        std::fflush(stdout);
        held.clear();
    };
    while (std::getline(std::cin, line)) {
        if (const size_t c = line.find(';'); c != std::string::npos) line.resize(c);
        std::istringstream fields(line);
        std::string symbol;
        double ms = 0;
        if (!(fields >> symbol)) continue;
        if (symbol == "#") {
            flush();
            continue;
        }
        if (symbol == "ERRO") {
            std::fprintf(stderr, "Fatal error: unknown phoneme ERRO\n");
            return 1;
        }
        if (symbol == "CRASH") std::abort();
        if (symbol == "DORME") sleep(60);
        fields >> ms;
        ++number;
        held.insert(held.end(), static_cast<size_t>(ms * 16), static_cast<short>(number));
    }
    flush();
    return 0;
}
