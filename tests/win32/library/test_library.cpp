// A library for the loading test: one exported function.
extern "C" __declspec(dllexport) int twice_plus_one(int value) {
    return 2 * value + 1;
}
