#include "host/common/run_outputs.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <iostream>

#include "host/common/canvas.h"
#include "host/text.h"

namespace host::common {

std::string trace_line_text(uint64_t time_ms, std::string_view word, std::string_view args) {
    std::string line = std::to_string(time_ms);
    line.push_back(' ');
    line.append(word);
    if (!args.empty()) {
        line.push_back(' ');
        line.append(cp1252_to_utf8(args));
    }
    return line;
}

void RunOutputs::report(const std::string& error) {
    failed_ = true;
    std::cerr << program_ << ": nao consigo gravar " << error << '\n';
}

bool RunOutputs::open_trace(const std::string& path) {
    if (path.empty()) return true;
    if (trace_.open(path)) return true;
    report(trace_.error());
    return false;
}

bool RunOutputs::open_capture(const std::string& path) {
    if (path.empty()) return true;
    if (capture_.open(path)) return true;
    report(capture_.error());
    return false;
}

void RunOutputs::trace_line(std::string_view line, bool flush_each) {
    if (!trace_.is_open()) return;
    trace_.write(line);
    trace_.write("\n", 1);
    if (flush_each) trace_.flush();
}

void RunOutputs::trace_event(uint64_t time_ms, std::string_view word, std::string_view args) {
    if (tracing()) trace_line(trace_line_text(time_ms, word, args), true);
}

void RunOutputs::exit_run(int code, uint64_t time_ms) {
    if (failed()) code = exit_output_failed;
    trace_event(time_ms, "exit", std::to_string(code));
    if (!finish()) code = exit_output_failed;
    std::exit(code);
}

bool RunOutputs::save_screenshot(const Canvas& canvas, const std::string& path) {
    OutputFile out;
    if (!out.open(path)) {
        report(out.error());
        return false;
    }
    // The image library writes by file name and does not report a failed
    // close, so it writes a scratch file whose bytes are then copied through
    // the output file, which does.
    char scratch[] = "/tmp/zimbalot-imagem-XXXXXX";
    const int fd = ::mkstemp(scratch);
    bool ok = fd >= 0;
    if (fd >= 0) ::close(fd);
    if (ok) ok = canvas.save_png(scratch);
    if (ok) {
        std::FILE* in = std::fopen(scratch, "rb");
        ok = in != nullptr;
        char buffer[65536];
        size_t n = 0;
        while (ok && (n = std::fread(buffer, 1, sizeof buffer, in)) > 0) out.write(buffer, n);
        if (in) ok = !std::ferror(in) && std::fclose(in) == 0;
    }
    if (fd >= 0) ::unlink(scratch);
    if (!ok) out.discard("a imagem PNG nao pode ser escrita");
    if (!ok || !out.commit()) {
        report(out.error());
        return false;
    }
    return true;
}

bool RunOutputs::finish_capture(bool require_samples) {
    if (capture_finished_) return !failed_;
    capture_finished_ = true;
    if (capture_.is_open() && !capture_.finish(require_samples)) report(capture_.error());
    return !failed_;
}

void RunOutputs::abandon() {
    capture_.discard();
    trace_.discard();
    capture_finished_ = true;
    finished_ = true;
}

bool RunOutputs::finish() {
    if (finished_) return !failed_;
    finish_capture();
    finished_ = true;
    if (trace_.is_open() && !trace_.commit()) report(trace_.error());
    // Printed results and a trace on standard output count as outputs too.
    std::cout.flush();
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
        report(std::string("a saida padrao: ") + describe_errno(errno ? errno : EIO));
        std::clearerr(stdout);
    }
    return !failed_;
}

}  // namespace host::common
