// Observable events. The headless backend writes each as one line, "<virtual
// ms> <word> <args>"; the desktop backend ignores them unless --trace is given.
#pragma once
#include <string>
#include <string_view>

namespace host {

class Trace {
public:
    virtual ~Trace() = default;
    // `args` is already formatted; Windows-1252 text in it is converted to UTF-8
    // by the trace writer. Never blocks on anything but the output stream.
    virtual void event(std::string_view word, std::string_view args) = 0;
};

// A text as one trace argument: in double quotes, with '"' and '\\' escaped.
inline std::string quoted_trace_text(std::string_view text) {
    std::string out = "\"";
    for (const char c : text) {
        if (c == '"' || c == '\\') out.push_back('\\');
        out.push_back(c);
    }
    out.push_back('"');
    return out;
}

}  // namespace host
