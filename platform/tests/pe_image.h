// Small PE images for tests, built in memory: the headers of a PE32 or
// PE32+ file and one ".rsrc" section with a resource tree, enough for the
// version reader to walk.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace win_testing {

struct TPeImageSpec {
  bool Pe32Plus = false;
  bool HasResources = true;
  // The resource type that holds `ResourceData` (16 is RT_VERSION).
  std::uint32_t ResourceType = 16;
  std::string ResourceData;
};

std::string BuildPeImage(const TPeImageSpec& spec);

// An image whose RT_VERSION resource is `versionBlock`.
std::string PeImageWithVersion(const std::string& versionBlock);

}  // namespace win_testing
