#pragma once

// A text field on the display tree (DefineEditText, DefineText, or createTextField): its
// rectangle and the text script sets. Laying out and drawing text belong to the text engine;
// until it lands, a field holds its content and takes space, and draws its border and
// background when asked to.

#include "swf/display/DisplayObject.h"

#include <QColor>
#include <QRectF>
#include <QString>

namespace swf {

class TextField final : public DisplayObject {
public:
    // rect in twips of its own space.
    TextField(Stage& stage, std::shared_ptr<const Character> character, QRectF rect);

    QRectF rect() const { return rect_; }
    void setRect(QRectF twips) { rect_ = twips; }
    const QString& text() const { return text_; }
    void setText(const QString& t) { text_ = t; }
    const QString& htmlText() const { return html_; }
    void setHtmlText(const QString& t) { html_ = t; }
    // The variable the field shows (DefineEditText's VariableName), as script resolves it.
    const QString& variable() const { return variable_; }
    void setVariable(const QString& v) { variable_ = v; }
    bool border() const { return border_; }
    void setBorder(bool on) { border_ = on; }
    QColor borderColor() const { return borderColor_; }
    void setBorderColor(QColor c) { borderColor_ = c; }
    bool background() const { return background_; }
    void setBackground(bool on) { background_ = on; }
    QColor backgroundColor() const { return backgroundColor_; }
    void setBackgroundColor(QColor c) { backgroundColor_ = c; }
    bool selectable() const { return selectable_; }
    void setSelectable(bool on) { selectable_ = on; }
    // An input field takes keyboard focus and typing.
    bool editable() const { return editable_; }
    void setEditable(bool on) { editable_ = on; }

    QRectF localBounds() const override { return rect_; }
    bool containsLocalPoint(QPointF localTwips) const override {
        return rect_.contains(localTwips);
    }

private:
    QRectF rect_;
    QString text_;
    QString html_;
    QString variable_;
    bool border_ = false;
    QColor borderColor_ = Qt::black;
    bool background_ = false;
    QColor backgroundColor_ = Qt::white;
    bool selectable_ = true;
    bool editable_ = false;
};

} // namespace swf
