// On Linux a speaking-only program loads SDL's audio at its first sound.
#include "host/native.h"
#include "host/sdl/speaker_backend.h"

namespace host::native {

std::unique_ptr<Backend> make_speaker_backend(const BackendOptions& options) {
    return sdl::make_speaker_backend(options);
}

}  // namespace host::native
