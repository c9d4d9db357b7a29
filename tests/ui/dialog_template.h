// Test support: reads an extended dialog template (DLGTEMPLATEEX) field by field.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "tests/ui/resource_data.h"

namespace resources {

// A field that holds either nothing, a 16-bit ordinal (a class atom, a resource number) or a name.
struct NameOrOrdinal {
    enum class Kind { None, Ordinal, Name };
    Kind kind = Kind::None;
    WORD ordinal = 0;
    std::wstring name;
};

struct DialogControl {
    DWORD helpId;
    DWORD exStyle;
    DWORD style;
    short x, y, cx, cy;
    DWORD id;
    NameOrOrdinal windowClass;
    NameOrOrdinal text;
    WORD extraBytes;
};

struct DialogFont {
    WORD pointSize;
    WORD weight;
    BYTE italic;
    BYTE charset;
    std::wstring face;
};

struct DialogTemplate {
    DWORD helpId;
    DWORD exStyle;
    DWORD style;
    short x, y, cx, cy;
    NameOrOrdinal menu;
    NameOrOrdinal windowClass;
    std::wstring caption;
    std::optional<DialogFont> font;
    std::vector<DialogControl> controls;
};

// Nothing when the data is not an extended template or ends before the template does.
std::optional<DialogTemplate> ParseDialogTemplate(const ResourceData& data);

} // namespace resources
