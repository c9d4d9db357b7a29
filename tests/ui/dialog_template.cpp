#include "tests/ui/dialog_template.h"

#include <cstring>

namespace resources {
namespace {

// Walks the template; any read past the end marks the reader as failed instead of reading on.
class TemplateReader {
public:
    explicit TemplateReader(const ResourceData& data) : data_(data) {}

    bool Failed() const { return failed_; }

    template <typename T> T Read() {
        T value{};
        if (!Has(sizeof(T))) {
            return value;
        }
        std::memcpy(&value, data_.bytes + offset_, sizeof(T));
        offset_ += sizeof(T);
        return value;
    }

    std::wstring ReadText() {
        std::wstring text;
        for (wchar_t c = Read<wchar_t>(); !failed_ && c != L'\0'; c = Read<wchar_t>()) {
            text += c;
        }
        return text;
    }

    NameOrOrdinal ReadNameOrOrdinal() {
        NameOrOrdinal field;
        const WORD first = Read<WORD>();
        if (first == 0x0000) {
            return field;
        }
        if (first == 0xFFFF) {
            field.kind = NameOrOrdinal::Kind::Ordinal;
            field.ordinal = Read<WORD>();
            return field;
        }
        offset_ -= sizeof(WORD);
        field.kind = NameOrOrdinal::Kind::Name;
        field.name = ReadText();
        return field;
    }

    void Skip(size_t count) {
        if (Has(count)) {
            offset_ += count;
        }
    }

    // Every control starts on a 4-byte boundary of the template.
    void AlignToDword() { Skip((4 - offset_ % 4) % 4); }

private:
    bool Has(size_t count) {
        if (failed_ || data_.size - offset_ < count) {
            failed_ = true;
            return false;
        }
        return true;
    }

    ResourceData data_;
    size_t offset_ = 0;
    bool failed_ = false;
};

DialogControl ReadControl(TemplateReader& reader) {
    reader.AlignToDword();
    DialogControl control{};
    control.helpId = reader.Read<DWORD>();
    control.exStyle = reader.Read<DWORD>();
    control.style = reader.Read<DWORD>();
    control.x = reader.Read<short>();
    control.y = reader.Read<short>();
    control.cx = reader.Read<short>();
    control.cy = reader.Read<short>();
    control.id = reader.Read<DWORD>();
    control.windowClass = reader.ReadNameOrOrdinal();
    control.text = reader.ReadNameOrOrdinal();
    control.extraBytes = reader.Read<WORD>();
    reader.Skip(control.extraBytes);
    return control;
}

DialogFont ReadFont(TemplateReader& reader) {
    DialogFont font{};
    font.pointSize = reader.Read<WORD>();
    font.weight = reader.Read<WORD>();
    font.italic = reader.Read<BYTE>();
    font.charset = reader.Read<BYTE>();
    font.face = reader.ReadText();
    return font;
}

} // namespace

std::optional<DialogTemplate> ParseDialogTemplate(const ResourceData& data) {
    TemplateReader reader(data);
    const WORD version = reader.Read<WORD>();
    const WORD signature = reader.Read<WORD>();
    if (version != 1 || signature != 0xFFFF) {
        return std::nullopt;
    }
    DialogTemplate dialog{};
    dialog.helpId = reader.Read<DWORD>();
    dialog.exStyle = reader.Read<DWORD>();
    dialog.style = reader.Read<DWORD>();
    const WORD controlCount = reader.Read<WORD>();
    dialog.x = reader.Read<short>();
    dialog.y = reader.Read<short>();
    dialog.cx = reader.Read<short>();
    dialog.cy = reader.Read<short>();
    dialog.menu = reader.ReadNameOrOrdinal();
    dialog.windowClass = reader.ReadNameOrOrdinal();
    dialog.caption = reader.ReadText();
    if (dialog.style & (DS_SETFONT | DS_SHELLFONT)) {
        dialog.font = ReadFont(reader);
    }
    for (WORD i = 0; i < controlCount && !reader.Failed(); ++i) {
        dialog.controls.push_back(ReadControl(reader));
    }
    if (reader.Failed()) {
        return std::nullopt;
    }
    return dialog;
}

} // namespace resources
