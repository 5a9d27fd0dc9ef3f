#pragma once

#include <functional>
#include <map>
#include <string_view>

namespace kalvenor::tools {

// Each option's name and what its value sets.
using OptionSetters = std::map<std::string_view, std::function<void(const char* value)>>;

// Reads a trial tool's command line of "--name value" pairs; false for a
// name it does not know or a name without its value.
inline bool ReadOptions(int argc, char** argv, const OptionSetters& setters) {
    for (int i = 1; i < argc; i += 2) {
        const auto setter = setters.find(argv[i]);
        if (setter == setters.end() || i + 1 >= argc) {
            return false;
        }
        setter->second(argv[i + 1]);
    }
    return true;
}

}  // namespace kalvenor::tools
