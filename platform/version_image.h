// Where a program file keeps its version-information block.
//
// A PE file (a Windows program or library) keeps it as a resource of type
// RT_VERSION (16); the first name and the first language under it are taken.
// An ELF file (a host program of this system) keeps the same block in the
// section kVersionSection, which the build writes (version_block_gen.cpp).
// Every offset and size read from the file is checked against the file, so
// a damaged or cut-off image gives an error, never a read outside it.
//
// It returns the section or resource as stored; whether the block inside is
// sound is version_block.h's to tell.
#pragma once

#include <string_view>

#include "platform/error.h"

namespace win {

inline constexpr char kVersionSection[] = ".win_version_info";

// Windows' codes for a file that has no version resource.
inline constexpr DWORD ERROR_RESOURCE_DATA_NOT_FOUND = 1812;
inline constexpr DWORD ERROR_RESOURCE_TYPE_NOT_FOUND = 1813;

// The bytes of the version block in `image`. Returns ERROR_SUCCESS with
// `block` set; ERROR_BAD_FORMAT for a file that is neither a PE nor an ELF
// file, or whose headers do not fit it; ERROR_RESOURCE_DATA_NOT_FOUND for a
// PE file without resources; ERROR_RESOURCE_TYPE_NOT_FOUND when there is no
// version resource or section.
DWORD FindVersionBlock(std::string_view image, std::string_view& block);

}  // namespace win
