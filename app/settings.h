// The settings a parent or teacher chooses for the program: section
// [ZIMBALOT] of KORALU.INI, overridden by the command line. Every default
// keeps the program as it always was.
#pragma once
#include <string>

#include "host/files.h"

namespace app {

struct ProgramSettings {
    bool kiosk = false;        // TRAVA: ESC and closing the window do not end it
    int volume_percent = 100;  // VOLUME: 0..100
    bool mute = false;         // MUDO
    bool fullscreen = false;   // TELACHEIA
    // What reaches the device.
    int output_volume() const { return mute ? 0 : volume_percent; }
};

// Reads [ZIMBALOT] TRAVA, VOLUME, MUDO and TELACHEIA from KORALU.INI. A yes
// is a value starting with "S"; a volume that is not a number keeps 100, one
// outside 0..100 is brought to the nearer end.
ProgramSettings read_program_settings(host::Files& files);

// The volume of a command-line value "0".."100"; false for anything else.
bool parse_volume(const std::string& text, int& percent);

}  // namespace app
