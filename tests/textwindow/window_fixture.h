// A text window on an in-process headless host, with a KORALU.INI of the
// test's choosing in the Windows folder.
#pragma once
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "tests/support/support.h"
#include "textwindow/text_window.h"

namespace textwindow {

class WindowTest : public ::testing::Test {
protected:
    void start(const std::string& ini = "", const std::string& script = "") {
        // The old host goes first: it takes its Windows folder with it.
        window.reset();
        headless.reset();
        headless = std::make_unique<testsupport::Headless>(script);
        if (!ini.empty()) testsupport::write_file(headless->windows_dir + "/KORALU.INI", ini);
        window = std::make_unique<TextWindow>(headless->host(), "/opt/zimbalot/zimbalot");
    }
    void script(const std::string& steps) { ASSERT_TRUE(headless->backend->add_script(steps)); }

    // Runs `body` until the process ends; the exit code, or -1 if it did not.
    static int exit_code(const std::function<void()>& body) {
        try {
            body();
        } catch (const host::headless::ProcessExit& e) {
            return e.code;
        }
        return -1;
    }

    std::vector<int> read_keys(size_t count) {
        std::vector<int> keys;
        while (keys.size() < count) keys.push_back(window->read_key());
        return keys;
    }

    std::vector<std::string> events(size_t from = 0) const {
        return headless->backend->events(from);
    }
    bool has_event(const std::string& line) const {
        const auto all = events();
        return std::find(all.begin(), all.end(), line) != all.end();
    }
    // Events that start with one of the words.
    std::vector<std::string> events_of(std::initializer_list<std::string> words) const {
        std::vector<std::string> out;
        for (const std::string& line : headless->backend->trace_lines()) {
            const std::string event = line.substr(line.find(' ') + 1);
            const std::string word = event.substr(0, event.find(' '));
            for (const std::string& w : words)
                if (word == w) out.push_back(line);
        }
        return out;
    }
    host::Rgb pixel(int x, int y) const { return headless->backend->pixel(x, y); }
    uint64_t runs() const { return headless->backend->text_runs_drawn(); }
    std::string row_text(int row, int columns = screen_columns) const {
        std::string text;
        for (int c = 0; c < columns; ++c)
            text.push_back(static_cast<char>(window->cell_character(c, row)));
        return text;
    }

    std::unique_ptr<testsupport::Headless> headless;
    std::unique_ptr<TextWindow> window;
};

}  // namespace textwindow
