// The error-message file VELMOR.ERR beside the host program. Plain text:
//
//   # comment lines and blank lines are ignored
//   1407 | The name is not a fact or term of the sim language. | Check the spelling ...
//
// One entry per line: the code, a vertical bar, the message, a vertical bar,
// the extra text. The first entry for a code wins.
#pragma once

#include <optional>
#include <string>

namespace kordoc::sim {

inline constexpr const char *errorFileName = "VELMOR.ERR";

struct ErrorEntry {
    std::string message;
    std::string extra;
};

std::optional<ErrorEntry> lookupError(const std::string &folder, int code);

// "Error %\n%\n%\n" with the code, message and extra text; without the file
// or the code, "Error %\n(Refer VELMOR.ERR for explanation)\n".
std::string errorText(const std::string &folder, int code);

}  // namespace kordoc::sim
