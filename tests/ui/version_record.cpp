#include "tests/ui/version_record.h"

#include <cstring>

namespace resources {
namespace {

size_t AlignedToDword(size_t offset) {
    return (offset + 3) & ~size_t{3};
}

WORD WordAt(const uint8_t* bytes, size_t offset) {
    WORD value;
    std::memcpy(&value, bytes + offset, sizeof value);
    return value;
}

// Parses the node at `start`, which must end within `limit`.
std::optional<VersionNode> ParseNode(const uint8_t* bytes, size_t start, size_t limit) {
    const size_t headerSize = 3 * sizeof(WORD);
    if (limit - start < headerSize) {
        return std::nullopt;
    }
    const size_t length = WordAt(bytes, start);
    const WORD valueLength = WordAt(bytes, start + 2);
    VersionNode node;
    node.type = WordAt(bytes, start + 4);
    const size_t end = start + length;
    if (length < headerSize || end > limit) {
        return std::nullopt;
    }
    size_t at = start + headerSize;
    for (; at + 1 < end && WordAt(bytes, at) != 0; at += 2) {
        node.key += static_cast<wchar_t>(WordAt(bytes, at));
    }
    at = AlignedToDword(at + 2);
    // A text value's length counts characters, a binary value's length counts bytes.
    const size_t valueBytes = node.type == 1 ? valueLength * sizeof(wchar_t) : valueLength;
    if (at + valueBytes > end) {
        return std::nullopt;
    }
    node.value.assign(bytes + at, bytes + at + valueBytes);
    for (at = AlignedToDword(at + valueBytes); at < end; at = AlignedToDword(at)) {
        std::optional<VersionNode> child = ParseNode(bytes, at, end);
        if (!child) {
            return std::nullopt;
        }
        at += WordAt(bytes, at);
        node.children.push_back(std::move(*child));
    }
    return node;
}

} // namespace

const VersionNode* VersionNode::Child(const std::wstring& childKey) const {
    for (const VersionNode& child : children) {
        if (child.key == childKey) {
            return &child;
        }
    }
    return nullptr;
}

std::wstring VersionNode::Text() const {
    std::wstring text(reinterpret_cast<const wchar_t*>(value.data()),
                      value.size() / sizeof(wchar_t));
    while (!text.empty() && text.back() == L'\0') {
        text.pop_back();
    }
    return text;
}

std::optional<VersionNode> ParseVersionRecord(const ResourceData& data) {
    return ParseNode(data.bytes, 0, data.size);
}

} // namespace resources
