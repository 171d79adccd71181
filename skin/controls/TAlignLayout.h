#pragma once

// Edge alignment of child controls, the way the player's forms are designed: controls aligned
// to the top, bottom, left or right keep their size across that edge and take the full length
// of the remaining area along it; one control aligned to the client fills what is left.
// Controls of one alignment stack from their edge inwards in the order they were added. A
// control that changes its own size, or is shown or hidden, makes the parent lay out again at
// once, so a rolling panel or a splitter sees its neighbours move while it works.

#include <QLayout>
#include <QList>

namespace skin {

enum class TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient };

// The alignment of a control (alNone unless set).
TAlign alignOf(const QWidget* control);
// Sets the alignment and lays the control's parent out again when it has a TAlignLayout.
void setAlign(QWidget* control, TAlign align);

class TAlignLayout : public QLayout {
    Q_OBJECT
public:
    explicit TAlignLayout(QWidget* parent = nullptr);
    ~TAlignLayout() override;

    // Adds a control with an alignment; it stacks inside the controls already added with it.
    void addControl(QWidget* control, TAlign align);
    // Adds a control at a place in the stacking order (index into the items).
    void insertControl(int index, QWidget* control, TAlign align);

    // Lays the parent's controls out now.
    void realign();

    void addItem(QLayoutItem* item) override;
    QLayoutItem* itemAt(int index) const override;
    QLayoutItem* takeAt(int index) override;
    int count() const override { return static_cast<int>(items_.size()); }
    void setGeometry(const QRect& rect) override;
    QSize sizeHint() const override;
    QSize minimumSize() const override { return {0, 0}; }
    Qt::Orientations expandingDirections() const override { return Qt::Horizontal | Qt::Vertical; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void place(const QRect& area);
    QRect area() const;

    QList<QLayoutItem*> items_;
    bool placing_ = false;
};

} // namespace skin
