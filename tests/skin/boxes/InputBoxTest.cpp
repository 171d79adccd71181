// The input box: its layout by the form font's units, the 255-character edit, OK and Cancel.

#include <QTest>

#include "BoxFixtures.h"
#include "skin/controls/TSeSkinButton.h"
#include "skin/controls/TSeSkinEdit.h"
#include "skin/controls/TSeSkinLabel.h"
#include "skin/controls/TSeSkinMessage.h"
#include "tests/support/ModalDriver.h"

using namespace skin;
using namespace boxtest;
using testsupport::ModalDriver;

TEST(InputBoxLayout, FollowsTheFormulas) {
    TSeCustomMessage messages;
    auto box = messages.CreateInputBox(QStringLiteral("播放网络中Flash"), QStringLiteral("URL:"),
                                       QStringLiteral("http://a"));
    const Units u = unitsOf(box->font());
    EXPECT_EQ(box->windowTitle(), QStringLiteral("播放网络中Flash"));
    EXPECT_EQ(box->findChild<TSeMessageFrame*>()->clientSize(),
              QSize(md(180, u.x, 4) + 30, md(63, u.y, 8) + 20));
    auto* prompt = box->findChild<TSeCustomLabel*>(QStringLiteral("Prompt"));
    ASSERT_TRUE(prompt);
    EXPECT_EQ(prompt->pos(), QPoint(md(8, u.x, 4) + 15, md(8, u.y, 8) + 10));
    EXPECT_EQ(prompt->width(),
              QFontMetrics(messages.MessageFont()).horizontalAdvance(QStringLiteral("URL:")));
    auto* edit = box->findChild<TSeCustomEdit*>(QStringLiteral("Edit"));
    ASSERT_TRUE(edit);
    EXPECT_EQ(edit->x(), prompt->x());
    EXPECT_EQ(edit->y(), md(19, u.y, 8) + 10);
    EXPECT_EQ(edit->width(), md(164, u.x, 4));
    EXPECT_EQ(edit->maxLength(), 255);
    EXPECT_EQ(edit->text(), QStringLiteral("http://a"));
    EXPECT_EQ(edit->selectedText(), QStringLiteral("http://a"));
    auto* ok = box->findChild<TSeCustomButton*>(QStringLiteral("OK"));
    auto* cancel = box->findChild<TSeCustomButton*>(QStringLiteral("Cancel"));
    ASSERT_TRUE(ok && cancel);
    EXPECT_EQ(ok->geometry(),
              QRect(md(38, u.x, 4) + 15, md(41, u.y, 8) + 10, md(50, u.x, 4), md(14, u.y, 8)));
    EXPECT_EQ(cancel->geometry(),
              QRect(md(92, u.x, 4) + 30, md(41, u.y, 8) + 10, md(50, u.x, 4), md(14, u.y, 8)));
    EXPECT_TRUE(ok->Default());
    EXPECT_TRUE(cancel->Cancel());
    EXPECT_EQ(ok->Kind(), TBitBtnKind::bkOK);
    EXPECT_EQ(cancel->Kind(), TBitBtnKind::bkCancel);
    // Without glyphs when the component says so.
    messages.setShowButtonGlyph(false);
    auto bare = messages.CreateInputBox(QStringLiteral("c"), QStringLiteral("p"), QString());
    EXPECT_FALSE(bare->findChild<TSeCustomButton*>(QStringLiteral("OK"))->ShowGlyph());
}

TEST(InputBoxEdit, TakesAtMost255CharactersTypedOrPreset) {
    TSeCustomMessage messages;
    ModalDriver driver;
    QString value;
    driver.typeAndPress(QString(300, QLatin1Char('x')), Qt::Key_Return);
    EXPECT_TRUE(messages.InputQuery(QStringLiteral("c"), QStringLiteral("URL:"), value));
    EXPECT_EQ(value, QString(255, QLatin1Char('x')));

    QString preset(400, QLatin1Char('y'));
    driver.pressKey(Qt::Key_Return);
    EXPECT_TRUE(messages.InputQuery(QStringLiteral("c"), QStringLiteral("URL:"), preset));
    EXPECT_EQ(preset.size(), 255);
}

TEST(InputBoxKeys, CancelKeepsTheValueWhateverWasTyped) {
    TSeCustomMessage messages;
    ModalDriver driver;
    QString value = QStringLiteral("old");
    driver.typeAndPress(QStringLiteral("new"), Qt::Key_Escape);
    EXPECT_FALSE(messages.InputQuery(QStringLiteral("c"), QStringLiteral("URL:"), value));
    EXPECT_EQ(value, QStringLiteral("old"));
    driver.answer([](QWidget* box) {
        QTest::keyClicks(box->findChild<QLineEdit*>(), QStringLiteral("zz"));
        box->findChild<TSeCustomButton*>(QStringLiteral("Cancel"))->click();
    });
    EXPECT_FALSE(messages.InputQuery(QStringLiteral("c"), QStringLiteral("URL:"), value));
    driver.answer([](QWidget* box) { box->close(); });
    EXPECT_FALSE(messages.InputQuery(QStringLiteral("c"), QStringLiteral("URL:"), value));
    EXPECT_EQ(value, QStringLiteral("old"));
    driver.answer([](QWidget* box) {
        auto* edit = box->findChild<QLineEdit*>();
        edit->end(false);
        QTest::keyClicks(edit, QStringLiteral("er"));
        box->findChild<TSeCustomButton*>(QStringLiteral("OK"))->click();
    });
    EXPECT_TRUE(messages.InputQuery(QStringLiteral("c"), QStringLiteral("URL:"), value));
    EXPECT_EQ(value, QStringLiteral("older"));
}

TEST(SkinnedInputBox, TheEditAndButtonsWearTheSkin) {
    auto engine = playerSkinEngine();
    TSeSkinMessage messages;
    messages.setSkinEngine(engine.get());
    auto box = messages.CreateInputBox(QStringLiteral("下载网络中Flash文件"),
                                       QStringLiteral("URL:"), QString());
    auto* edit = dynamic_cast<TSeSkinEdit*>(box->findChild<TSeCustomEdit*>());
    ASSERT_TRUE(edit);
    EXPECT_TRUE(edit->isSkinned());
    EXPECT_FALSE(edit->hasFrame());
    EXPECT_TRUE(box->findChild<TSeMessageFrame*>()->isSkinned());
    // The client grows with the frame round it; the edit keeps its right gap when it grows.
    box->show();
    const int gap = edit->parentWidget()->width() - edit->geometry().right();
    edit->parentWidget()->resize(edit->parentWidget()->width() + 40,
                                 edit->parentWidget()->height());
    QApplication::processEvents();
    EXPECT_EQ(edit->parentWidget()->width() - edit->geometry().right(), gap);
    box->hide();
}
