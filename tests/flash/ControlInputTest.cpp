// Real mouse events on the control: the movie hears them in its own coordinates, through the
// letterbox and the zoom, shows the hand over its buttons, and leaves the right button to
// the player.

#include "flash/host/TShockwaveFlash.h"
#include "platform/Process.h"
#include "tests/support/SwfWriter.h"
#include "tests/support/TempDir.h"
#include "tests/support/Wait.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QTest>
#include <gtest/gtest.h>

using flash::TShockwaveFlash;
using testsupport::IsolatedEnvironment;
using testsupport::waitFor;

namespace {

// Records the presses that reach the window holding the control.
class Holder : public QWidget {
public:
    std::vector<Qt::MouseButton> presses;
    std::vector<int> keys;

protected:
    void mousePressEvent(QMouseEvent* e) override { presses.push_back(e->button()); }
    void keyPressEvent(QKeyEvent* e) override { keys.push_back(e->key()); }
};

class ControlInputTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(platform::RunCommandAndWait(
                      QStringLiteral("\"%1\" /s \"%2\"").arg(REGSVR32_PATH, SWFLASH_PATH), 0, {}),
                  0);
        // A 100x100 stage in a 400x200 control: drawn twice as large, 100 pixels of letterbox
        // on either side.
        holder.resize(400, 200);
        flash = std::make_unique<TShockwaveFlash>(&holder);
        flash->SetBounds(holder.rect());
        holder.show();
        testsupport::SwfWriter w(100, 100, 30);
        w.defineRectShape(1, QRect(0, 0, 10, 10), Qt::red);
        w.defineButton2(2, {{0x0f, 1, 1}});
        testsupport::PlaceSpec button;
        button.depth = 1;
        button.characterId = 2;
        button.matrix = QTransform::fromScale(5, 5); // the stage's top-left 50x50
        w.placeObject(button);
        w.showFrame();
        flash->set_Movie(testsupport::writeFile(env.file("button.swf"), w.finish()));
        ASSERT_TRUE(waitFor([&] { return flash->IsPlaying(); }));
        control = flash->widget();
    }

    void moveTo(QPoint p) {
        QMouseEvent move(QEvent::MouseMove, QPointF(p), control->mapToGlobal(QPointF(p)),
                         Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(control, &move);
    }
    Qt::CursorShape cursor() const { return control->cursor().shape(); }

    IsolatedEnvironment env;
    Holder holder;
    std::unique_ptr<TShockwaveFlash> flash;
    QWidget* control = nullptr;
};

} // namespace

TEST_F(ControlInputTest, TheHandShowsOverTheButtonThroughTheLetterbox) {
    moveTo(QPoint(150, 50)); // stage (25, 25)
    EXPECT_EQ(cursor(), Qt::PointingHandCursor);
    moveTo(QPoint(250, 150)); // stage (75, 75): beside the button
    EXPECT_EQ(cursor(), Qt::ArrowCursor);
    moveTo(QPoint(50, 50)); // the letterbox
    EXPECT_EQ(cursor(), Qt::ArrowCursor);
    moveTo(QPoint(195, 95)); // stage (47.5, 47.5): still inside
    EXPECT_EQ(cursor(), Qt::PointingHandCursor);
    // Leaving the control rolls out.
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(control, &leave);
    EXPECT_EQ(cursor(), Qt::ArrowCursor);
}

TEST_F(ControlInputTest, ZoomChangesWhereTheMovieIsUnderTheMouse) {
    flash->Zoom(50); // twice as close around the stage's centre: stage = centre + (p - c) / 4
    moveTo(QPoint(160, 60)); // stage (35, 35)
    EXPECT_EQ(cursor(), Qt::PointingHandCursor);
    moveTo(QPoint(240, 140)); // stage (60, 60)
    EXPECT_EQ(cursor(), Qt::ArrowCursor);
    moveTo(QPoint(50, 50)); // stage (12.5, 12.5): the zoomed view has no letterbox here
    EXPECT_EQ(cursor(), Qt::PointingHandCursor);
}

TEST_F(ControlInputTest, LeftClicksGoToTheMovieAndRightClicksStayThePlayers) {
    QTest::mouseClick(control, Qt::LeftButton, Qt::NoModifier, QPoint(150, 50));
    EXPECT_TRUE(holder.presses.empty());
    QTest::mouseClick(control, Qt::RightButton, Qt::NoModifier, QPoint(150, 50));
    ASSERT_EQ(holder.presses.size(), 1u);
    EXPECT_EQ(holder.presses[0], Qt::RightButton);
    // Keys reach the movie and still reach the window for the player's own shortcuts.
    QTest::keyClick(control, Qt::Key_A);
    EXPECT_EQ(holder.keys, std::vector<int>{Qt::Key_A});
}

TEST_F(ControlInputTest, ANewMovieStartsWithTheOrdinaryCursor) {
    moveTo(QPoint(150, 50));
    EXPECT_EQ(cursor(), Qt::PointingHandCursor);
    flash->set_Movie(QString());
    EXPECT_EQ(cursor(), Qt::ArrowCursor);
    moveTo(QPoint(150, 60)); // no movie: nothing to route, nothing breaks
    EXPECT_EQ(cursor(), Qt::ArrowCursor);
}
