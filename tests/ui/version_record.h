// Test support: reads a version record (VS_VERSIONINFO) as its tree of keyed nodes.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "tests/ui/resource_data.h"

namespace resources {

// One node: "VS_VERSION_INFO", "StringFileInfo", a string block such as "041103a4", one of its
// strings, "VarFileInfo" or "Translation".
struct VersionNode {
    std::wstring key;
    WORD type; // 1 for text, 0 for binary
    std::vector<uint8_t> value;
    std::vector<VersionNode> children;

    const VersionNode* Child(const std::wstring& childKey) const;
    // The value of a text node, without its terminating null.
    std::wstring Text() const;
};

// Nothing when the data does not hold one well-formed node tree.
std::optional<VersionNode> ParseVersionRecord(const ResourceData& data);

} // namespace resources
