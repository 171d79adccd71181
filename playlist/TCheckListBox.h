#pragma once

// A list box whose every line carries a check box, with the small set of operations the
// player's commands are written against: lines by index, the highlighted line, check marks,
// selection, and the events of a click on a line, a double click and a key press.

#include <QListWidget>

namespace playlist {

class TCheckListBox : public QListWidget {
    Q_OBJECT
public:
    explicit TCheckListBox(QWidget* parent = nullptr);

    int lineCount() const { return count(); }
    QString line(int index) const;
    QStringList lines() const;
    void addLine(const QString& text);
    void deleteLine(int index);
    void clearLines() { clear(); }

    // The highlighted line, -1 when none. The box selects one line at most, and the
    // highlighted line is that selected line.
    int itemIndex() const;
    void setItemIndex(int index);

    bool checked(int index) const;
    void setChecked(int index, bool on);
    bool selected(int index) const;

    // `font` at the largest pixel size (up to 12) whose glyphs, descenders and underscores
    // included, fit a row of `rowHeight` pixels when centred in it.
    static QFont fontFittingRows(QFont font, int rowHeight);

    // Height of every line in pixels; 0 leaves it to the style.
    int itemHeight() const { return itemHeight_; }
    void setItemHeight(int pixels);

signals:
    // A line was picked by the user with the left mouse button or the keyboard.
    void Click();
    // A double click with the left mouse button anywhere in the box.
    void DblClick();
    // A key went down in the box, before the box itself handles it.
    void KeyDown(int key, Qt::KeyboardModifiers modifiers);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool viewportEvent(QEvent* event) override;

private:
    void giveCheckBoxes(int first, int last);

    int itemHeight_ = 0;
};

} // namespace playlist
