// The MBROLA synthesizer library's 23 entry points, in the order they are
// looked up by name. The engine calls the library only through this table, so
// a test can stand a recording fake in the library's place.
#pragma once
#include <array>
#include <cstddef>
#include <string_view>

namespace vedra {

// The library's calling convention (the Windows library exports WINAPI calls).
#if defined(_WIN32) && !defined(_WIN64)
#define VEDRA_MBR_CALL __stdcall
#else
#define VEDRA_MBR_CALL
#endif

struct MbrolaApi {
    int(VEDRA_MBR_CALL* init_MBR)(char* database_path) = nullptr;
    int(VEDRA_MBR_CALL* init_rename_MBR)(char* database_path, char* rename, char* clone) = nullptr;
    int(VEDRA_MBR_CALL* write_MBR)(char* lines) = nullptr;
    int(VEDRA_MBR_CALL* flush_MBR)() = nullptr;
    int(VEDRA_MBR_CALL* read_MBR)(short* samples, int wanted) = nullptr;
    int(VEDRA_MBR_CALL* readtype_MBR)(void* samples, int wanted, int audio_type) = nullptr;
    void(VEDRA_MBR_CALL* close_MBR)() = nullptr;
    void(VEDRA_MBR_CALL* reset_MBR)() = nullptr;
    int(VEDRA_MBR_CALL* lastError_MBR)() = nullptr;
    int(VEDRA_MBR_CALL* lastErrorStr_MBR)(char* buffer, int length) = nullptr;
    void(VEDRA_MBR_CALL* setNoError_MBR)(int no_error) = nullptr;
    int(VEDRA_MBR_CALL* getNoError_MBR)() = nullptr;
    void(VEDRA_MBR_CALL* setFreq_MBR)(int rate_hz) = nullptr;
    int(VEDRA_MBR_CALL* getFreq_MBR)() = nullptr;
    void(VEDRA_MBR_CALL* setVolumeRatio_MBR)(float ratio) = nullptr;
    float(VEDRA_MBR_CALL* getVolumeRatio_MBR)() = nullptr;
    int(VEDRA_MBR_CALL* getVersion_MBR)(char* buffer, int length) = nullptr;
    int(VEDRA_MBR_CALL* getDatabaseInfo_MBR)(char* buffer, int length, int index) = nullptr;
    int(VEDRA_MBR_CALL* setParser_MBR)(void* parser) = nullptr;
    // The phone-level calls are looked up but never called: their arguments
    // stay opaque.
    void(VEDRA_MBR_CALL* init_Phone)() = nullptr;
    void(VEDRA_MBR_CALL* reset_Phone)() = nullptr;
    void(VEDRA_MBR_CALL* close_Phone)() = nullptr;
    void(VEDRA_MBR_CALL* appendf0_Phone)() = nullptr;
};

constexpr size_t mbrola_entry_count = 23;

// The names the library exports, in table order.
constexpr std::array<std::string_view, mbrola_entry_count> mbrola_entry_names = {
    "init_MBR",       "init_rename_MBR",     "write_MBR",          "flush_MBR",
    "read_MBR",       "readtype_MBR",        "close_MBR",          "reset_MBR",
    "lastError_MBR",  "lastErrorStr_MBR",    "setNoError_MBR",     "getNoError_MBR",
    "setFreq_MBR",    "getFreq_MBR",         "setVolumeRatio_MBR", "getVolumeRatio_MBR",
    "getVersion_MBR", "getDatabaseInfo_MBR", "setParser_MBR",      "init_Phone",
    "reset_Phone",    "close_Phone",         "appendf0_Phone"};

}  // namespace vedra
