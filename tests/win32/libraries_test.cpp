// Loading a library by name and finding its functions, as the MBROLA binding
// does with mbrola.dll: a small library built beside the tests.
#include <gtest/gtest.h>
#include <windows.h>

#include "host/win32/win32_libraries.h"

namespace {

TEST(Libraries, LoadsFindsAndFreesAndRefusesQuietly) {
    host::win32::Win32Libraries libraries;
    void* library = libraries.load("zimbalot_test_library.dll");
    ASSERT_NE(library, nullptr);
    using Answer = int (*)(int);
    auto answer = reinterpret_cast<Answer>(libraries.symbol(library, "twice_plus_one"));
    ASSERT_NE(answer, nullptr);
    EXPECT_EQ(answer(20), 41);
    EXPECT_EQ(libraries.symbol(library, "no_such_function"), nullptr);
    EXPECT_EQ(libraries.symbol(nullptr, "twice_plus_one"), nullptr);
    libraries.free(library);
    libraries.free(nullptr);
    // A missing library is a result, never a box waiting for a click.
    EXPECT_EQ(libraries.load("zimbalot_no_such_library.dll"), nullptr);
    EXPECT_EQ(libraries.load("c:\\no\\such\\folder\\x.dll"), nullptr);
}

}  // namespace
