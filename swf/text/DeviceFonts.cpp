#include "swf/text/DeviceFonts.h"

#include <QFont>
#include <QFontDatabase>
#include <QGuiApplication>

namespace swf::text {

namespace {

const QStringList kSans{QStringLiteral("Arial"), QStringLiteral("Liberation Sans"),
                        QStringLiteral("Nimbus Sans"), QStringLiteral("DejaVu Sans")};
const QStringList kSerif{QStringLiteral("Times New Roman"), QStringLiteral("Liberation Serif"),
                         QStringLiteral("Nimbus Roman"), QStringLiteral("DejaVu Serif")};
const QStringList kMono{QStringLiteral("Courier New"), QStringLiteral("Liberation Mono"),
                        QStringLiteral("Nimbus Mono PS"), QStringLiteral("DejaVu Sans Mono")};
const QStringList kCjkSans{QStringLiteral("Microsoft YaHei"), QStringLiteral("Noto Sans CJK SC"),
                           QStringLiteral("WenQuanYi Micro Hei"),
                           QStringLiteral("WenQuanYi Zen Hei"),
                           QStringLiteral("Droid Sans Fallback")};
const QStringList kCjkSerif{QStringLiteral("SimSun"),
                            QStringLiteral("Noto Serif CJK SC"),
                            QStringLiteral("AR PL UMing CN"),
                            QStringLiteral("WenQuanYi Zen Hei"),
                            QStringLiteral("WenQuanYi Micro Hei"),
                            QStringLiteral("Droid Sans Fallback")};

bool hasCjk(const QString& s) {
    for (QChar c : s)
        if (c.unicode() >= 0x2e80 && c.unicode() < 0xa000)
            return true;
    return false;
}

bool guiPresent() {
    return qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr;
}

} // namespace

DeviceFonts& DeviceFonts::system() {
    static DeviceFonts fonts;
    return fonts;
}

QStringList DeviceFonts::candidates(const QString& name) {
    const QString n = name.trimmed();
    const QString lower = n.toLower();
    QStringList out;
    if (lower == QLatin1String("_sans") || lower.isEmpty())
        return kSans;
    if (lower == QLatin1String("_serif"))
        return kSerif;
    if (lower == QLatin1String("_typewriter"))
        return kMono;
    // The Chinese faces of Windows, by their Chinese and English names.
    static const std::map<QString, bool> chinese{
        {QStringLiteral("宋体"), true},        {QStringLiteral("simsun"), true},
        {QStringLiteral("新宋体"), true},      {QStringLiteral("nsimsun"), true},
        {QStringLiteral("仿宋_gb2312"), true}, {QStringLiteral("fangsong_gb2312"), true},
        {QStringLiteral("仿宋"), true},        {QStringLiteral("fangsong"), true},
        {QStringLiteral("楷体_gb2312"), true}, {QStringLiteral("kaiti_gb2312"), true},
        {QStringLiteral("楷体"), true},        {QStringLiteral("kaiti"), true},
        {QStringLiteral("隶书"), true},        {QStringLiteral("lisu"), true},
        {QStringLiteral("黑体"), false},       {QStringLiteral("simhei"), false},
        {QStringLiteral("微软雅黑"), false},   {QStringLiteral("microsoft yahei"), false},
        {QStringLiteral("幼圆"), false},       {QStringLiteral("youyuan"), false},
    };
    out << n;
    const auto it = chinese.find(lower);
    if (it != chinese.end())
        return out + (it->second ? kCjkSerif : kCjkSans);
    if (hasCjk(n))
        return out + kCjkSans;
    if (lower.contains(QLatin1String("courier")) || lower.contains(QLatin1String("mono")) ||
        lower.contains(QLatin1String("consol")))
        return out + kMono;
    if (lower.contains(QLatin1String("times")) || lower.contains(QLatin1String("georgia")) ||
        (lower.contains(QLatin1String("serif")) && !lower.contains(QLatin1String("sans"))))
        return out + kSerif;
    return out + kSans;
}

QString DeviceFonts::familyFor(const QString& name) {
    if (!guiPresent())
        return {};
    std::lock_guard lock(mutex_);
    const auto it = families_.find(name);
    if (it != families_.end())
        return it->second;
    QString found;
    const QStringList families = QFontDatabase::families();
    for (const QString& c : candidates(name)) {
        for (const QString& f : families)
            if (f.compare(c, Qt::CaseInsensitive) == 0) {
                found = f;
                break;
            }
        if (!found.isEmpty())
            break;
    }
    // Nothing we know of is installed: whatever sans face Qt picks.
    if (found.isEmpty() && !families.isEmpty())
        found = QFontDatabase::systemFont(QFontDatabase::GeneralFont).family();
    families_.emplace(name, found);
    return found;
}

std::shared_ptr<const DeviceFace> DeviceFonts::load(const QString& family, bool bold, bool italic) {
    std::lock_guard lock(mutex_);
    const auto key = std::make_tuple(family, bold, italic);
    const auto it = faces_.find(key);
    if (it != faces_.end())
        return it->second;
    QFont font(family);
    font.setPixelSize(static_cast<int>(DeviceFace::kEm));
    font.setBold(bold);
    font.setItalic(italic);
    font.setStyleStrategy(QFont::NoFontMerging);
    QRawFont raw = QRawFont::fromFont(font);
    std::shared_ptr<const DeviceFace> face;
    if (raw.isValid()) {
        // Families without a bold or italic face get the regular one thickened or slanted.
        const bool fakeBold = bold && raw.weight() < QFont::DemiBold;
        const bool fakeItalic = italic && raw.style() == QFont::StyleNormal;
        face = std::make_shared<DeviceFace>(raw, fakeBold, fakeItalic);
    }
    faces_.emplace(key, face);
    return face;
}

std::shared_ptr<const DeviceFace> DeviceFonts::face(const QString& name, bool bold, bool italic) {
    const QString family = familyFor(name);
    if (family.isEmpty())
        return nullptr;
    return load(family, bold, italic);
}

std::shared_ptr<const DeviceFace> DeviceFonts::fallbackFor(char32_t c, bool bold, bool italic) {
    if (!guiPresent())
        return nullptr;
    {
        std::lock_guard lock(fallbackMutex_);
        const auto it = fallbacks_.find({c, bold, italic});
        if (it != fallbacks_.end())
            return it->second;
    }
    const auto remember = [&](std::shared_ptr<const DeviceFace> face) {
        std::lock_guard lock(fallbackMutex_);
        fallbacks_.emplace(std::make_tuple(c, bold, italic), face);
        return face;
    };
    const bool cjk = (c >= 0x2e80 && c < 0xa000) || (c >= 0xac00 && c < 0xd7b0) ||
                     (c >= 0xf900 && c < 0xfb00) || (c >= 0xff00 && c < 0xfff0) ||
                     (c >= 0x3000 && c < 0x3040);
    const QStringList& order = cjk ? kCjkSans : kSans;
    const QStringList families = QFontDatabase::families();
    for (const QString& want : order + kCjkSans + kSerif) {
        for (const QString& f : families) {
            if (f.compare(want, Qt::CaseInsensitive) != 0)
                continue;
            auto face = load(f, bold, italic);
            if (face && face->glyphFor(c))
                return remember(face);
        }
    }
    return remember(nullptr);
}

} // namespace swf::text
