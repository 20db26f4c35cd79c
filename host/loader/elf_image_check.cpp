#include "elf_image_check.h"

namespace host {
namespace {

constexpr std::size_t kHeaderSize = 64;            // ELF64 file header
constexpr std::size_t kProgramHeaderSize = 56;     // ELF64 program header
constexpr std::uint64_t kSharedObject = 3;         // e_type ET_DYN
constexpr std::uint64_t kLoadable = 1;             // p_type PT_LOAD
constexpr std::uint64_t kDynamic = 2;              // p_type PT_DYNAMIC
constexpr std::uint64_t kExtendedCount = 0xffff;   // e_phnum PN_XNUM

#if defined(__x86_64__) || defined(_M_X64)
constexpr std::uint64_t kThisMachine = 62;  // EM_X86_64
constexpr const char* kThisMachineName = "x86-64";
#elif defined(__aarch64__)
constexpr std::uint64_t kThisMachine = 183;  // EM_AARCH64
constexpr const char* kThisMachineName = "AArch64";
#else
constexpr std::uint64_t kThisMachine = 0;  // not checked
constexpr const char* kThisMachineName = "";
#endif

std::string cutShort(const std::string& what, std::uint64_t end, std::uint64_t size) {
    return "it is cut short: " + what + " ends at byte " + std::to_string(end) + ", but the file has " +
           std::to_string(size) + " bytes";
}

}  // namespace

std::optional<std::string> elfImageProblem(const ModuleImage& image) {
    const std::vector<unsigned char> header = image.read(0, kHeaderSize);
    if (header.size() < 4 || header[0] != 0x7f || header[1] != 'E' || header[2] != 'L' || header[3] != 'F') {
        return std::string("it is not a module: it does not begin with an ELF header");
    }
    if (header.size() < kHeaderSize) {
        return cutShort("the ELF header", kHeaderSize, image.size);
    }
    if (header[4] != 2) {
        return std::string("it is not a 64-bit ELF module");
    }
    if (header[5] != 1) {
        return std::string("it is not a little-endian ELF module");
    }
    if (littleEndian(header, 16, 2) != kSharedObject) {
        return std::string("it is not a shared object (ELF type ") + std::to_string(littleEndian(header, 16, 2)) +
               ", expected 3)";
    }
    const std::uint64_t machine = littleEndian(header, 18, 2);
    if (kThisMachine != 0 && machine != kThisMachine) {
        return "it is built for another machine (ELF machine " + std::to_string(machine) + ", expected " +
               std::to_string(kThisMachine) + ", " + kThisMachineName + ")";
    }
    const std::uint64_t tableOffset = littleEndian(header, 32, 8);
    const std::uint64_t entrySize = littleEndian(header, 54, 2);
    const std::uint64_t entryCount = littleEndian(header, 56, 2);
    if (entrySize != kProgramHeaderSize) {
        return "its program headers have " + std::to_string(entrySize) + " bytes each, expected " +
               std::to_string(kProgramHeaderSize);
    }
    if (entryCount == 0 || entryCount == kExtendedCount) {
        return "it has " + std::string(entryCount == 0 ? "no" : "too many") + " program headers";
    }
    const std::uint64_t tableSize = entryCount * entrySize;
    if (!insideFile(tableOffset, tableSize, image.size)) {
        return cutShort("the program header table", tableOffset + tableSize, image.size);
    }
    const std::vector<unsigned char> table = image.read(tableOffset, static_cast<std::size_t>(tableSize));
    if (table.size() < tableSize) {
        return std::string("its program header table cannot be read");
    }

    bool hasLoadable = false;
    bool hasDynamic = false;
    for (std::uint64_t index = 0; index < entryCount; ++index) {
        const std::size_t at = static_cast<std::size_t>(index * entrySize);
        const std::uint64_t type = littleEndian(table, at, 4);
        if (type != kLoadable && type != kDynamic) {
            continue;
        }
        const std::uint64_t offset = littleEndian(table, at + 8, 8);
        const std::uint64_t fileSize = littleEndian(table, at + 32, 8);
        const std::uint64_t memorySize = littleEndian(table, at + 40, 8);
        const std::string name =
            std::string(type == kLoadable ? "loadable" : "dynamic") + " segment " + std::to_string(index);
        if (!insideFile(offset, fileSize, image.size)) {
            return cutShort("its " + name, offset + fileSize, image.size);
        }
        if (type == kLoadable) {
            if (fileSize > memorySize) {
                return "its " + name + " holds more bytes in the file than in memory";
            }
            hasLoadable = true;
        } else {
            hasDynamic = true;
        }
    }
    if (!hasLoadable) {
        return std::string("it has no loadable segment");
    }
    if (!hasDynamic) {
        return std::string("it has no dynamic segment, so it is no shared library");
    }
    return std::nullopt;
}

}  // namespace host
