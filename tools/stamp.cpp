#include "tools/stamp.h"

#include <fstream>
#include <sstream>
#include <vector>

namespace fs = std::filesystem;

namespace gen {

namespace {

std::vector<fs::path>& written() {
    static std::vector<fs::path> files;
    return files;
}

long long time_of(const fs::path& path, std::error_code& error) {
    return static_cast<long long>(fs::last_write_time(path, error).time_since_epoch().count());
}

}  // namespace

void note_written(const fs::path& path) {
    written().push_back(path);
}

bool write_stamp(const fs::path& stamp, const fs::path& out) {
    std::ostringstream text;
    for (const fs::path& path : written()) {
        std::error_code error;
        const auto size = fs::file_size(path, error);
        const long long time = time_of(path, error);
        if (error) return false;
        text << size << ' ' << time << ' ' << fs::relative(path, out).generic_string() << '\n';
    }
    // Written whole and renamed, so that a failed run leaves no stamp.
    const fs::path temporary = stamp.string() + ".new";
    {
        std::ofstream file(temporary, std::ios::binary | std::ios::trunc);
        file << text.str();
        if (!file.flush()) return false;
    }
    std::error_code error;
    fs::rename(temporary, stamp, error);
    return !error;
}

bool stamp_current(const fs::path& stamp, const fs::path& out, std::string& reason) {
    std::ifstream file(stamp, std::ios::binary);
    if (!file) {
        reason = "no stamp";
        return false;
    }
    std::string line;
    while (std::getline(file, line)) {
        std::istringstream fields(line);
        unsigned long long size = 0;
        long long time = 0;
        std::string relative;
        if (!(fields >> size >> time) || !std::getline(fields >> std::ws, relative)) {
            reason = "unreadable stamp";
            return false;
        }
        const fs::path path = out / relative;
        std::error_code error;
        const auto actual_size = fs::file_size(path, error);
        if (error) {
            reason = relative + " is missing";
            return false;
        }
        if (actual_size != size || time_of(path, error) != time || error) {
            reason = relative + " changed";
            return false;
        }
    }
    return true;
}

}  // namespace gen
