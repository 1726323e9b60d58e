#include <cstdio>
#include <cstring>

// Placeholder until the speech tool lands.
int main(int argc, char** argv) {
    if (argc > 1 && std::strcmp(argv[1], "--help") == 0) {
        std::puts("falar: fala um texto em portugues (ainda nao disponivel)");
        return 0;
    }
    std::fputs("falar: not available yet\n", stderr);
    return 2;
}
