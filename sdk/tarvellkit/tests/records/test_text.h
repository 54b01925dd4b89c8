// Building record reply texts for the tests.
#pragma once

#include "../common/test_files.h"

#include <string>
#include <utility>
#include <vector>

namespace testtext {

using testfiles::Hex;

using Fields = std::vector<std::pair<std::string, std::string>>;

// One closed record: TAG:HEX; per field, then '.'.
inline std::string Record(const Fields& fields) {
    std::string out;
    for (const auto& [tag, value] : fields) {
        out += tag + ":" + Hex(value) + ";";
    }
    return out + ".";
}

} // namespace testtext
