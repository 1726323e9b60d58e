// falar's VEDRA options: --normalise, --tokens, --script, --pho and
// --engine vedra.
#pragma once

#include "host/files.h"

namespace app {

// Runs falar when its arguments ask for a VEDRA stage or the VEDRA engine,
// and returns the exit code; returns -1 when they do not. `folders`: where
// KORALU.INI is read and the drive letters lead, from main.
int falar_vedra(int argc, char** argv, const host::ConfigFolders& folders);

}  // namespace app
