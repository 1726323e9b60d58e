// The stamp of a data-set part: the files it wrote, with their sizes and
// times, so that a build finds a part whose outputs were removed or changed
// and runs it again (a bare stamp file would say the part is current).
#pragma once
#include <filesystem>
#include <string>

namespace gen {

// Remembers a file the running part wrote.
void note_written(const std::filesystem::path& path);

// Writes the stamp: one line per file noted, "<size> <time> <path>", the
// path relative to the output folder. False when it cannot be written.
bool write_stamp(const std::filesystem::path& stamp, const std::filesystem::path& out);

// Whether every file the stamp lists is there with the size and time it had.
// When not, `reason` names the first file that differs. A missing stamp is
// not current; an unreadable line makes the stamp not current either.
bool stamp_current(const std::filesystem::path& stamp, const std::filesystem::path& out,
                   std::string& reason);

}  // namespace gen
