// What differs between the library and the command-line generator: the
// version text, the sound link's templates and the console progress.
#pragma once

#include <string_view>

namespace kordoc {
class Console;
}

namespace kordoc::pdf {

struct Profile {
    std::string_view version;
    std::string_view soundAction;  // the link annotation of a sound link
    std::string_view soundObject;  // its sound stream's dictionary
    Console *console = nullptr;    // progress texts; none in the library

    static Profile library();
    static Profile generator(Console *console);
};

}  // namespace kordoc::pdf
