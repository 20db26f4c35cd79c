// The bytes of a module file as the image checks read them: its size, and reads at any offset.
#pragma once

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <functional>
#include <string>
#include <type_traits>
#include <vector>

namespace host {

struct ModuleImage {
    std::uint64_t size = 0;
    // `count` bytes from `offset`; fewer (or none) where the file ends or cannot be read.
    std::function<std::vector<unsigned char>(std::uint64_t offset, std::size_t count)> read;
};

// Both module formats are little-endian on the machines the host runs on, so a header is its
// structure's bytes as they lie in the file.
static_assert(std::endian::native == std::endian::little, "module headers are read in the machine's byte order");

// The header structure `Header` at `at` in `bytes`, copied (the bytes need not be aligned). Bytes
// past the end of `bytes` read as zero, so a magic number cut short never matches.
template <typename Header>
Header headerAt(const std::vector<unsigned char>& bytes, std::size_t at = 0) {
    static_assert(std::is_trivially_copyable_v<Header>);
    Header header{};
    if (at < bytes.size()) {
        std::memcpy(&header, bytes.data() + at, std::min(sizeof(Header), bytes.size() - at));
    }
    return header;
}

// True if [offset, offset + length) lies inside a file of `size` bytes, without overflowing.
inline bool insideFile(std::uint64_t offset, std::uint64_t length, std::uint64_t size) {
    return offset <= size && length <= size - offset;
}

// The refusal of a file that ends before `what` does.
inline std::string cutShort(const std::string& what, std::uint64_t end, std::uint64_t size) {
    return "it is cut short: " + what + " ends at byte " + std::to_string(end) + ", but the file has " +
           std::to_string(size) + " bytes";
}

}  // namespace host
