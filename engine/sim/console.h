// Where the generator's progress texts go. The library passes none and stays
// silent.
#pragma once

#include <string_view>

namespace kordoc {

class Console {
public:
    virtual ~Console() = default;
    virtual void print(std::string_view text) = 0;
};

}  // namespace kordoc
