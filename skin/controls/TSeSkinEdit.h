#pragma once

// A one-line edit. TSeCustomEdit is the desktop's own; TSeSkinEdit draws the "Frame" part of
// the skin's "Edit" object round its text (hot, focused and disabled states from the part's
// bitmaps) and keeps the text inside the frame's margins.

#include <QLineEdit>

#include "skin/engine/SkinClient.h"
#include "skin/engine/SkinProperties.h"

namespace skin {

class TSeCustomEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit TSeCustomEdit(QWidget* parent = nullptr);

    // Anchored left and right, the edit keeps its distance to both sides of its parent when
    // the parent is resized.
    void setAnchorRight(bool on);
    bool AnchorRight() const { return anchorRight_; }

    int skinState() const;
    bool isHot() const { return hot_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    bool anchorRight_{false};
    int rightGap_{0};
    bool hot_{false};
};

class TSeSkinEdit : public TSeCustomEdit, public SkinProperties<TSeSkinEdit> {
    Q_OBJECT
    friend class SkinProperties<TSeSkinEdit>;

public:
    explicit TSeSkinEdit(QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void takeSkin();
    SkinClient skin_{this, QStringLiteral("Edit")};
};

} // namespace skin
