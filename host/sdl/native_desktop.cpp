// The Linux desktop is the SDL2 one.
#include "host/native.h"
#include "host/sdl/sdl_backend.h"

namespace host::native {

std::unique_ptr<Backend> make_desktop_backend(const BackendOptions& options) {
    return sdl::make_sdl_backend(options);
}

}  // namespace host::native
