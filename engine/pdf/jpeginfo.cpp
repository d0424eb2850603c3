#include "jpeginfo.h"

namespace kordoc::pdf {

std::optional<JpegInfo> readJpegInfo(std::string_view b)
{
    auto byte = [&b](std::size_t i) { return static_cast<unsigned char>(b[i]); };
    if (b.size() < 4 || byte(0) != 0xFF || byte(1) != 0xD8)
        return std::nullopt;
    JpegInfo info;
    std::size_t p = 2;
    while (p + 4 <= b.size()) {
        if (byte(p) != 0xFF)
            return std::nullopt;
        unsigned marker = byte(p + 1);
        if (marker == 0xFF) {  // fill byte
            ++p;
            continue;
        }
        p += 2;
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD8))
            continue;  // markers without a length
        if (marker == 0xD9 || marker == 0xDA)
            return std::nullopt;  // image data before any frame header
        if (p + 2 > b.size())
            return std::nullopt;
        std::size_t length = (std::size_t(byte(p)) << 8) | byte(p + 1);
        if (length < 2 || p + length > b.size())
            return std::nullopt;
        const bool frame = marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
        if (marker == 0xEE && length >= 7 && b.substr(p + 2, 5) == "Adobe")
            info.adobe = true;
        if (frame) {
            if (length < 8)
                return std::nullopt;
            info.bits = byte(p + 2);
            info.height = (unsigned(byte(p + 3)) << 8) | byte(p + 4);
            info.width = (unsigned(byte(p + 5)) << 8) | byte(p + 6);
            info.components = byte(p + 7);
            if (info.width == 0 || info.height == 0 || info.bits == 0 ||
                (info.components != 1 && info.components != 3 && info.components != 4))
                return std::nullopt;
            // An Adobe marker may follow the frame header; look on for it.
            for (std::size_t q = p + length; q + 9 <= b.size() && !info.adobe;) {
                if (byte(q) != 0xFF)
                    break;
                unsigned m = byte(q + 1);
                if (m == 0xDA || m == 0xD9)
                    break;
                std::size_t len = (std::size_t(byte(q + 2)) << 8) | byte(q + 3);
                if (len < 2)
                    break;
                if (m == 0xEE && len >= 7 && b.substr(q + 4, 5) == "Adobe")
                    info.adobe = true;
                q += 2 + len;
            }
            return info;
        }
        p += length;
    }
    return std::nullopt;
}

}  // namespace kordoc::pdf
