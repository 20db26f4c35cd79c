// Counts the heap allocations this program makes. The program that links
// counting_operator_new.cpp replaces the global operator new with one that counts, so it must be a
// program of its own. On ELF the program's definition interposes on every library's, so the
// count covers the host, the SDK library and loaded modules alike; on Windows each DLL allocates
// through its own C++ runtime and only the program's allocations are seen.
#pragma once

#include <cstdint>

namespace quorvel_test {

// Allocations made by any thread since the program started. Take the difference around the code
// being measured, and keep other threads quiet meanwhile.
std::uint64_t heapAllocationsSoFar();

}  // namespace quorvel_test
