#include "close_names.h"

#include <algorithm>
#include <cctype>

namespace host {
namespace {

std::string folded(const std::string& name) {
    std::string lower = name;
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return lower;
}

// Edits (a letter replaced, left out, added, or two neighbours swapped) that turn `a` into `b`.
std::size_t editsBetween(const std::string& a, const std::string& b) {
    std::vector<std::vector<std::size_t>> d(a.size() + 1, std::vector<std::size_t>(b.size() + 1));
    for (std::size_t i = 0; i <= a.size(); ++i) {
        d[i][0] = i;
    }
    for (std::size_t j = 0; j <= b.size(); ++j) {
        d[0][j] = j;
    }
    for (std::size_t i = 1; i <= a.size(); ++i) {
        for (std::size_t j = 1; j <= b.size(); ++j) {
            const std::size_t replaced = d[i - 1][j - 1] + (a[i - 1] == b[j - 1] ? 0 : 1);
            d[i][j] = std::min({d[i - 1][j] + 1, d[i][j - 1] + 1, replaced});
            if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1]) {
                d[i][j] = std::min(d[i][j], d[i - 2][j - 2] + 1);
            }
        }
    }
    return d[a.size()][b.size()];
}

}  // namespace

std::optional<std::string> closeName(const std::string& written, const std::vector<std::string>& names) {
    if (std::find(names.begin(), names.end(), written) != names.end()) {
        return std::nullopt;
    }
    const std::string lower = folded(written);
    std::optional<std::string> closest;
    std::size_t fewest = 3;
    for (const std::string& name : names) {
        // Names too far apart in length cannot be close: no need to count.
        const std::size_t longer = std::max(name.size(), written.size());
        if (longer - std::min(name.size(), written.size()) >= fewest) {
            continue;
        }
        const std::size_t edits = editsBetween(lower, folded(name));
        if (edits < fewest && edits * 3 <= longer) {
            fewest = edits;
            closest = name;
        }
    }
    return closest;
}

}  // namespace host
