#include "run_length.h"

#include <cerrno>
#include <cstdlib>

namespace quorvel_test {

long countFromEnvironment(const char* variable, long fallback) {
    const char* text = std::getenv(variable);
    if (text == nullptr || *text == '\0') {
        return fallback;
    }
    char* end = nullptr;
    errno = 0;
    const long count = std::strtol(text, &end, 10);
    return *end == '\0' && errno == 0 && count > 0 ? count : fallback;
}

}  // namespace quorvel_test
