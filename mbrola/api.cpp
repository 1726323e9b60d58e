// The library's 23 entry points, with C linkage and the calling conventions
// of the MBROLA library they stand in for. A process has one synthesizer, so
// the state is one session for the whole library.
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "mbrola/lines.h"
#include "mbrola/session.h"

#define MBR_EXPORT extern "C" __attribute__((visibility("default")))
// The 32-bit Windows library is called with the system's own convention.
#if defined(_WIN32) && !defined(_WIN64)
#define MBR_CALL __stdcall
#else
#define MBR_CALL
#endif

namespace {

mbrola::Session& session() {
    static mbrola::Session instance;
    return instance;
}

// Copies `text` with its terminating zero, cut to the buffer; returns the count copied.
int copy_out(const std::string& text, char* buffer, int length) {
    if (!buffer || length <= 0) return 0;
    const size_t n = std::min(text.size(), static_cast<size_t>(length) - 1);
    std::memcpy(buffer, text.data(), n);
    buffer[n] = '\0';
    return static_cast<int>(n);
}

// A phoneme built through the phone calls (for a caller's own parser).
struct Phone {
    mbrola::PhoneLine line;
};

}  // namespace

MBR_EXPORT int MBR_CALL init_MBR(char* database_path) {
    return session().init(database_path);
}

// Renaming and cloning ("old new old new ...") map the caller's names to the
// database's: the names are passed on as aliases.
MBR_EXPORT int MBR_CALL init_rename_MBR(char* database_path, char* rename, char* clone) {
    return session().init(database_path, rename ? rename : "", clone ? clone : "");
}

MBR_EXPORT int MBR_CALL write_MBR(char* lines) {
    return session().write(lines);
}
MBR_EXPORT int MBR_CALL flush_MBR() {
    return session().flush();
}
MBR_EXPORT int MBR_CALL read_MBR(short* samples, int wanted) {
    return session().read(samples, wanted);
}
MBR_EXPORT int MBR_CALL readtype_MBR(void* samples, int wanted, int audio_type) {
    return session().read_type(samples, wanted, audio_type);
}
MBR_EXPORT void MBR_CALL close_MBR() {
    session().close();
}
MBR_EXPORT void MBR_CALL reset_MBR() {
    session().reset();
}
MBR_EXPORT int MBR_CALL lastError_MBR() {
    return session().last_error();
}
MBR_EXPORT int MBR_CALL lastErrorStr_MBR(char* buffer, int length) {
    return copy_out(session().last_error_text(), buffer, length);
}
MBR_EXPORT void MBR_CALL setNoError_MBR(int no_error) {
    session().set_no_error(no_error != 0);
}
MBR_EXPORT int MBR_CALL getNoError_MBR() {
    return session().no_error() ? 1 : 0;
}
MBR_EXPORT void MBR_CALL setFreq_MBR(int rate_hz) {
    session().set_rate_hz(rate_hz);
}
MBR_EXPORT int MBR_CALL getFreq_MBR() {
    return session().rate_hz();
}
MBR_EXPORT void MBR_CALL setVolumeRatio_MBR(float ratio) {
    session().set_volume(ratio);
}
MBR_EXPORT float MBR_CALL getVolumeRatio_MBR() {
    return session().volume();
}
MBR_EXPORT int MBR_CALL getVersion_MBR(char* buffer, int length) {
    return copy_out(mbrola::kVersion, buffer, length);
}
MBR_EXPORT int MBR_CALL getDatabaseInfo_MBR(char* buffer, int length, int index) {
    return copy_out(session().database_info(index), buffer, length);
}
// A parser of the caller's own is accepted and not used: the lines written
// are always read as phoneme lines.
MBR_EXPORT int MBR_CALL setParser_MBR(void* /*parser*/) {
    return 0;
}

MBR_EXPORT void* MBR_CALL init_Phone(char* name, float length_ms) {
    auto* phone = new Phone;
    if (name) phone->line.symbol = std::string(name).substr(0, mbrola::kMaxSymbolLength);
    phone->line.duration_ms = std::clamp<double>(length_ms, 0, mbrola::kMaxDurationMs);
    return phone;
}
MBR_EXPORT void MBR_CALL reset_Phone(void* phone) {
    if (phone) static_cast<Phone*>(phone)->line.pitch.clear();
}
MBR_EXPORT void MBR_CALL close_Phone(void* phone) {
    delete static_cast<Phone*>(phone);
}
MBR_EXPORT void MBR_CALL appendf0_Phone(void* phone, float position, float hz) {
    if (!phone) return;
    auto& pitch = static_cast<Phone*>(phone)->line.pitch;
    if (pitch.size() < mbrola::kMaxPitchPoints)
        pitch.push_back({std::clamp<double>(position, 0, 100),
                         std::clamp<double>(hz, mbrola::kMinPitchHz, mbrola::kMaxPitchHz)});
}
