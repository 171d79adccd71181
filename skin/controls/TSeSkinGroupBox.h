#pragma once

// A captioned frame round a group of controls. With a skin that has the "GroupBox" object its
// "Frame" part draws the frame under the caption line and its "Title" (or "Caption") part the
// caption; otherwise the desktop's own group box. The player's skin has no such object.

#include <QGroupBox>

#include "skin/engine/SkinClient.h"
#include "skin/engine/SkinProperties.h"

namespace skin {

class TSeSkinGroupBox : public QGroupBox, public SkinProperties<TSeSkinGroupBox> {
    Q_OBJECT
    friend class SkinProperties<TSeSkinGroupBox>;

public:
    explicit TSeSkinGroupBox(QWidget* parent = nullptr);
    explicit TSeSkinGroupBox(const QString& title, QWidget* parent = nullptr);

    // The caption strip at the top while skinned: the caption part's height, else the font's.
    QRect captionRect() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void takeSkin();
    void paintSkinned(QPainter& p);
    SkinClient skin_{this, QStringLiteral("GroupBox")};
};

} // namespace skin
