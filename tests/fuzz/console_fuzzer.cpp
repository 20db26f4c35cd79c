// libFuzzer target: arbitrary text typed at the host's console, a fresh session per input.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "console_text.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzzing::runConsoleText(std::string_view(reinterpret_cast<const char*>(data), size), QUORVEL_MODULE_PATH);
    return 0;
}
