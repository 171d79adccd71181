// Typing into a movie's input field with real key events on the Flash control: a click on
// the field, then key presses, and the typed glyphs appear in the control's picture.

#include "flash/host/TShockwaveFlash.h"
#include "platform/Process.h"
#include "tests/support/SwfWriter.h"
#include "tests/support/TempDir.h"
#include "tests/support/Wait.h"

#include <QApplication>
#include <QInputMethodEvent>
#include <QTest>
#include <QWheelEvent>
#include <climits>
#include <gtest/gtest.h>

using flash::TShockwaveFlash;
using testsupport::IsolatedEnvironment;
using testsupport::waitFor;

namespace {

int blackPixels(const QImage& img) {
    int n = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            n += qGray(img.pixel(x, y)) < 60;
    return n;
}

int markedPixels(const QImage& img) {
    int n = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            n += qGray(img.pixel(x, y)) < 200;
    return n;
}

// A registered Flash control filling a 200x100 holder, playing a 200x100 white stage with one
// edit text of the box font (20 px letters) at depth 1.
struct ControlWithField {
    ControlWithField(testsupport::EditTextSpec field, const QString& glyphs, const char* file) {
        registered =
            platform::RunCommandAndWait(
                QStringLiteral("\"%1\" /s \"%2\"").arg(REGSVR32_PATH, SWFLASH_PATH), 0, {}) == 0;
        holder.resize(200, 100);
        flash = std::make_unique<TShockwaveFlash>(&holder);
        flash->SetBounds(holder.rect());
        holder.show();
        testsupport::SwfWriter w(200, 100, 30);
        w.setBackgroundColor(Qt::white);
        w.defineFont2(1, testsupport::FontSpec::boxes(glyphs));
        field.fontId = 1;
        field.fontHeight = 400;
        field.useOutlines = true;
        field.color = QColor(Qt::black);
        w.defineEditText(2, field);
        w.placeObject2(1, 2);
        w.showFrame();
        flash->set_Movie(testsupport::writeFile(env.file(QLatin1String(file)), w.finish()));
        playing = waitFor([&] { return flash->IsPlaying(); });
        control = flash->widget();
    }
    IsolatedEnvironment env; // the plugin registers into this environment's registry
    QWidget holder;
    std::unique_ptr<TShockwaveFlash> flash;
    QWidget* control = nullptr;
    bool registered = false;
    bool playing = false;
};

} // namespace

TEST(ControlTyping, KeysTypedOnTheControlGoIntoTheClickedInputField) {
    // An empty input field over all of the stage.
    testsupport::EditTextSpec field;
    field.bounds = QRect(0, 0, 200 * 20, 100 * 20);
    ControlWithField movie(field, QStringLiteral("abcdefgh"), "input.swf");
    ASSERT_TRUE(movie.registered);
    ASSERT_TRUE(movie.playing);
    QWidget* control = movie.control;

    // Keys before the click go nowhere in the movie.
    QTest::keyClicks(control, QStringLiteral("ab"));
    const int before = blackPixels(control->grab().toImage());
    QTest::mouseClick(control, Qt::LeftButton, Qt::NoModifier, QPoint(50, 10));
    QTest::keyClicks(control, QStringLiteral("abc"));
    const int typed = blackPixels(control->grab().toImage());
    // Three glyphs of about 8x14 pixels, and the caret.
    EXPECT_GT(typed - before, 3 * 8 * 12);
    QTest::keyClick(control, Qt::Key_Backspace);
    const int erased = blackPixels(control->grab().toImage());
    EXPECT_LT(erased, typed - 8 * 10);
    EXPECT_GT(erased, before + 2 * 8 * 12);

    // An input method commits Chinese text in one event; the font has no glyphs for it, so
    // it shows as nothing, but the box font's letters after it still type.
    QInputMethodEvent chinese;
    chinese.setCommitString(QStringLiteral("中文"));
    QApplication::sendEvent(control, &chinese);
    QInputMethodEvent latin;
    latin.setCommitString(QStringLiteral("dd"));
    QApplication::sendEvent(control, &latin);
    const int committed = blackPixels(control->grab().toImage());
    EXPECT_GT(committed - erased, 2 * 8 * 12);
}

TEST(ControlTyping, TheWheelScrollsTheFieldUnderTheMouseAndTheCaretBlinks) {
    // Six lines of 20 px boxes in an input field two lines high; only the fourth line is
    // long enough to reach past x = 40.
    testsupport::EditTextSpec field;
    field.bounds = QRect(0, 0, 200 * 20, 44 * 20);
    field.multiline = true;
    field.initialText = "a\rb\rc\rdddddddd\re\rf";
    ControlWithField movie(field, QStringLiteral("abcdef"), "wheel.swf");
    ASSERT_TRUE(movie.registered);
    ASSERT_TRUE(movie.playing);
    QWidget* control = movie.control;

    const auto inkOfFirstLineEnd = [&] {
        return blackPixels(control->grab().toImage().copy(40, 0, 40, 22));
    };
    QTest::mouseMove(control, QPoint(50, 20));
    EXPECT_EQ(inkOfFirstLineEnd(), 0) << "\"a\" is the first line shown";
    const auto wheel = [&](int delta) {
        QWheelEvent e(QPointF(50, 20), control->mapToGlobal(QPointF(50, 20)), QPoint(),
                      QPoint(0, delta), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(control, &e);
        return e.isAccepted();
    };
    EXPECT_TRUE(wheel(-120));
    EXPECT_GT(inkOfFirstLineEnd(), 2 * 8 * 12) << "one notch down shows the long line first";
    wheel(120);
    EXPECT_EQ(inkOfFirstLineEnd(), 0) << "and one up goes back";

    // The caret of the clicked field shows and hides by itself while nothing else moves.
    QTest::mouseClick(control, Qt::LeftButton, Qt::NoModifier, QPoint(150, 10));
    int least = INT_MAX, most = 0;
    for (int i = 0; i < 30; ++i) {
        QTest::qWait(50);
        // Smoothed, the one-pixel caret is grey across two columns rather than black.
        const int ink = markedPixels(control->grab().toImage().copy(10, 0, 10, 22));
        least = std::min(least, ink);
        most = std::max(most, ink);
    }
    EXPECT_GE(most - least, 10) << "the caret blinks";
}
