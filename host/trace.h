// Observable events. The headless backend writes each as one line, "<virtual
// ms> <word> <args>"; the desktop backend ignores them unless --trace is given.
#pragma once
#include <string_view>

namespace host {

class Trace {
public:
    virtual ~Trace() = default;
    // `args` is already formatted; Windows-1252 text in it is converted to UTF-8
    // by the trace writer. Never blocks on anything but the output stream.
    virtual void event(std::string_view word, std::string_view args) = 0;
};

}  // namespace host
