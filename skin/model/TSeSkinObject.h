#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include <QPainter>
#include <QRect>
#include <QRegion>
#include <QString>

#include "skin/model/PropertyValue.h"
#include "skin/model/SkinColors.h"
#include "skin/model/SkinPainter.h"
#include "skin/model/SkinTypes.h"
#include "skin/model/TSeBitmap.h"
#include "skin/model/TSeFont.h"

namespace skin {

class SkinHost;

// Rotates the hue of a colour property in place; clNone stays, system colours are resolved.
void shiftColorHue(TColor& color, int delta);

#define QUARVEL_SKIN_CLASS(Cls)                                                                    \
    const char* className() const override {                                                       \
        return #Cls;                                                                               \
    }                                                                                              \
    std::unique_ptr<TSeSkinObject> createEmpty() const override {                                  \
        return std::make_unique<Cls>();                                                            \
    }

// A rectangle of a skinned control: kind, alignment, colour, font, margins and children that
// describe the parts of the control. Coordinates are those of the tree's root. Controls draw
// a private deep copy (clone()) bound to themselves (bindTo()), sized with setBounds().
class TSeSkinObject {
public:
    TSeSkinObject();
    virtual ~TSeSkinObject();
    TSeSkinObject(const TSeSkinObject&) = delete;
    TSeSkinObject& operator=(const TSeSkinObject&) = delete;

    virtual const char* className() const { return "TSeSkinObject"; }
    // The virtual constructor: a new object of the same class with default properties.
    virtual std::unique_ptr<TSeSkinObject> createEmpty() const;
    // Stored properties, name, position and size; children are not touched.
    virtual void assign(const TSeSkinObject& source);
    // A deep copy: same classes, properties, children; bitmap links keep their images.
    std::unique_ptr<TSeSkinObject> clone() const;

    // Published properties. readProperty returns false for a name the class does not have and
    // throws SkinError for a value of the wrong kind; `Objects` is handled by the reader.
    virtual bool readProperty(std::string_view name, const PropertyValue& value);
    virtual void writeProperties(PropertyList& out) const;

    // Stored properties.
    TSeAlign Align{TSeAlign::saNone};
    TColor Color{clWhite};
    bool DrawIfOwner{false};
    TSeFont Font;
    TSeKind Kind{TSeKind::skNone};
    bool Masked{true};
    int MarginLeft{0};
    int MarginRight{0};
    int MarginTop{0};
    int MarginBottom{0};
    TSeTextAlign TextAlign{TSeTextAlign::taLeft};
    TSeTextEffect TextEffect{TSeTextEffect::teNone};
    int TextMarginLeft{0};
    int TextMarginRight{0};
    int TextMarginTop{0};

    const std::string& name() const { return name_; }
    void setName(std::string n) { name_ = std::move(n); }

    // Bounds; every change goes through setBounds, which lays the children out again.
    int left() const { return left_; }
    int top() const { return top_; }
    int width() const { return width_; }
    int height() const { return height_; }
    QRect boundsRect() const { return QRect(left_, top_, width_, height_); }
    void setBounds(int left, int top, int width, int height);
    void setBounds(const QRect& r) { setBounds(r.left(), r.top(), r.width(), r.height()); }
    void setLeft(int v) { setBounds(v, top_, width_, height_); }
    void setTop(int v) { setBounds(left_, v, width_, height_); }
    void setWidth(int v) { setBounds(left_, top_, v, height_); }
    void setHeight(int v) { setBounds(left_, top_, width_, v); }
    // Sets the stored bounds without layout, as a stream does.
    void setStoredBounds(int left, int top, int width, int height);
    void layoutChildren();

    // Tree.
    TSeSkinObject* parent() const { return parent_; }
    const std::vector<std::unique_ptr<TSeSkinObject>>& children() const { return children_; }
    TSeSkinObject& addChild(std::unique_ptr<TSeSkinObject> child);
    TSeSkinObject* findObject(std::string_view name);
    TSeSkinObject* findObjectByKind(TSeKind kind);
    // The part under a point in root coordinates, or nullptr.
    TSeSkinObject* objectAtPoint(QPoint p);
    void forEachInTree(const std::function<void(TSeSkinObject&)>& fn);

    // Run-time state.
    bool visible() const { return visible_; }
    void setVisible(bool v);
    bool enabled() const { return enabled_; }
    void setEnabled(bool v);
    bool active() const { return active_; }
    void setActive(bool v); // on the whole tree
    std::uint8_t state() const { return state_; }
    virtual void setState(std::uint8_t state); // on the whole tree
    const QString& text() const { return text_; }
    void setText(const QString& t);
    const QString& rightText() const { return rightText_; }
    void setRightText(const QString& t);
    bool rightToLeft() const { return rightToLeft_; }
    SkinHost* host() const { return host_; }
    // Binds the tree to the control that owns it; the right-to-left flag comes from there.
    void bindTo(SkinHost* host);
    const BitmapList* bitmaps() const { return bitmaps_; }
    void setBitmaps(const BitmapList* list); // on the whole tree
    // Resolves bitmap links against the bitmap list, then does the same on the children.
    virtual void afterLoad();
    virtual void setCharset(int charset); // every font, on the whole tree

    // The font and fill for the current state.
    virtual TSeFont GetFont() const;
    virtual TColor currentColor() const;

    // Draws the object and its children at their bounds into the painter.
    virtual void draw(QPainter& painter);
    // Window region of the object alone, and of the whole tree.
    virtual QRegion objectRegion();
    QRegion region();
    virtual void shiftHue(int delta);

    // Mouse, with x and y relative to the object's left and top. Nothing in the base class.
    virtual void mouseEnter(Qt::MouseButtons held);
    virtual void mouseLeave();
    virtual void mouseDown(Qt::MouseButton button, int x, int y);
    virtual void mouseMove(Qt::MouseButtons held, int x, int y);
    virtual void mouseUp(Qt::MouseButton button, int x, int y);
    virtual void dblClick(Qt::MouseButton button, int x, int y);

    // Asks the bound control to repaint, if the object is visible.
    void invalidate();
    QObject* frame() const;

    // Width of the text in the object's current font (0 without a GUI application).
    int textWidth(const QString& text) const;

protected:
    // Fill and text of the object itself, for classes that draw a plain face.
    void drawFace(QPainter& painter, TColor fill, const TSeFont& font);
    void drawText(QPainter& painter, const TSeFont& font);
    void drawChildren(QPainter& painter);
    bool hasChildren() const { return !children_.empty(); }
    bool hasDrawableSize() const { return visible_ && width_ > 0 && height_ > 0; }
    void setStateOnChildren(std::uint8_t state);
    // The bitmap classes' drawing: nothing at all without a usable link; else the nine-part
    // image, the own text, a fresh layout and the children.
    void drawWithBitmap(QPainter& painter, const TSeBitmapLink& link, const paint::NinePart& how);
    // The union of the runs of non-key pixels the nine-part image leaves at the object.
    QRegion bitmapRegion(const TSeBitmapLink& link, const paint::NinePart& how) const;

private:
    std::string name_;
    int left_{0};
    int top_{0};
    int width_{0};
    int height_{0};
    int oldWidth_{0};
    int oldHeight_{0};
    TSeSkinObject* parent_{nullptr};
    std::vector<std::unique_ptr<TSeSkinObject>> children_;

    bool visible_{true};
    bool enabled_{true};
    bool active_{false};
    std::uint8_t state_{0};
    QString text_;
    QString rightText_;
    SkinHost* host_{nullptr};
    bool rightToLeft_{false};
    const BitmapList* bitmaps_{nullptr};
};

} // namespace skin
