#include "errorfile.h"

#include "linereader.h"

#include <charconv>

namespace kordoc::sim {

namespace {

std::string_view trim(std::string_view s)
{
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
        s.remove_suffix(1);
    return s;
}

}  // namespace

std::optional<ErrorEntry> lookupError(const std::string &folder, int code)
{
    LineReader in;
    if (!in.open(folder + errorFileName))
        return std::nullopt;
    std::string line;
    while (in.next(line)) {
        std::string_view l = trim(line);
        if (l.empty() || l.front() == '#')
            continue;
        std::size_t bar1 = l.find('|');
        if (bar1 == std::string_view::npos)
            continue;
        std::string_view number = trim(l.substr(0, bar1));
        int value = 0;
        auto [ptr, ec] = std::from_chars(number.data(), number.data() + number.size(), value);
        if (ec != std::errc() || ptr != number.data() + number.size() || value != code)
            continue;
        std::string_view rest = l.substr(bar1 + 1);
        std::size_t bar2 = rest.find('|');
        ErrorEntry e;
        e.message = trim(rest.substr(0, bar2));
        if (bar2 != std::string_view::npos)
            e.extra = trim(rest.substr(bar2 + 1));
        return e;
    }
    return std::nullopt;
}

std::string errorText(const std::string &folder, int code)
{
    std::string number = std::to_string(code);
    if (auto e = lookupError(folder, code))
        return "Error " + number + "\n" + e->message + "\n" + e->extra + "\n";
    return "Error " + number + "\n(Refer VELMOR.ERR for explanation)\n";
}

}  // namespace kordoc::sim
