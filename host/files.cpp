#include "host/files.h"

namespace host {

bool Files::read_whole(std::string_view path, std::vector<uint8_t>& out) {
    auto file = open_read(path);
    if (!file) return false;
    const uint64_t size = file->size();
    if (size > (uint64_t(1) << 31)) return false;
    out.resize(static_cast<size_t>(size));
    out.resize(file->read(out.data(), out.size()));
    return true;
}

}  // namespace host
