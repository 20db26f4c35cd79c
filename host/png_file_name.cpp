#include "png_file_name.h"

#include <algorithm>
#include <cctype>

#include "printable_text.h"

namespace host {

std::optional<std::string> pngNameRefusal(const std::string& file) {
    std::string ending = file.substr(file.size() - std::min<std::size_t>(file.size(), 4));
    std::transform(ending.begin(), ending.end(), ending.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (ending == ".png") {
        return std::nullopt;
    }
    return quoted(file) + " does not end in .png (the picture is written as PNG; expected a name such as picture.png)";
}

}  // namespace host
