// korgen: INFILE.sim to OUTFILE.pdf. The program is a thin shell around
// run(), so its console texts are testable without a process.
#pragma once

#include <ostream>
#include <string>

namespace kordoc::korgen {

inline constexpr const char *version = "2.01";

struct Environment {
    std::string workingFolder;  // printed on the folder line
    std::string programFolder;  // with a trailing '/'; fnt.def and VELMOR.ERR are looked for here
};

// Exit status: 0 after a written PDF; 2 after the usage text; 1 when the
// input existed but could not be read; a run-time failure's error number
// (never 0) otherwise.
int run(const std::string &arguments, std::ostream &out, const Environment &env);

}  // namespace kordoc::korgen
