// The bytes of a module file as the image checks read them: its size, and reads at any offset.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

namespace host {

struct ModuleImage {
    std::uint64_t size = 0;
    // `count` bytes from `offset`; fewer (or none) where the file ends or cannot be read.
    std::function<std::vector<unsigned char>(std::uint64_t offset, std::size_t count)> read;
};

// Little-endian fields, the byte order of both module formats on the platforms the host runs on.
inline std::uint64_t littleEndian(const std::vector<unsigned char>& bytes, std::size_t at, std::size_t width) {
    std::uint64_t value = 0;
    for (std::size_t i = width; i-- > 0;) {
        value = (value << 8) | bytes.at(at + i);
    }
    return value;
}

// True if [offset, offset + length) lies inside a file of `size` bytes, without overflowing.
inline bool insideFile(std::uint64_t offset, std::uint64_t length, std::uint64_t size) {
    return offset <= size && length <= size - offset;
}

}  // namespace host
