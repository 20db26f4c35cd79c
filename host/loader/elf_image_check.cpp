#include "elf_image_check.h"

#include <elf.h>

#include <cstring>

namespace host {
namespace {

#if defined(__x86_64__)
constexpr std::uint64_t kThisMachine = EM_X86_64;
constexpr const char* kThisMachineName = "x86-64";
#elif defined(__aarch64__)
constexpr std::uint64_t kThisMachine = EM_AARCH64;
constexpr const char* kThisMachineName = "AArch64";
#else
constexpr std::uint64_t kThisMachine = 0;  // not checked
constexpr const char* kThisMachineName = "";
#endif

}  // namespace

std::optional<std::string> elfImageProblem(const ModuleImage& image) {
    const std::vector<unsigned char> bytes = image.read(0, sizeof(Elf64_Ehdr));
    const auto header = headerAt<Elf64_Ehdr>(bytes);
    if (std::memcmp(header.e_ident, ELFMAG, SELFMAG) != 0) {
        return std::string("it is not a module: it does not begin with an ELF header");
    }
    if (bytes.size() < sizeof(Elf64_Ehdr)) {
        return cutShort("the ELF header", sizeof(Elf64_Ehdr), image.size);
    }
    if (header.e_ident[EI_CLASS] != ELFCLASS64) {
        return std::string("it is not a 64-bit ELF module");
    }
    if (header.e_ident[EI_DATA] != ELFDATA2LSB) {
        return std::string("it is not a little-endian ELF module");
    }
    if (header.e_type != ET_DYN) {
        return "it is not a shared object (ELF type " + std::to_string(header.e_type) + ", expected " +
               std::to_string(ET_DYN) + ")";
    }
    if (kThisMachine != 0 && header.e_machine != kThisMachine) {
        return "it is built for another machine (ELF machine " + std::to_string(header.e_machine) + ", expected " +
               std::to_string(kThisMachine) + ", " + kThisMachineName + ")";
    }
    const std::uint64_t entrySize = header.e_phentsize;
    const std::uint64_t entryCount = header.e_phnum;
    if (entrySize != sizeof(Elf64_Phdr)) {
        return "its program headers have " + std::to_string(entrySize) + " bytes each, expected " +
               std::to_string(sizeof(Elf64_Phdr));
    }
    if (entryCount == 0 || entryCount == PN_XNUM) {
        return "it has " + std::string(entryCount == 0 ? "no" : "too many") + " program headers";
    }
    const std::uint64_t tableSize = entryCount * entrySize;
    if (!insideFile(header.e_phoff, tableSize, image.size)) {
        return cutShort("the program header table", header.e_phoff + tableSize, image.size);
    }
    const std::vector<unsigned char> table = image.read(header.e_phoff, static_cast<std::size_t>(tableSize));
    if (table.size() < tableSize) {
        return std::string("its program header table cannot be read");
    }

    bool hasLoadable = false;
    bool hasDynamic = false;
    for (std::uint64_t index = 0; index < entryCount; ++index) {
        const auto segment = headerAt<Elf64_Phdr>(table, static_cast<std::size_t>(index * entrySize));
        if (segment.p_type != PT_LOAD && segment.p_type != PT_DYNAMIC) {
            continue;
        }
        const std::string name =
            std::string(segment.p_type == PT_LOAD ? "loadable" : "dynamic") + " segment " + std::to_string(index);
        if (!insideFile(segment.p_offset, segment.p_filesz, image.size)) {
            return cutShort("its " + name, segment.p_offset + segment.p_filesz, image.size);
        }
        if (segment.p_type == PT_LOAD) {
            if (segment.p_filesz > segment.p_memsz) {
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
