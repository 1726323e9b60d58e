// The audio table of a program linked with SDL. Kept apart from
// sdl_audio.cpp so that a program using only the loaded table does not link
// SDL.
#include <SDL.h>

#include "host/sdl/sdl_audio.h"

namespace host::sdl {

SdlAudioApi linked_sdl_audio_api() {
    SdlAudioApi api;
    api.init_subsystem = &SDL_InitSubSystem;
    api.quit_subsystem = &SDL_QuitSubSystem;
    api.open_device = &SDL_OpenAudioDevice;
    api.close_device = &SDL_CloseAudioDevice;
    api.pause_device = &SDL_PauseAudioDevice;
    api.lock_device = &SDL_LockAudioDevice;
    api.unlock_device = &SDL_UnlockAudioDevice;
    api.get_error = &SDL_GetError;
    return api;
}

}  // namespace host::sdl
