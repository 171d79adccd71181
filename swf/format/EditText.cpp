#include "swf/format/EditText.h"

#include <algorithm>

namespace swf {

Result<std::shared_ptr<EditTextCharacter>> parseEditTextTag(Reader& r) {
    EditTextDefinition d;
    const uint16_t id = r.u16();
    d.bounds = r.rect();
    const uint8_t f1 = r.u8();
    const uint8_t f2 = r.u8();
    const bool hasText = f1 & 0x80;
    d.wordWrap = f1 & 0x40;
    d.multiline = f1 & 0x20;
    d.password = f1 & 0x10;
    d.readOnly = f1 & 0x08;
    const bool hasColor = f1 & 0x04;
    const bool hasMaxLength = f1 & 0x02;
    const bool hasFont = f1 & 0x01;
    const bool hasFontClass = f2 & 0x80;
    d.autoSize = f2 & 0x40;
    d.hasLayout = f2 & 0x20;
    d.noSelect = f2 & 0x10;
    d.border = f2 & 0x08;
    d.wasStatic = f2 & 0x04;
    d.html = f2 & 0x02;
    d.useOutlines = f2 & 0x01;
    if (hasFont)
        d.fontId = r.u16();
    if (hasFontClass)
        d.fontClass = r.string();
    if (hasFont || hasFontClass)
        d.fontHeight = r.u16();
    if (hasColor)
        d.color = r.rgba();
    if (hasMaxLength)
        d.maxLength = r.u16();
    if (d.hasLayout) {
        d.align = r.u8();
        d.leftMargin = r.u16();
        d.rightMargin = r.u16();
        // Authoring tools write negative indents; Flash draws them as none.
        d.indent = std::max<int16_t>(0, r.s16());
        d.leading = r.s16();
    }
    if (r.failed())
        return Error{QStringLiteral("Broken DefineEditText tag of field %1.").arg(id)};
    d.variableName = r.string();
    if (r.failed()) {
        // Some tools end the tag without the name's terminator; the field still shows.
        d.variableName.clear();
    } else if (hasText) {
        QByteArray text = r.string();
        d.initialText = r.failed() ? QByteArray() : text;
    }
    return std::make_shared<EditTextCharacter>(id, std::move(d));
}

} // namespace swf
