#pragma once

// Small skins built in code and written to files or stream values, for the engine's and the
// skinned controls' tests. Colours are chosen so a pixel tells which part painted it.

#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QString>
#include <QTemporaryDir>
#include <cstdint>
#include <memory>

#include "skin/format/SkinFile.h"
#include "skin/model/SkinClassRegistry.h"
#include "skin/model/TSeBitmapObject.h"
#include "skin/model/TSeButtonObject.h"
#include "skin/model/TSeSkinSource.h"

namespace enginetest {

inline const skin::SkinClassRegistry& registry() {
    static const auto r = skin::SkinClassRegistry::withStandardClasses();
    return r;
}

// Pixels of the "panel" bitmap, one 8 x 8 square each, left to right.
constexpr std::uint32_t kFramePixel = 0xFF2040C0;
constexpr std::uint32_t kButtonPixel = 0xFF20A040;
constexpr std::uint32_t kButtonHotPixel = 0xFFE0C020;
constexpr std::uint32_t kButtonPressedPixel = 0xFFC02020;
constexpr std::uint32_t kRolldownPixel = 0xFF8020A0;
constexpr std::uint32_t kHidePixel = 0xFF20C0C0;
constexpr std::uint32_t kGreyPixel = 0xFF808080;
constexpr std::uint32_t kRedPixel = 0xFFFF0000;
// The "Caption" part's fill.
constexpr QRgb kCaptionRgb = qRgb(0xD0, 0x60, 0x30);
constexpr int kSkinCaptionHeight = 24;

struct PanelSkinOptions {
    bool withPanel = true;
    bool withCaption = true;
    bool withTitle = false;
    // Which button parts the panel object has.
    bool rollup = true;
    bool rolldown = true;
    bool hide = true;
    bool plainButton = true;
    bool frameMasked = false;
    bool frameMaskedBorder = false;
    bool frameMaskedAngles = false;
    // The frame's image has a hole of key pixels in its middle (drawn masked).
    bool frameHole = false;
};

inline skin::TSeBitmapLink square(int index) {
    return {"panel", index * 8, 0, index * 8 + 8, 8};
}

inline std::unique_ptr<skin::TSeButtonObject> button(const char* name, int normal, int hot = -1,
                                                     int pressed = -1) {
    auto b = std::make_unique<skin::TSeButtonObject>();
    b->setName(name);
    b->Bitmap = square(normal);
    if (hot >= 0)
        b->BitmapHot = square(hot);
    if (pressed >= 0)
        b->BitmapPressed = square(pressed);
    b->Masked = false;
    b->MaskedBorder = false;
    b->MaskedAngles = false;
    b->TileStyle = skin::TscTileStyle::tsStretch;
    return b;
}

// A skin with a "Form" object and, unless told otherwise, a "Panel" object with a bitmap
// frame, a caption and button parts.
inline void fillPanelSkin(skin::TSeSkinSource& s, const PanelSkinOptions& o = {}) {
    s.clear();
    s.SkinName = "Test panels";
    auto bitmap = std::make_unique<skin::TSeBitmap>("panel", 72, 8);
    const std::uint32_t colours[] = {kFramePixel,         kButtonPixel,   kButtonHotPixel,
                                     kButtonPressedPixel, kRolldownPixel, kHidePixel,
                                     kGreyPixel,          kRedPixel};
    for (int i = 0; i < 8; ++i)
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 8; ++x)
                bitmap->setPixel(i * 8 + x, y, colours[i]);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            bitmap->setPixel(64 + x, y,
                             x >= 2 && x < 6 && y >= 2 && y < 6 ? skin::kKeyPixel : kFramePixel);
    s.addBitmap(std::move(bitmap));

    auto form = std::make_unique<skin::TSeSkinObject>();
    form->setName("Form");
    form->Kind = skin::TSeKind::skForm;
    form->setStoredBounds(0, 0, 300, 250);
    form->Color = skin::rgbColor(10, 200, 30);
    s.addObject(std::move(form));

    if (!o.withPanel)
        return;
    auto panel = std::make_unique<skin::TSeSkinObject>();
    panel->setName("Panel");
    panel->setStoredBounds(0, 0, 100, 100);
    auto frame = std::make_unique<skin::TSeBitmapObject>();
    frame->setName("Frame");
    frame->Bitmap = square(o.frameHole ? 8 : 0);
    frame->Masked = o.frameMasked;
    frame->MaskedBorder = o.frameMaskedBorder;
    frame->MaskedAngles = o.frameMaskedAngles;
    frame->TileStyle = skin::TscTileStyle::tsStretch;
    frame->setStoredBounds(0, 0, 100, 100);
    panel->addChild(std::move(frame));
    if (o.withCaption) {
        auto caption = std::make_unique<skin::TSeSkinObject>();
        caption->setName("Caption");
        caption->Kind = skin::TSeKind::skCaption;
        caption->Color = skin::rgbColor(qRed(kCaptionRgb), qGreen(kCaptionRgb), qBlue(kCaptionRgb));
        caption->Font.Color = skin::clWhite;
        caption->setStoredBounds(0, 0, 100, kSkinCaptionHeight);
        panel->addChild(std::move(caption));
    }
    if (o.withTitle) {
        auto title = std::make_unique<skin::TSeSkinObject>();
        title->setName("Title");
        title->Kind = skin::TSeKind::skTitle;
        title->Color = skin::rgbColor(0x10, 0x10, 0x60);
        title->setStoredBounds(0, 0, 100, 18);
        panel->addChild(std::move(title));
    }
    if (o.rollup)
        panel->addChild(button("ButtonRollup", 1, 2, 3));
    if (o.rolldown)
        panel->addChild(button("ButtonRolldown", 4));
    if (o.hide)
        panel->addChild(button("ButtonHide", 5));
    if (o.plainButton)
        panel->addChild(button("Button", 6));
    s.addObject(std::move(panel));
}

// Writes a skin to a file in `dir` and returns its path.
inline QString writeSkin(const QTemporaryDir& dir, const QString& name,
                         const PanelSkinOptions& o = {}) {
    skin::TSeSkinSource s;
    fillPanelSkin(s, o);
    const QString path = dir.filePath(name);
    skin::saveSkinFile(s, path, registry());
    return path;
}

inline QByteArray panelSkinStream(const PanelSkinOptions& o = {}) {
    skin::TSeSkinSource s;
    fillPanelSkin(s, o);
    return skin::writeSkinStream(s, registry());
}

inline QRgb rgbOf(std::uint32_t pixel) {
    return qRgb(int(pixel >> 16 & 0xFF), int(pixel >> 8 & 0xFF), int(pixel & 0xFF));
}

// Largest difference of any channel between two images of the same size; -1 when the sizes
// differ.
inline int maxChannelDifference(const QImage& a, const QImage& b) {
    if (a.size() != b.size())
        return -1;
    const QImage x = a.convertToFormat(QImage::Format_RGB32);
    const QImage y = b.convertToFormat(QImage::Format_RGB32);
    int worst = 0;
    for (int row = 0; row < x.height(); ++row) {
        for (int col = 0; col < x.width(); ++col) {
            const QRgb p = x.pixel(col, row);
            const QRgb q = y.pixel(col, row);
            worst = std::max({worst, std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)),
                              std::abs(qBlue(p) - qBlue(q))});
        }
    }
    return worst;
}

} // namespace enginetest
