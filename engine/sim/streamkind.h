// What a snippet's stream names: a JPEG picture, a passed-through file, or
// text. Decided from the stream string and the files that exist now.
#pragma once

#include <string_view>

namespace kordoc::sim {

// Shorter than 255 characters, ".jpg", ".jif" or ".jpeg" anywhere in its
// lower-case form, and a matching file exists.
bool isjpegstream(std::string_view stream);

// Not a picture, names an existing file, and ".z" stands in its lower-case form.
bool ispassedthrough(std::string_view stream);

}  // namespace kordoc::sim
