#include "fake_mbrola.h"

#include <algorithm>

namespace vedratest {
namespace {

FakeMbrola the_fake;

void log(std::string call) {
    the_fake.calls.push_back(std::move(call));
}

int VEDRA_MBR_CALL init_mbr(char* path) {
    log(std::string("init_MBR ") + path);
    return the_fake.init_result;
}
int VEDRA_MBR_CALL write_mbr(char* line) {
    const std::string text = line;
    log("write_MBR " + text);
    if (!the_fake.error_line.empty() && text.starts_with(the_fake.error_line)) {
        the_fake.last_error = 1;
        return 0;
    }
    int samples = the_fake.samples_per_line;
    for (const auto& [prefix, count] : the_fake.samples_for)
        if (text.starts_with(prefix)) {
            samples = count;
            break;
        }
    the_fake.pending += samples;
    return 1;
}
int VEDRA_MBR_CALL flush_mbr() {
    log("flush_MBR");
    the_fake.pending += the_fake.samples_on_flush;
    return 0;
}
int VEDRA_MBR_CALL read_mbr(short* samples, int wanted) {
    log("read_MBR " + std::to_string(wanted));
    if (the_fake.fault_on_next_read) {
        the_fake.fault_on_next_read = false;
        the_fake.last_error = 2;
        return -1;
    }
    const int n = std::min(the_fake.pending, wanted);
    for (int i = 0; i < n; ++i) samples[i] = the_fake.next_sample++;
    the_fake.pending -= n;
    if (the_fake.overreport && n > 0) return wanted * 4;
    return n;
}
void VEDRA_MBR_CALL close_mbr() {
    log("close_MBR");
}
void VEDRA_MBR_CALL reset_mbr() {
    log("reset_MBR");
    the_fake.last_error = 0;
    the_fake.pending = 0;
}
int VEDRA_MBR_CALL last_error_mbr() {
    return the_fake.last_error;
}
void VEDRA_MBR_CALL set_no_error_mbr(int value) {
    log("setNoError_MBR " + std::to_string(value));
}

// Entry points the engine must never call.
int VEDRA_MBR_CALL unused_int() {
    log("unexpected");
    return 0;
}
void VEDRA_MBR_CALL unused_void() {
    log("unexpected");
}
// Named, not lambdas: the table's calling convention is the library's.
int VEDRA_MBR_CALL unused_rename(char*, char*, char*) {
    return unused_int();
}
int VEDRA_MBR_CALL unused_readtype(void*, int, int) {
    return unused_int();
}
int VEDRA_MBR_CALL unused_text(char*, int) {
    return unused_int();
}
void VEDRA_MBR_CALL unused_set(int) {
    unused_void();
}
void VEDRA_MBR_CALL unused_ratio(float) {
    unused_void();
}
float VEDRA_MBR_CALL unused_float() {
    return float(unused_int());
}
int VEDRA_MBR_CALL unused_info(char*, int, int) {
    return unused_int();
}
int VEDRA_MBR_CALL unused_parser(void*) {
    return unused_int();
}

}  // namespace

std::vector<std::string> FakeMbrola::calls_named(const std::string& prefix) const {
    std::vector<std::string> out;
    for (const std::string& c : calls)
        if (c.starts_with(prefix)) out.push_back(c);
    return out;
}

FakeMbrola& fake_mbrola() {
    return the_fake;
}
void reset_fake_mbrola() {
    the_fake = FakeMbrola{};
}

bool FakeLibrary::load_mbrola() {
    ++the_fake.loads;
    if (!the_fake.library_present) return false;
    api_.init_MBR = init_mbr;
    api_.init_rename_MBR = unused_rename;
    api_.write_MBR = write_mbr;
    api_.flush_MBR = flush_mbr;
    api_.read_MBR = read_mbr;
    api_.readtype_MBR = unused_readtype;
    api_.close_MBR = close_mbr;
    api_.reset_MBR = reset_mbr;
    api_.lastError_MBR = last_error_mbr;
    api_.lastErrorStr_MBR = unused_text;
    api_.setNoError_MBR = set_no_error_mbr;
    api_.getNoError_MBR = unused_int;
    api_.setFreq_MBR = unused_set;
    api_.getFreq_MBR = unused_int;
    api_.setVolumeRatio_MBR = unused_ratio;
    api_.getVolumeRatio_MBR = unused_float;
    api_.getVersion_MBR = unused_text;
    api_.getDatabaseInfo_MBR = unused_info;
    api_.setParser_MBR = unused_parser;
    api_.init_Phone = unused_void;
    api_.reset_Phone = unused_void;
    api_.close_Phone = unused_void;
    api_.appendf0_Phone = unused_void;
    return true;
}

void FakeLibrary::unload_mbrola() {
    ++the_fake.unloads;
    api_ = vedra::MbrolaApi{};
}

void FakeLibrary::find_voice_database(std::string& voice) {
    if (the_fake.registry_empty_string)
        voice.clear();
    else if (!the_fake.voice_path.empty())
        voice = the_fake.voice_path;
}

}  // namespace vedratest
