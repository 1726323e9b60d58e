// The services of the system the program is built for, each under one name,
// so that the programs' main, the backends and the tests name no operating
// system. This is the one place that chooses between them.
#pragma once
#include <memory>

#include "host/backend.h"
#include "host/common/wav_duration.h"

#ifdef _WIN32
#include "host/win32/win32_files.h"
#include "host/win32/win32_libraries.h"
#include "host/win32/win32_registry.h"
#else
#include "host/common/posix_files.h"
#endif

namespace sapi {
class Factory;
}

namespace host::native {

#ifdef _WIN32
using Files = win32::Win32Files;
using Registry = win32::Win32Registry;
using Libraries = win32::Win32Libraries;
using win32::config_candidates;
using win32::config_folders;
using win32::default_config_folders;
#else
using Files = common::PosixFiles;
using Registry = common::PosixRegistry;
using Libraries = common::PosixLibraries;
using common::config_candidates;
using common::config_folders;
using common::default_config_folders;
#endif

// The program's arguments as UTF-8, as every main reads them: on Windows they
// are taken from the wide command line (the ANSI code page would lose what it
// cannot hold); elsewhere they are `argv` itself. The strings live as long
// as the process.
char** utf8_arguments(int& argc, char** argv);

// The desktop backend (a window with sound); nullptr, after a message on
// standard error, when it cannot start.
std::unique_ptr<Backend> make_desktop_backend(const BackendOptions& options);

// A backend for a program that only speaks (falar): real time, no window,
// the sound device opened at the first sound; nullptr, after a message, when
// it cannot start.
std::unique_ptr<Backend> make_speaker_backend(const BackendOptions& options);

// The speech runtime behind the SAPI clients: on Linux espeak-ng's voices
// made into the SAPI classes, on Windows the system's own COM classes.
class SpeechRuntime {
public:
    virtual ~SpeechRuntime() = default;
    // The host to hand to the program (the runtime may take its own messages
    // before the program sees them).
    virtual Host& host() = 0;
    // Makes the engines' classes known to the clients' factory.
    virtual bool register_classes(sapi::Factory& factory) = 0;
};
std::unique_ptr<SpeechRuntime> make_speech_runtime(Host& inner);

}  // namespace host::native
