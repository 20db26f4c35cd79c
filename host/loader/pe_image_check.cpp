#include "pe_image_check.h"

#include <windows.h>

#include <cstddef>

namespace host {
namespace {

// The NT headers up to the optional header: the signature "PE\0\0" and the COFF file header.
constexpr std::size_t kFileHeaderEnd = sizeof(DWORD) + sizeof(IMAGE_FILE_HEADER);
// The shortest optional header that still holds the size of the headers.
constexpr std::size_t kShortestOptionalHeader = offsetof(IMAGE_OPTIONAL_HEADER64, SizeOfHeaders) + sizeof(DWORD);

#if defined(__x86_64__) || defined(_M_X64)
constexpr std::uint64_t kThisMachine = IMAGE_FILE_MACHINE_AMD64;
#elif defined(__aarch64__) || defined(_M_ARM64)
constexpr std::uint64_t kThisMachine = IMAGE_FILE_MACHINE_ARM64;
#else
constexpr std::uint64_t kThisMachine = 0;  // not checked
#endif

}  // namespace

std::optional<std::string> peImageProblem(const ModuleImage& image) {
    const std::vector<unsigned char> dosBytes = image.read(0, sizeof(IMAGE_DOS_HEADER));
    const auto dos = headerAt<IMAGE_DOS_HEADER>(dosBytes);
    if (dos.e_magic != IMAGE_DOS_SIGNATURE) {
        return std::string("it is not a module: it does not begin with a DOS header");
    }
    if (dosBytes.size() < sizeof(IMAGE_DOS_HEADER)) {
        return cutShort("the DOS header", sizeof(IMAGE_DOS_HEADER), image.size);
    }
    // An offset, though the structure declares it signed.
    const std::uint64_t ntOffset = static_cast<std::uint32_t>(dos.e_lfanew);
    if (!insideFile(ntOffset, kFileHeaderEnd, image.size)) {
        return cutShort("the NT headers", ntOffset + kFileHeaderEnd, image.size);
    }
    const std::vector<unsigned char> nt = image.read(ntOffset, kFileHeaderEnd);
    if (nt.size() < kFileHeaderEnd || headerAt<DWORD>(nt) != IMAGE_NT_SIGNATURE) {
        return std::string("it is not a module: its NT headers lack the PE signature");
    }
    const auto file = headerAt<IMAGE_FILE_HEADER>(nt, sizeof(DWORD));
    if (kThisMachine != 0 && file.Machine != kThisMachine) {
        return "it is built for another machine (PE machine " + std::to_string(file.Machine) + ", expected " +
               std::to_string(kThisMachine) + ")";
    }
    if ((file.Characteristics & IMAGE_FILE_DLL) == 0) {
        return std::string("it is not a DLL (its file header lacks the DLL flag)");
    }
    const std::uint64_t optionalOffset = ntOffset + kFileHeaderEnd;
    const std::uint64_t optionalSize = file.SizeOfOptionalHeader;
    if (optionalSize < kShortestOptionalHeader) {
        return "its optional header has " + std::to_string(optionalSize) + " bytes, too few for a PE32+ image";
    }
    if (!insideFile(optionalOffset, optionalSize, image.size)) {
        return cutShort("the optional header", optionalOffset + optionalSize, image.size);
    }
    const std::vector<unsigned char> optionalBytes =
        image.read(optionalOffset, static_cast<std::size_t>(optionalSize));
    if (optionalBytes.size() < optionalSize) {
        return std::string("its optional header cannot be read");
    }
    const auto optional = headerAt<IMAGE_OPTIONAL_HEADER64>(optionalBytes);
    if (optional.Magic != IMAGE_NT_OPTIONAL_HDR64_MAGIC) {
        return std::string("it is not a 64-bit (PE32+) module");
    }
    if (!insideFile(0, optional.SizeOfHeaders, image.size)) {
        return cutShort("its headers", optional.SizeOfHeaders, image.size);
    }
    const std::uint64_t sectionCount = file.NumberOfSections;
    if (sectionCount == 0) {
        return std::string("it has no sections");
    }
    const std::uint64_t tableOffset = optionalOffset + optionalSize;
    const std::uint64_t tableSize = sectionCount * sizeof(IMAGE_SECTION_HEADER);
    if (!insideFile(tableOffset, tableSize, image.size)) {
        return cutShort("the section table", tableOffset + tableSize, image.size);
    }
    const std::vector<unsigned char> table = image.read(tableOffset, static_cast<std::size_t>(tableSize));
    if (table.size() < tableSize) {
        return std::string("its section table cannot be read");
    }
    for (std::uint64_t index = 0; index < sectionCount; ++index) {
        const auto section =
            headerAt<IMAGE_SECTION_HEADER>(table, static_cast<std::size_t>(index * sizeof(IMAGE_SECTION_HEADER)));
        const std::uint64_t rawSize = section.SizeOfRawData;
        const std::uint64_t rawOffset = section.PointerToRawData;
        if (rawSize != 0 && !insideFile(rawOffset, rawSize, image.size)) {
            std::string name;
            for (std::size_t i = 0; i < IMAGE_SIZEOF_SHORT_NAME && section.Name[i] != 0; ++i) {
                const unsigned char c = section.Name[i];
                name += (c >= 0x20 && c < 0x7f) ? static_cast<char>(c) : '?';
            }
            return cutShort("its section " + std::to_string(index) + " (" + name + ")", rawOffset + rawSize,
                            image.size);
        }
    }
    return std::nullopt;
}

}  // namespace host
