// The speech engines on Windows: the system's own SAPI 4 and SAPI 5 classes,
// made with CoCreateInstance and handed to the clients through their
// factory. Each real COM object is wrapped in an object of the clients'
// interfaces that forwards every call (strings become BSTRs, events become
// the factory's waitable handles, the clients' notification sinks become
// real COM sinks), so the clients are the same code on every system.
#pragma once
#include "sapi/com.h"

namespace host::win32 {

// A CLSID and IID pair's creator: CoCreateInstance, then the wrapper.
// Exposed so that a test can register a class of its own.
sapi::Factory::Creator com_creator(sapi::Factory& factory, const sapi::Guid& clsid);

class ComEngines {
public:
    // Initialises COM for this thread (apartment threaded: SAPI 4
    // notifications arrive while the thread pumps its window messages).
    ComEngines();
    // Uninitialises COM when the constructor initialised it.
    ~ComEngines();
    ComEngines(const ComEngines&) = delete;
    ComEngines& operator=(const ComEngines&) = delete;

    bool com_ready() const { return initialised_; }

    // Registers the SAPI 5 voice and file stream classes of both type
    // libraries and the SAPI 4 enumerator and audio destinations. A class the
    // machine lacks fails at creation (REGDB_E_CLASSNOTREG), so the clients
    // fall back as they do without engines. False when COM is not ready.
    bool register_classes(sapi::Factory& factory);

private:
    bool initialised_ = false;
};

}  // namespace host::win32
