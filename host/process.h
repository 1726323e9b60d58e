// Ending the process.
#pragma once

namespace host {

class Process {
public:
    virtual ~Process() = default;
    // Ends the process with the exit code after the backend has written its
    // "exit <code>" trace line, screenshot and audio capture. Never returns.
    [[noreturn]] virtual void exit_process(int code) = 0;
};

}  // namespace host
