#include "host/win32/win32_libraries.h"

#include <windows.h>

#include "host/win32/win32_files.h"

#ifndef ZIMBALOT_BUILD_LIBRARY_DIR
#define ZIMBALOT_BUILD_LIBRARY_DIR ""
#endif

namespace host::win32 {

namespace {

HMODULE load_quietly(const std::string& file) {
    // No "cannot find the library" box: a missing engine is a result.
    const UINT previous = ::SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    HMODULE module = ::LoadLibraryA(file.c_str());
    ::SetErrorMode(previous);
    return module;
}

}  // namespace

void* Win32Libraries::load(std::string_view name) {
    const std::string file(name);
    if (HMODULE module = load_quietly(file)) return module;
    // The project's own stand-ins (our mbrola.dll) are kept out of the system's
    // search, so that a library the user installed (MBROLA's own) always wins;
    // they are used only when the system has none: from "lib" beside the
    // program, or from the build tree.
    if (file.find_first_of("\\/:") != std::string::npos) return nullptr;
    for (const std::string& folder :
         {program_folder() + "\\lib", std::string(ZIMBALOT_BUILD_LIBRARY_DIR)}) {
        if (folder.empty() || folder == "\\lib") continue;
        if (HMODULE module = load_quietly(folder + "\\" + file)) return module;
    }
    return nullptr;
}

void* Win32Libraries::symbol(void* library, std::string_view name) {
    if (!library) return nullptr;
    return reinterpret_cast<void*>(
        ::GetProcAddress(static_cast<HMODULE>(library), std::string(name).c_str()));
}

void Win32Libraries::free(void* library) {
    if (library) ::FreeLibrary(static_cast<HMODULE>(library));
}

}  // namespace host::win32
