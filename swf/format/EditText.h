#pragma once

// DefineEditText: a text field as the author set it up, with its flags, font, layout and the
// text it starts with. Strings are kept as the file has them; their code page depends on the
// movie's version and is worked out where they are shown.

#include "swf/format/Character.h"
#include "swf/format/Reader.h"
#include "swf/format/Result.h"
#include "swf/format/Text.h"

#include <QByteArray>
#include <QColor>
#include <QRectF>
#include <memory>
#include <optional>

namespace swf {

struct EditTextDefinition {
    QRectF bounds; // twips
    bool wordWrap = false;
    bool multiline = false;
    bool password = false;
    bool readOnly = false;
    bool autoSize = false;
    bool noSelect = false;
    bool border = false;
    bool wasStatic = false;
    bool html = false;
    bool useOutlines = false;
    std::optional<uint16_t> fontId;
    QByteArray fontClass;
    double fontHeight = 240; // twips
    std::optional<QColor> color;
    std::optional<int> maxLength;
    bool hasLayout = false;
    int align = 0; // 0 left, 1 right, 2 center, 3 justify
    double leftMargin = 0, rightMargin = 0, indent = 0, leading = 0; // twips
    QByteArray variableName;
    std::optional<QByteArray> initialText;
};

class EditTextCharacter final : public Character {
public:
    EditTextCharacter(uint16_t id, EditTextDefinition def)
        : Character(id, Kind::EditText), def_(std::move(def)) {}
    const EditTextDefinition& definition() const { return def_; }
    const TextRenderSettings& settings() const { return settings_; }
    std::shared_ptr<EditTextCharacter> withSettings(const TextRenderSettings& s) const {
        auto c = std::make_shared<EditTextCharacter>(id(), def_);
        c->settings_ = s;
        return c;
    }

private:
    EditTextDefinition def_;
    TextRenderSettings settings_;
};

Result<std::shared_ptr<EditTextCharacter>> parseEditTextTag(Reader& r);

} // namespace swf
