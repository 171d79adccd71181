#pragma once

// A small skin built in code with objects for the progress bar, speed button, track bar and
// splitter, written to a file for an engine to load. Every part and state draws its own
// colour, so one pixel tells which part painted it and in which state.

#include <QColor>
#include <QImage>
#include <QString>
#include <QTemporaryDir>
#include <QWidget>
#include <cstdint>
#include <memory>

#include "skin/format/SkinFile.h"
#include "skin/model/SkinClassRegistry.h"
#include "skin/model/TSeBitmapObject.h"
#include "skin/model/TSeButtonObject.h"
#include "skin/model/TSeSkinSource.h"
#include "skin/model/TSeTextObject.h"

namespace controlskins {

inline const skin::SkinClassRegistry& registry() {
    static const auto r = skin::SkinClassRegistry::withStandardClasses();
    return r;
}

// Squares of the "parts" bitmap, 8 x 8 each, left to right.
enum Square {
    sqFace,
    sqFaceHot,
    sqFacePressed,
    sqFaceFocused,
    sqFaceDisabled,
    sqFlat,
    sqFlatHot,
    sqFlatPressed,
    sqFlatFocused,
    sqFlatDisabled,
    sqFrame,
    sqThumb,
    sqThumbHot,
    sqThumbPressed,
    sqThumbFocused,
    sqThumbDisabled,
    sqHoledFrame, // kFramePixel with a hole of key pixels in the middle
    sqCount
};

constexpr std::uint32_t kSquarePixels[sqCount] = {
    0xFF1060A0, 0xFF10A060, 0xFFA01060, 0xFF6010A0, 0xFF707070, 0xFF30C0C0,
    0xFFC0C030, 0xFFC03030, 0xFF3030C0, 0xFF909090, 0xFF2040C0, 0xFF40E040,
    0xFFE0E040, 0xFFE04040, 0xFF4040E0, 0xFFA0A0A0, 0xFF2040C0};

// Plain colours of parts drawn as fills.
constexpr QRgb kBarRgb = qRgb(0xF0, 0x20, 0x20);
constexpr QRgb kBarHorzRgb = qRgb(0x20, 0xF0, 0x80);
constexpr QRgb kBarVertRgb = qRgb(0x80, 0x20, 0xF0);
constexpr QRgb kChevronRgb = qRgb(0xF0, 0x80, 0x10);
constexpr QRgb kSpeedRootRgb = qRgb(0x50, 0x90, 0x10);
constexpr QRgb kTrackRgb = qRgb(0x90, 0x50, 0x20);
constexpr QRgb kTrackFrameRgb = qRgb(0xD0, 0xD0, 0xF0);
constexpr QRgb kHighlightRgb = qRgb(0xF0, 0x10, 0xD0);
constexpr QRgb kTickRgb = qRgb(0x10, 0x30, 0x50);
constexpr QRgb kSplitterRgb = qRgb(0x60, 0x10, 0x40);
// Caption colours of the "Text" part by state.
constexpr QRgb kTextRgb = qRgb(0x00, 0x00, 0xF8);
constexpr QRgb kTextPressedRgb = qRgb(0xF8, 0x00, 0x00);
constexpr int kThumbLength = 15;
constexpr int kThumbThickness = 20;
constexpr int kTrackThickness = 6;
constexpr int kFrameMargin = 3;

inline QRgb rgb(Square s) {
    const std::uint32_t p = kSquarePixels[s];
    return qRgb(int(p >> 16 & 0xFF), int(p >> 8 & 0xFF), int(p & 0xFF)) & 0xFFFFFF;
}

struct ControlSkinOptions {
    bool progressBar = true;
    bool bar = true;      // "Bar"
    bool barHorz = false; // "BarHorz"
    bool barVert = false; // "BarVert"
    bool holedFrame = false;
    bool speedButton = true;
    bool faces = true; // "Face" and "FlatFace"
    bool chevron = true;
    bool text = true;
    bool trackBar = true;
    bool highlight = true;
    bool tick = false;
    bool splitter = true;
};

inline skin::TColor colorOf(QRgb c) {
    return skin::rgbColor(qRed(c), qGreen(c), qBlue(c));
}

inline skin::TSeBitmapLink square(Square s) {
    return {"parts", int(s) * 8, 0, int(s) * 8 + 8, 8};
}

template <class T> std::unique_ptr<T> part(const char* name, int w = 10, int h = 10) {
    auto p = std::make_unique<T>();
    p->setName(name);
    p->setStoredBounds(0, 0, w, h);
    if constexpr (std::is_base_of_v<skin::TSeBitmapObject, T>) {
        p->Masked = false;
        p->MaskedBorder = false;
        p->MaskedAngles = false;
        p->TileStyle = skin::TscTileStyle::tsStretch;
    }
    return p;
}

inline std::unique_ptr<skin::TSeSkinObject> fill(const char* name, QRgb colour, int w = 10,
                                                 int h = 10) {
    auto p = part<skin::TSeSkinObject>(name, w, h);
    p->Color = colorOf(colour);
    return p;
}

inline std::unique_ptr<skin::TSeButtonObject> stateButton(const char* name, Square normal,
                                                          int w = 10, int h = 10) {
    auto b = part<skin::TSeButtonObject>(name, w, h);
    b->Bitmap = square(normal);
    b->BitmapHot = square(Square(normal + 1));
    b->BitmapPressed = square(Square(normal + 2));
    b->BitmapFocused = square(Square(normal + 3));
    b->BitmapDisabled = square(Square(normal + 4));
    return b;
}

inline void fillControlSkin(skin::TSeSkinSource& s, const ControlSkinOptions& o = {}) {
    s.clear();
    s.SkinName = "Test controls";
    auto bitmap = std::make_unique<skin::TSeBitmap>("parts", sqCount * 8, 8);
    for (int i = 0; i < sqCount; ++i)
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 8; ++x) {
                const bool hole = i == sqHoledFrame && x >= 2 && x < 6 && y >= 2 && y < 6;
                bitmap->setPixel(i * 8 + x, y, hole ? skin::kKeyPixel : kSquarePixels[i]);
            }
    s.addBitmap(std::move(bitmap));

