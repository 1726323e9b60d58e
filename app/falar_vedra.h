// falar's VEDRA options: --normalise, --tokens, --script, --pho and
// --engine vedra.
#pragma once

namespace app {

// Runs falar when its arguments ask for a VEDRA stage or the VEDRA engine,
// and returns the exit code; returns -1 when they do not.
int falar_vedra(int argc, char** argv);

}  // namespace app
