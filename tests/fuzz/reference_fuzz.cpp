// Any reference file must load one entry per line, each named by the text
// before the line's first colon.
#include "FuzzInput.h"

#include "refdata/ReferenceData.h"

#include <algorithm>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    std::vector<PositionData> table;
    loadTable(table, writeInput(data, size));

    const auto lineEnds = static_cast<std::size_t>(std::count(bytes.begin(), bytes.end(), '\n'));
    const bool unendedLastLine = !bytes.empty() && bytes.back() != '\n';
    require(table.size() == lineEnds + (unendedLastLine ? 1 : 0), "one entry per line");
    std::size_t at = 0;
    for (const PositionData& entry : table) {
        const std::size_t end = std::min(bytes.find_first_of(":\n", at), bytes.size());
        std::string expected = bytes.substr(at, end - at);
        if (!expected.empty() && expected.back() == '\r' && end < bytes.size() && bytes[end] == '\n')
            expected.pop_back();
        require(entry.name == expected, "name is the text before the first colon");
        const std::size_t next = bytes.find('\n', at);
        at = next == std::string::npos ? bytes.size() : next + 1;
    }
    return 0;
}
