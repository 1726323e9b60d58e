// falar --engine sapi5 | sapi54 | sapi4: a text spoken by a SAPI voice of the
// speech runtime, or written by it into a WAV file (-w).
#pragma once

#include "host/files.h"

namespace app {

// Runs falar when its arguments name a SAPI engine; returns the exit code,
// or -1 when they do not (the other modes of falar handle them). `folders`:
// where KORALU.INI is read and the drive letters lead, from main.
int falar_engines(int argc, char** argv, const host::ConfigFolders& folders);

}  // namespace app
