// A POSIX program's arguments are the bytes the user typed, UTF-8 here.
#include "host/native.h"

namespace host::native {

char** utf8_arguments(int& /*argc*/, char** argv) {
    return argv;
}

}  // namespace host::native
