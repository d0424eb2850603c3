#include "streamkind.h"

#include "fileaccess.h"

namespace kordoc::sim {

namespace {

bool lowerContains(std::string_view stream, std::string_view what)
{
    if (stream.size() >= maxFileNameLength)
        return false;
    return toLower(stream).find(what) != std::string::npos;
}

}  // namespace

bool isjpegstream(std::string_view stream)
{
    if (stream.size() >= maxFileNameLength)
        return false;
    std::string lower = toLower(stream);
    if (lower.find(".jpg") == std::string::npos && lower.find(".jif") == std::string::npos &&
        lower.find(".jpeg") == std::string::npos)
        return false;
    return fileExists(stream);
}

bool ispassedthrough(std::string_view stream)
{
    return lowerContains(stream, ".z") && !isjpegstream(stream) && fileExists(stream);
}

}  // namespace kordoc::sim