    auto form = fill("Form", qRgb(10, 200, 30), 300, 250);
    form->Kind = skin::TSeKind::skForm;
    s.addObject(std::move(form));

    if (o.progressBar) {
        auto root = part<skin::TSeSkinObject>("ProgressBar", 150, 12);
        root->Color = skin::clNone;
        auto frame = part<skin::TSeBitmapObject>("Frame", 150, 12);
        frame->Bitmap = square(o.holedFrame ? sqHoledFrame : sqFrame);
        frame->Masked = o.holedFrame;
        frame->MarginLeft = frame->MarginTop = frame->MarginRight = frame->MarginBottom =
            kFrameMargin;
        root->addChild(std::move(frame));
        if (o.bar)
            root->addChild(fill("Bar", kBarRgb));
        if (o.barHorz)
            root->addChild(fill("BarHorz", kBarHorzRgb));
        if (o.barVert)
            root->addChild(fill("BarVert", kBarVertRgb));
        s.addObject(std::move(root));
    }
    if (o.speedButton) {
        auto root = fill("SpeedButton", kSpeedRootRgb, 23, 22);
        root->DrawIfOwner = true;
        if (o.faces) {
            root->addChild(stateButton("Face", sqFace));
            root->addChild(stateButton("FlatFace", sqFlat));
        }
        if (o.chevron)
            root->addChild(fill("Chevron", kChevronRgb));
        if (o.text) {
            auto text = part<skin::TSeTextObject>("Text", 0, 0);
            text->Color = skin::clNone;
            for (skin::TSeFont* f : {&text->Font, &text->FontHot, &text->FontFocused,
                                     &text->FontPressed, &text->FontDisabled}) {
                f->Height = -20;
                f->StyleBits = skin::TSeFont::fsBold;
                f->Color = colorOf(kTextRgb);
            }
            text->FontPressed.Color = colorOf(kTextPressedRgb);
            root->addChild(std::move(text));
        }
        s.addObject(std::move(root));
    }
    if (o.trackBar) {
        auto root = part<skin::TSeSkinObject>("TrackBar", 150, 45);
        root->Color = skin::clNone;
        root->addChild(fill("Frame", kTrackFrameRgb));
        root->addChild(fill("Track", kTrackRgb, 100, kTrackThickness));
        if (o.highlight)
            root->addChild(fill("Highlight", kHighlightRgb));
        if (o.tick)
            root->addChild(fill("Tick", kTickRgb, 1, 4));
        root->addChild(stateButton("Thumb", sqThumb, kThumbLength, kThumbThickness));
        s.addObject(std::move(root));
    }
    if (o.splitter)
        s.addObject(fill("Splitter", kSplitterRgb, 4, 100));
}

inline QString writeControlSkin(const QTemporaryDir& dir, const QString& name,
                                const ControlSkinOptions& o = {}) {
    skin::TSeSkinSource s;
    fillControlSkin(s, o);
    const QString path = dir.filePath(name);
    skin::saveSkinFile(s, path, registry());
    return path;
}

// A parent of a known colour with the controls at fixed places; pixels are read from a grab.
struct Host {
    QWidget widget;
    static constexpr QRgb kBackground = qRgb(0xF0, 0xE8, 0xD0);

    Host() {
        widget.resize(300, 200);
        QPalette pal = widget.palette();
        pal.setColor(QPalette::Window, QColor(kBackground));
        widget.setPalette(pal);
        widget.setAutoFillBackground(true);
    }
    QImage picture() { return widget.grab().toImage().convertToFormat(QImage::Format_RGB32); }
    // A pixel of a control, in the control's own coordinates.
    QRgb at(const QWidget* control, QPoint p) {
        return picture().pixel(control->mapTo(&widget, p)) & 0xFFFFFF;
    }
    QRgb at(const QWidget* control, int x, int y) { return at(control, QPoint(x, y)); }
    // The part of the picture a control covers.
    QImage area(const QWidget* control) { return picture().copy(control->geometry()); }
};

inline bool contains(const QImage& image, QRgb colour) {
    const QImage x = image.convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < x.height(); ++y)
        for (int c = 0; c < x.width(); ++c)
            if ((x.pixel(c, y) & 0xFFFFFF) == (colour & 0xFFFFFF))
                return true;
    return false;
}

} // namespace controlskins
