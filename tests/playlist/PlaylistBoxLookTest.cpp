// How the main window's playlist box looks: rows of 13 pixels whose text is not cut, and no
// horizontal scroll bar, checked on the pixels the box really paints.

#include "PlaylistFixture.h"

#include "playlist/PlaylistEntry.h"

#include <QImage>
#include <QPainter>
#include <QScrollBar>

using namespace playlisttest;

namespace {

class BoxLookTest : public ::testing::Test {
protected:
    BoxLookTest() {
        box.resize(167, 120);
        // A desktop set to large fonts: the rows stay 13 pixels, so the font must give way.
        QFont large = box.font();
        large.setPixelSize(20);
        box.setFont(large);
        setUpDropFilelistbox11(box);
        box.show();
    }

    QImage paint() {
        QApplication::processEvents();
        return box.viewport()->grab().toImage();
    }

    // Rows of the line `row` that hold text-coloured pixels right of the check box.
    QList<int> inkedRows(const QImage& image, int row) {
        const QRect r = box.visualItemRect(box.item(row));
        QList<int> rows;
        const int textLeft = r.left() + 20;
        for (int y = r.top(); y <= r.bottom(); ++y) {
            for (int x = textLeft; x < qMin(r.right(), image.width()); ++x) {
                if (qGray(image.pixel(x, y)) < 110) {
                    rows.append(y - r.top());
                    break;
                }
            }
        }
        return rows;
    }

    TDropFilelistbox1 box;
};

} // namespace

TEST_F(BoxLookTest, FontFitsTheRows) {
    const QFontMetrics metrics(box.font());
    EXPECT_LE(metrics.height(), 13);
    EXPECT_GE(box.font().pixelSize(), 9); // still readable
    // The same fitting for other row heights: never taller than the row.
    for (int rows : {8, 13, 20}) {
        const QFont f = TCheckListBox::fontFittingRows(QFont(), rows);
        EXPECT_LE(QFontMetrics(f).height(), rows) << rows;
    }
}

// How many pixel rows `text` inks in the box's font when nothing clips it.
int unclippedInkRows(const QFont& font, const QString& text) {
    QImage image(200, 60, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setFont(font);
    painter.setPen(Qt::black);
    painter.drawText(QPoint(4, 30), text);
    painter.end();
    int rows = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (qGray(image.pixel(x, y)) < 110) {
                ++rows;
                break;
            }
        }
    }
    return rows;
}

TEST_F(BoxLookTest, UnderscoresAndDescendersAreDrawnWhole) {
    const QStringList texts = {"__________", "gjpqy gjpqy", "ABCDEFGH",
                               QStringLiteral("路径：播放")};
    for (const QString& text : texts)
        box.addLine(text);
    const QImage image = paint();
    ASSERT_EQ(box.visualItemRect(box.item(0)).height(), 13);
    // Each row shows every pixel row of ink its text has: nothing above or below is cut.
    for (int row = 0; row < texts.size(); ++row) {
        const QList<int> inked = inkedRows(image, row);
        ASSERT_FALSE(inked.isEmpty()) << row;
        EXPECT_EQ(inked.size(), unclippedInkRows(box.font(), texts[row]))
            << texts[row].toStdString();
    }
}

TEST_F(BoxLookTest, NoHorizontalScrollBar) {
    for (int i = 0; i < 30; ++i)
        box.addLine(PlaylistEntry::fileEntry(QStringLiteral("/a/long/folder/name/%1.swf").arg(i)));
    box.addLine(QString(5000, u'x'));
    paint();
    EXPECT_FALSE(box.horizontalScrollBar()->isVisible());
    // Every pixel of height goes to lines.
    EXPECT_EQ(box.viewport()->height(), box.height());
}

TEST_F(BoxLookTest, HugeLinesArePaintedFromTheirStart) {
    // A megabyte-long line paints like a short one: its first characters, elided.
    box.addLine(QString(1 << 20, u'_'));
    box.addLine(QString(200, u'_')); // elided by the style alone
    const QImage image = paint();
    EXPECT_EQ(inkedRows(image, 0), inkedRows(image, 1));
}
