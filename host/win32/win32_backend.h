// The Windows desktop: the window class "KrWinCrt", the canvas shown through
// GDI, the thread's message loop with TranslateMessage, the caret, the
// message box, and sound through waveOut and sndPlaySoundA.
#pragma once
#include <cstdint>
#include <memory>

#include "host/backend.h"

namespace host::win32 {

// The desktop backend; nullptr after a message on standard error when it
// cannot start. With options.hidden_window no window is ever made (a program
// that only speaks): the window calls then keep their state and trace only.
std::unique_ptr<Backend> make_win32_backend(const BackendOptions& options);

// Windows-1252 byte for a character message's code in the ANSI code page
// `code_page`; -1 when the character has none (it is then not queued).
int cp1252_from_ansi(unsigned code, unsigned code_page);

}  // namespace host::win32
