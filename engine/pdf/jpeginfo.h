// What a JPEG file's frame header says about the picture. Only the markers
// are read; the picture is never decoded.
#pragma once

#include <optional>
#include <string_view>

namespace kordoc::pdf {

struct JpegInfo {
    unsigned width = 0, height = 0;
    unsigned bits = 8;
    unsigned components = 3;
    bool adobe = false;  // an Adobe APP14 marker: four-component data is stored inverted
};

// Nothing when the bytes hold no readable frame header.
std::optional<JpegInfo> readJpegInfo(std::string_view bytes);

}  // namespace kordoc::pdf
