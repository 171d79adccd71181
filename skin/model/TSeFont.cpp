#include "skin/model/TSeFont.h"

#include <cmath>

#include "platform/CodePage.h"
#include "skin/model/PropertyAccess.h"

namespace skin {

namespace {

constexpr std::string_view styleNames[] = {"fsBold", "fsItalic", "fsUnderline", "fsStrikeOut"};
constexpr std::string_view pitchNames[] = {"fpDefault", "fpVariable", "fpFixed"};

} // namespace

bool TSeFont::readProperty(std::string_view sub, const PropertyValue& v,
                           std::string_view fullName) {
    if (sub == "Charset") {
        Charset = props::toCharset(v, fullName);
    } else if (sub == "Color") {
        Color = props::toColor(v, fullName);
    } else if (sub == "Height") {
        Height = props::toInt(v, fullName);
    } else if (sub == "Size") {
        // Points at the 96 dpi the skins were drawn for; a negative height is a character
        // height in pixels.
        const int size = props::toInt(v, fullName);
        Height = -int(std::lround(size * 96.0 / 72.0));
    } else if (sub == "Name") {
        Name = props::toString(v, fullName);
    } else if (sub == "Pitch") {
        if (v.type != PropertyValue::Type::Identifier)
            props::invalidValue(fullName);
        for (int i = 0; i < 3; ++i) {
            if (v.text == pitchNames[i]) {
                FontPitch = Pitch(i);
                return true;
            }
        }
        props::invalidValue(fullName);
    } else if (sub == "Style") {
        if (v.type != PropertyValue::Type::Set)
            props::invalidValue(fullName);
        std::uint8_t bits = 0;
        for (const auto& m : v.members) {
            bool known = false;
            for (int i = 0; i < 4; ++i) {
                if (m == styleNames[i]) {
                    bits |= std::uint8_t(1u << i);
                    known = true;
                }
            }
            if (!known)
                props::invalidValue(fullName);
        }
        StyleBits = bits;
    } else {
        return false;
    }
    return true;
}

void TSeFont::writeProperties(const std::string& prefix, PropertyList& out) const {
    if (auto name = charsetToIdent(Charset))
        props::putIdent(out, prefix + ".Charset", *name);
    else
        props::putInt(out, prefix + ".Charset", Charset);
    props::putColor(out, prefix + ".Color", Color);
    props::putInt(out, prefix + ".Height", Height);
    props::putString(out, prefix + ".Name", Name);
    if (FontPitch != Pitch::fpDefault)
        props::putIdent(out, prefix + ".Pitch", pitchNames[int(FontPitch)]);
    std::vector<std::string> members;
    for (int i = 0; i < 4; ++i) {
        if (StyleBits & (1u << i))
            members.emplace_back(styleNames[i]);
    }
    out.push_back({prefix + ".Style", PropertyValue::makeSet(std::move(members))});
}

QFont TSeFont::toQFont() const {
    // Skins made on Windows carry names like 宋体 in code page 936; ours are UTF-8.
    const QByteArrayView bytes(Name.data(), qsizetype(Name.size()));
    QFont f(platform::isValidUtf8(bytes) ? QString::fromUtf8(bytes)
                                         : platform::decodeGb18030(bytes));
    // A negative height is the character height, a positive one the cell height including
    // the internal leading (about a fifth of it in common fonts).
    int pixels = Height < 0 ? -Height : int(std::lround(Height * 0.8));
    if (pixels <= 0)
        pixels = 11;
    f.setPixelSize(pixels);
    f.setBold(StyleBits & fsBold);
    f.setItalic(StyleBits & fsItalic);
    f.setUnderline(StyleBits & fsUnderline);
    f.setStrikeOut(StyleBits & fsStrikeOut);
    if (FontPitch == Pitch::fpFixed)
        f.setFixedPitch(true);
    return f;
}

} // namespace skin
