// Dynamic libraries on Windows: the real mbrola.dll is what the program uses.
#pragma once
#include <string>
#include <string_view>

#include "host/files.h"

namespace host::win32 {

// LoadLibraryA/GetProcAddress/FreeLibrary. A bare name is searched as Windows
// does (the program's folder first, then the system folders); when that finds
// nothing, the project's own library of that name is used: "lib\<name>"
// beside the program, or the one in the build tree.
class Win32Libraries : public Libraries {
public:
    void* load(std::string_view name) override;
    void* symbol(void* library, std::string_view name) override;
    void free(void* library) override;
};

}  // namespace host::win32
