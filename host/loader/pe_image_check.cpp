#include "pe_image_check.h"

namespace host {
namespace {

constexpr std::size_t kDosHeaderSize = 64;
constexpr std::size_t kNtOffsetField = 0x3c;          // e_lfanew
constexpr std::size_t kFileHeaderSize = 4 + 20;       // "PE\0\0" and the COFF file header
constexpr std::size_t kSectionHeaderSize = 40;
constexpr std::uint64_t kPe32Plus = 0x20b;            // optional header magic
constexpr std::uint64_t kDllCharacteristic = 0x2000;  // IMAGE_FILE_DLL
constexpr std::size_t kSizeOfHeadersField = 60;       // in the PE32+ optional header

#if defined(__x86_64__) || defined(_M_X64)
constexpr std::uint64_t kThisMachine = 0x8664;  // IMAGE_FILE_MACHINE_AMD64
#elif defined(__aarch64__) || defined(_M_ARM64)
constexpr std::uint64_t kThisMachine = 0xaa64;  // IMAGE_FILE_MACHINE_ARM64
#else
constexpr std::uint64_t kThisMachine = 0;  // not checked
#endif

std::string cutShort(const std::string& what, std::uint64_t end, std::uint64_t size) {
    return "it is cut short: " + what + " ends at byte " + std::to_string(end) + ", but the file has " +
           std::to_string(size) + " bytes";
}

}  // namespace

std::optional<std::string> peImageProblem(const ModuleImage& image) {
    const std::vector<unsigned char> dos = image.read(0, kDosHeaderSize);
    if (dos.size() < 2 || dos[0] != 'M' || dos[1] != 'Z') {
        return std::string("it is not a module: it does not begin with a DOS header");
    }
    if (dos.size() < kDosHeaderSize) {
        return cutShort("the DOS header", kDosHeaderSize, image.size);
    }
    const std::uint64_t ntOffset = littleEndian(dos, kNtOffsetField, 4);
    if (!insideFile(ntOffset, kFileHeaderSize, image.size)) {
        return cutShort("the NT headers", ntOffset + kFileHeaderSize, image.size);
    }
    const std::vector<unsigned char> nt = image.read(ntOffset, kFileHeaderSize);
    if (nt.size() < kFileHeaderSize || nt[0] != 'P' || nt[1] != 'E' || nt[2] != 0 || nt[3] != 0) {
        return std::string("it is not a module: its NT headers lack the PE signature");
    }
    const std::uint64_t machine = littleEndian(nt, 4, 2);
    if (kThisMachine != 0 && machine != kThisMachine) {
        return "it is built for another machine (PE machine " + std::to_string(machine) + ", expected " +
               std::to_string(kThisMachine) + ")";
    }
    const std::uint64_t sectionCount = littleEndian(nt, 6, 2);
    const std::uint64_t optionalSize = littleEndian(nt, 20, 2);
    const std::uint64_t characteristics = littleEndian(nt, 22, 2);
    if ((characteristics & kDllCharacteristic) == 0) {
        return std::string("it is not a DLL (its file header lacks the DLL flag)");
    }
    const std::uint64_t optionalOffset = ntOffset + kFileHeaderSize;
    if (optionalSize < kSizeOfHeadersField + 4) {
        return "its optional header has " + std::to_string(optionalSize) + " bytes, too few for a PE32+ image";
    }
    if (!insideFile(optionalOffset, optionalSize, image.size)) {
        return cutShort("the optional header", optionalOffset + optionalSize, image.size);
    }
    const std::vector<unsigned char> optional = image.read(optionalOffset, static_cast<std::size_t>(optionalSize));
    if (optional.size() < optionalSize) {
        return std::string("its optional header cannot be read");
    }
    if (littleEndian(optional, 0, 2) != kPe32Plus) {
        return std::string("it is not a 64-bit (PE32+) module");
    }
    const std::uint64_t headersSize = littleEndian(optional, kSizeOfHeadersField, 4);
    if (!insideFile(0, headersSize, image.size)) {
        return cutShort("its headers", headersSize, image.size);
    }
    if (sectionCount == 0) {
        return std::string("it has no sections");
    }
    const std::uint64_t tableOffset = optionalOffset + optionalSize;
    const std::uint64_t tableSize = sectionCount * kSectionHeaderSize;
    if (!insideFile(tableOffset, tableSize, image.size)) {
        return cutShort("the section table", tableOffset + tableSize, image.size);
    }
    const std::vector<unsigned char> table = image.read(tableOffset, static_cast<std::size_t>(tableSize));
    if (table.size() < tableSize) {
        return std::string("its section table cannot be read");
    }
    for (std::uint64_t index = 0; index < sectionCount; ++index) {
        const std::size_t at = static_cast<std::size_t>(index * kSectionHeaderSize);
        const std::uint64_t rawSize = littleEndian(table, at + 16, 4);
        const std::uint64_t rawOffset = littleEndian(table, at + 20, 4);
        if (rawSize != 0 && !insideFile(rawOffset, rawSize, image.size)) {
            std::string name;
            for (std::size_t i = 0; i < 8 && table[at + i] != 0; ++i) {
                const unsigned char c = table[at + i];
                name += (c >= 0x20 && c < 0x7f) ? static_cast<char>(c) : '?';
            }
            return cutShort("its section " + std::to_string(index) + " (" + name + ")", rawOffset + rawSize,
                            image.size);
        }
    }
    return std::nullopt;
}

}  // namespace host
