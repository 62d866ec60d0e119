// Stand-in only: a program may hand the registry to the stand-in as text in memory instead
// of a file, as the fuzz targets do for every input, with no file written or read per call.
#pragma once

#include <cstddef>
#include <cstdint>

// Defined by a program that supplies the registry itself; absent everywhere else. Returns
// the bytes of a .reg file and sets *size, and *generation to a number that changes
// whenever the text does; nullptr to let VANTREL_REGISTRY name the file as usual.
#if VANTREL_TEST_HOOKS
extern "C" __attribute__((weak)) const char* vantrel_standin_registry_text(std::size_t* size,
                                                                           std::uint64_t* generation);
#else
// A build without test hooks (one that ships) reads files alone.
constexpr const char* (*vantrel_standin_registry_text)(std::size_t*, std::uint64_t*) = nullptr;
#endif
