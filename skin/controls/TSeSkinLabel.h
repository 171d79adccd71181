#pragma once

// A static text. TSeCustomLabel draws its text with the same flags it is measured with (word
// wrap and expanded tabs when wrapping), so a label sized to a measured rectangle shows all
// of it; without Transparent it fills its background first. TSeSkinLabel takes font and
// colour from the skin's "Label" object (its "Text" part when there is one).

#include <QLabel>

#include "skin/engine/SkinClient.h"
#include "skin/engine/SkinProperties.h"

namespace skin {

class TSeCustomLabel : public QLabel {
    Q_OBJECT
public:
    explicit TSeCustomLabel(QWidget* parent = nullptr);

    bool Transparent() const { return transparent_; }
    void setTransparent(bool on);
    // Sizes the label to its text on one line, or wrapped to its width with word wrap.
    void fitToText();
    // The flags the text is measured and drawn with.
    int drawFlags() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    // The font and colour of the text; the skinned label overrides them.
    virtual QFont textFont() const { return font(); }
    virtual QColor textColor() const;

private:
    bool transparent_{false};
};

class TSeSkinLabel : public TSeCustomLabel, public SkinProperties<TSeSkinLabel> {
    Q_OBJECT
    friend class SkinProperties<TSeSkinLabel>;

public:
    explicit TSeSkinLabel(QWidget* parent = nullptr);

    bool Transparent() const { return TSeCustomLabel::Transparent(); }
    void setTransparent(bool on) { TSeCustomLabel::setTransparent(on); }

protected:
    QFont textFont() const override;
    QColor textColor() const override;

private:
    const TSeSkinObject* textPart() const;
    SkinClient skin_{this, QStringLiteral("Label")};
};

} // namespace skin
