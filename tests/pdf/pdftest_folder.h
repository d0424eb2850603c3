// A test that runs in a temporary working folder of its own, where the
// streams, pictures and sounds its sim names are put.
#pragma once

#include "support/testsupport.h"

#include <gtest/gtest.h>
#include <string>
#include <string_view>

namespace kordoc::pdftest {

class InFolder : public ::testing::Test {
protected:
    test::TempDir dir;
    test::WorkingFolder here{dir.path()};
    void put(const std::string &name, std::string_view bytes) { test::writeFile(dir.file(name), bytes); }
};

}  // namespace kordoc::pdftest
