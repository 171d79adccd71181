#pragma once

#include <string>

#include "skin/model/TSeSkinObject.h"

namespace skin {

// The older family of skin objects, registered so that skins made with it still load. They
// keep every stored property and draw with the same primitives as the first family.

// Names a control of the window that the frame places on this part's rectangle.
class TSeLinkSkinObject : public TSeSkinObject {
public:
    QUARVEL_SKIN_CLASS(TSeLinkSkinObject)
    std::string LinkControl;
    void assign(const TSeSkinObject& source) override;
    bool readProperty(std::string_view name, const PropertyValue& value) override;
    void writeProperties(PropertyList& out) const override;
};

class TSeBitmapSkinObject : public TSeSkinObject {
public:
    QUARVEL_SKIN_CLASS(TSeBitmapSkinObject)
    TSeBitmapLink Bitmap;
    TscTileStyle TileStyle{TscTileStyle::tsTile};
    void assign(const TSeSkinObject& source) override;
    bool readProperty(std::string_view name, const PropertyValue& value) override;
    void writeProperties(PropertyList& out) const override;
    void afterLoad() override;
    void draw(QPainter& painter) override;
    QRegion objectRegion() override;
    virtual const TSeBitmapLink& currentBitmap() const { return Bitmap; }
    virtual paint::NinePart ninePart() const;

protected:
    // Links added by subclasses, for resolving and copying.
    virtual std::vector<TSeBitmapLink*> extraLinks() { return {}; }
};

class TSeBitmapBoxObject : public TSeBitmapSkinObject {
public:
    QUARVEL_SKIN_CLASS(TSeBitmapBoxObject)
    TscTileStyle BorderTileStyle{TscTileStyle::tsTile};
    void assign(const TSeSkinObject& source) override;
    bool readProperty(std::string_view name, const PropertyValue& value) override;
    void writeProperties(PropertyList& out) const override;
    paint::NinePart ninePart() const override;
};

class TSeActiveBitmapBoxObject : public TSeBitmapBoxObject {
public:
    QUARVEL_SKIN_CLASS(TSeActiveBitmapBoxObject)
    TSeBitmapLink FocusedBitmap;
    void assign(const TSeSkinObject& source) override;
    bool readProperty(std::string_view name, const PropertyValue& value) override;
    void writeProperties(PropertyList& out) const override;
    const TSeBitmapLink& currentBitmap() const override;

protected:
    std::vector<TSeBitmapLink*> extraLinks() override { return {&FocusedBitmap}; }
};

class TSeButtonBitmapBoxObject : public TSeBitmapBoxObject {
public:
    QUARVEL_SKIN_CLASS(TSeButtonBitmapBoxObject)
    TSeBitmapLink HotBitmap;
    TSeBitmapLink FocusedBitmap;
    TSeBitmapLink PressedBitmap;
    TSeBitmapLink DisabledBitmap;
    void assign(const TSeSkinObject& source) override;
    bool readProperty(std::string_view name, const PropertyValue& value) override;
    void writeProperties(PropertyList& out) const override;
    const TSeBitmapLink& currentBitmap() const override;

protected:
    std::vector<TSeBitmapLink*> extraLinks() override {
        return {&HotBitmap, &FocusedBitmap, &PressedBitmap, &DisabledBitmap};
    }
};

class TSeFormBitmapSkinObject : public TSeBitmapSkinObject {
public:
    QUARVEL_SKIN_CLASS(TSeFormBitmapSkinObject)
    TSeBitmapLink InactiveBitmap;
    void assign(const TSeSkinObject& source) override;
    bool readProperty(std::string_view name, const PropertyValue& value) override;
    void writeProperties(PropertyList& out) const override;
    const TSeBitmapLink& currentBitmap() const override;

protected:
    std::vector<TSeBitmapLink*> extraLinks() override { return {&InactiveBitmap}; }
};

class TSeSysButtonSkinObject : public TSeBitmapSkinObject {
public:
    QUARVEL_SKIN_CLASS(TSeSysButtonSkinObject)
    TSeAction Action{TSeAction::sbaNone};
    TSeBitmapLink BitmapHover;
    TSeBitmapLink BitmapDown;
    std::string RollPanel;
    void assign(const TSeSkinObject& source) override;
    bool readProperty(std::string_view name, const PropertyValue& value) override;
    void writeProperties(PropertyList& out) const override;
    const TSeBitmapLink& currentBitmap() const override;

protected:
    std::vector<TSeBitmapLink*> extraLinks() override { return {&BitmapHover, &BitmapDown}; }
};

class TSeActiveSkinObject : public TSeSkinObject {
public:
    QUARVEL_SKIN_CLASS(TSeActiveSkinObject)
    TColor ActiveColor{clWhite};
    TSeFont ActiveFont;
    void assign(const TSeSkinObject& source) override;
    bool readProperty(std::string_view name, const PropertyValue& value) override;
    void writeProperties(PropertyList& out) const override;
    void setCharset(int charset) override;
    void shiftHue(int delta) override;
    TSeFont GetFont() const override;
    TColor currentColor() const override;
};

class TSeColorButtonObject : public TSeSkinObject {
public:
    QUARVEL_SKIN_CLASS(TSeColorButtonObject)
    TColor HotColor{clWhite};
    TSeFont HotFont;
    TColor PressedColor{clWhite};
    TSeFont PressedFont;
    TColor FocusedColor{clWhite};
    TSeFont FocusedFont;
    TColor DisabledColor{clWhite};
    TSeFont DisabledFont;
    void assign(const TSeSkinObject& source) override;
    bool readProperty(std::string_view name, const PropertyValue& value) override;
    void writeProperties(PropertyList& out) const override;
    void setCharset(int charset) override;
    void shiftHue(int delta) override;
    TSeFont GetFont() const override;
    TColor currentColor() const override;
};

class TSeRollPanelObject : public TSeSkinObject {
public:
    QUARVEL_SKIN_CLASS(TSeRollPanelObject)
    TSeRollKind RollKind{TSeRollKind::rkLeft};
    int RollValue{0};
    void assign(const TSeSkinObject& source) override;
    bool readProperty(std::string_view name, const PropertyValue& value) override;
    void writeProperties(PropertyList& out) const override;
};

} // namespace skin
