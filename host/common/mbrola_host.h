// Where the MBROLA library and its voices are on a POSIX system.
#pragma once
#include <string>
#include <string_view>

namespace host::common {

// The file to load for a library name. "<stem>.dll" names one of the
// project's own libraries: "lib<stem>.so" (stem in lower case) beside the
// program, in <prefix>/lib/zimbalot next to its bin folder, or in the build
// tree; when none of these holds it, the bare "lib<stem>.so" goes to the
// system's search. Other names pass unchanged.
std::string library_file(std::string_view name);

// The database of an MBROLA voice: an installed voice
// (/usr/share/mbrola/<voice>/<voice>) when there is one, else the voice the
// default data set generates (<family>/mbrola/<voice>/<voice>); "" when
// neither exists. `voice` is taken in lower case.
std::string mbrola_voice_database(std::string_view voice);

}  // namespace host::common
