// Runs the built korgen program as a real process in a given folder, the
// way a user or a script starts it, and collects what it prints.
#pragma once

#include <string>
#include <vector>

namespace kordoc::test {

struct KorgenRun {
    int status = -1;     // exit status; -1 when it did not exit normally
    std::string output;  // standard output and standard error, in order
};

// argv[1..] are the given words, unchanged. With asNobody the program runs
// under user and group 65534 (through setpriv), so that file permissions
// apply even though the tests run as root.
KorgenRun runKorgen(const std::string &folder, const std::vector<std::string> &args, bool asNobody = false);

// Empty when runKorgen(..., true) can work here, otherwise why not.
std::string whyNobodyCannotRun();

// The console texts korgen starts every run with.
std::string korgenBanner(const std::string &folder, const std::string &arguments);

// The folder as the program sees it (symbolic links resolved).
std::string realFolder(const std::string &folder);

// The page count pdfinfo reports, or -1.
int pdfPageCount(const std::string &path);

}  // namespace kordoc::test
