// The message box: layout by its measuring units, the marks that Enter and Escape follow, the
// boxes without a way out that still close, the help button, the skinned look.

#include <QLabel>
#include <QScreen>
#include <QTest>

#include "BoxFixtures.h"
#include "skin/controls/TSeSkinButton.h"
#include "skin/controls/TSeSkinLabel.h"
#include "skin/controls/TSeSkinMessage.h"
#include "skin/model/TSeSkinObject.h"
#include "skin/model/TSeSystemButton.h"
#include "tests/support/ModalDriver.h"

using namespace skin;
using namespace boxtest;
using testsupport::ModalDriver;

namespace {

QFont boxFont() {
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPixelSize(11);
    return f;
}

QStringList buttonNames(QWidget* box) {
    QStringList names;
    for (auto* b : box->findChildren<TSeCustomButton*>())
        names << b->objectName();
    return names;
}

TSeMessageFrame* frameOf(QWidget* box) {
    return box->findChild<TSeMessageFrame*>();
}

} // namespace

TEST(MessageBoxLayout, YesNoInformationFollowsTheFormulas) {
    TSeCustomMessage messages;
    messages.setButtonFont(boxFont());
    messages.setMessageFont(boxFont());
    const QString text = QStringLiteral("已经转换成功,是否现在播放?");
    auto box = messages.CreateMessageBox(text, TMsgDlgType::mtInformation, mbYes | mbNo);

    const Units u = unitsOf(boxFont());
    ASSERT_GT(u.x, 0);
    const int hMargin = md(30, u.x, 4), vMargin = md(15, u.y, 8);
    const int hSpacing = md(10, u.x, 4), vSpacing = md(10, u.y, 8);
    const int buttonSpacing = md(4, u.x, 4);
    const int buttonHeight = md(visualThemesActive() ? 17 : 14, u.y, 8);
    const QFontMetrics fm(boxFont());
    int buttonWidth = md(50, u.x, 4);
    for (const char* caption : {"Yes", "No"})
        buttonWidth = std::max(buttonWidth, fm.horizontalAdvance(QLatin1String(caption)) + 8);
    const QRect textRect =
        fm.boundingRect(QRect(0, 0, QGuiApplication::primaryScreen()->geometry().width() / 2, 0),
                        Qt::AlignLeft | Qt::TextWordWrap | Qt::TextExpandTabs, text);
    const int iconTextWidth = textRect.width() + hSpacing + 32;
    const int iconTextHeight = std::max(textRect.height(), 32);
    const int groupWidth = 2 * buttonWidth + buttonSpacing;
    const int clientWidth = std::max(iconTextWidth, groupWidth) + 2 * hMargin;
    const int clientHeight = iconTextHeight + buttonHeight + vSpacing + 2 * vMargin;

    EXPECT_EQ(box->windowTitle(), QStringLiteral("Information"));
    EXPECT_EQ(frameOf(box.get())->clientSize(), QSize(clientWidth, clientHeight));
    EXPECT_EQ(box->size(), QSize(clientWidth, clientHeight)); // the desktop's frame
    auto* image = box->findChild<QLabel*>(QStringLiteral("Image"));
    ASSERT_TRUE(image);
    EXPECT_EQ(image->geometry(), QRect(hMargin, vMargin, 32, 32));
    EXPECT_FALSE(image->pixmap().isNull());
    auto* message = box->findChild<TSeCustomLabel*>(QStringLiteral("Message"));
    ASSERT_TRUE(message);
    EXPECT_EQ(message->geometry(),
              QRect(hMargin + hSpacing + 32, vMargin, textRect.width(), textRect.height()));
    EXPECT_EQ(message->text(), text);
    EXPECT_TRUE(message->wordWrap());

    auto* yes = box->findChild<TSeCustomButton*>(QStringLiteral("Yes"));
    auto* no = box->findChild<TSeCustomButton*>(QStringLiteral("No"));
    ASSERT_TRUE(yes && no);
    const int top = iconTextHeight + vMargin + vSpacing;
    const int left = (clientWidth - groupWidth) / 2;
    EXPECT_EQ(yes->geometry(), QRect(left, top, buttonWidth, buttonHeight));
    EXPECT_EQ(no->geometry(),
              QRect(left + buttonWidth + buttonSpacing, top, buttonWidth, buttonHeight));
    EXPECT_EQ(yes->text(), QStringLiteral("&Yes"));
    EXPECT_EQ(no->text(), QStringLiteral("&No"));
    EXPECT_EQ(yes->Kind(), TBitBtnKind::bkYes);
    EXPECT_EQ(no->Kind(), TBitBtnKind::bkNo);
    EXPECT_EQ(yes->ModalResult(), mrYes);
    EXPECT_EQ(no->ModalResult(), mrNo);
    EXPECT_TRUE(yes->Default());
    EXPECT_FALSE(yes->Cancel());
    EXPECT_FALSE(no->Default());
    EXPECT_TRUE(no->Cancel());
    EXPECT_FALSE(yes->Glyph().isNull());
    EXPECT_EQ(yes->Glyph().size(), QSize(32, 16));
}

TEST(MessageBoxLayout, LongTextWrapsAtHalfTheScreenAndManyButtonsWidenTheBox) {
    TSeCustomMessage messages;
    messages.setButtonFont(boxFont());
    messages.setMessageFont(boxFont());
    const int half = QGuiApplication::primaryScreen()->geometry().width() / 2;
    const QString longText = QString(QStringLiteral("word ")).repeated(400);
    auto box = messages.CreateMessageBox(longText, TMsgDlgType::mtWarning, mbOK);
    auto* message = box->findChild<TSeCustomLabel*>(QStringLiteral("Message"));
    EXPECT_LE(message->width(), half);
    EXPECT_GT(message->height(), 3 * QFontMetrics(boxFont()).height());
    const Units u = unitsOf(boxFont());
    EXPECT_LE(frameOf(box.get())->clientSize().width(),
              half + md(10, u.x, 4) + 32 + 2 * md(30, u.x, 4));

    auto wide = messages.CreateMessageBox(QStringLiteral("x"), TMsgDlgType::mtCustom, 0x7FF);
    EXPECT_EQ(buttonNames(wide.get()),
              (QStringList{"Yes", "No", "OK", "Cancel", "Abort", "Retry", "Ignore", "All",
                           "NoToAll", "YesToAll", "Help"}));
    const auto buttons = wide->findChildren<TSeCustomButton*>();
    // Every button as wide as the widest caption needs, side by side inside the margins.
    const int width = buttons.front()->width();
    EXPECT_GE(width, QFontMetrics(boxFont()).horizontalAdvance(QStringLiteral("Yes to All")) + 8);
    for (auto* b : buttons)
        EXPECT_EQ(b->width(), width);
    EXPECT_EQ(buttons.back()->geometry().right() + 1 + buttons.front()->x(),
              frameOf(wide.get())->clientSize().width());
    // Only OK carries the default mark although Yes and Yes to All are of the default kinds.
    for (auto* b : buttons)
        EXPECT_EQ(b->Default(), b->objectName() == QStringLiteral("OK"))
            << b->objectName().toStdString();
}

TEST(MessageBoxLayout, CustomTypeHasTheApplicationTitleAndNoIcon) {
    qApp->setProperty(kApplicationTitleProperty, QStringLiteral("Quarvel___娱乐系列"));
    TSeCustomMessage messages;
    auto box = messages.CreateMessageBox(QStringLiteral("x"), TMsgDlgType::mtCustom, mbOK);
    EXPECT_EQ(box->windowTitle(), QStringLiteral("Quarvel___娱乐系列"));
    EXPECT_EQ(box->findChild<QLabel*>(QStringLiteral("Image")), nullptr);
    // The text starts at the margin where the icon would have been.
    const Units u = unitsOf(messages.ButtonFont());
    EXPECT_EQ(box->findChild<TSeCustomLabel*>(QStringLiteral("Message"))->x(), md(30, u.x, 4));
    messages.setShowIconImage(false);
    auto plain = messages.CreateMessageBox(QStringLiteral("x"), TMsgDlgType::mtError, mbOK);
    EXPECT_EQ(plain->findChild<QLabel*>(QStringLiteral("Image")), nullptr);
    EXPECT_EQ(plain->windowTitle(), QStringLiteral("Error"));
}

TEST(MessageBoxKeys, EnterTakesTheFocusedButtonElseTheDefaultAndEscapeTheCancel) {
    TSeCustomMessage messages;
    ModalDriver driver;
    driver.pressKey(Qt::Key_Return);
    EXPECT_EQ(messages.MessageDlg(QStringLiteral("?"), TMsgDlgType::mtInformation, mbYes | mbNo, 0),
              mrYes);
    driver.pressKey(Qt::Key_Escape);
    EXPECT_EQ(messages.MessageDlg(QStringLiteral("?"), TMsgDlgType::mtInformation, mbYes | mbNo, 0),
              mrNo);
    // Tab moves the focus to No; Enter then answers No, and Yes no longer shows as default.
    driver.answer([](QWidget* box) {
        auto* yes = box->findChild<TSeCustomButton*>(QStringLiteral("Yes"));
        auto* no = box->findChild<TSeCustomButton*>(QStringLiteral("No"));
        EXPECT_EQ(yes->skinState(), state::Focused);
        EXPECT_EQ(no->skinState(), state::Normal);
        QTest::keyClick(box->focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(box->focusWidget(), no);
        EXPECT_FALSE(yes->isActiveDefault());
        EXPECT_EQ(yes->skinState(), state::Normal);
        EXPECT_EQ(no->skinState(), state::Focused);
        QTest::keyClick(no, Qt::Key_Return);
    });
    EXPECT_EQ(
        messages.MessageDlg(QStringLiteral("?"), TMsgDlgType::mtConfirmation, mbYes | mbNo, 0),
        mrNo);
    // Abort, Retry, Ignore: Retry is the default, nothing is the cancel button.
    driver.pressKey(Qt::Key_Return);
    EXPECT_EQ(messages.MessageDlg(QStringLiteral("?"), TMsgDlgType::mtError,
                                  mbAbort | mbRetry | mbIgnore, 0),
              mrRetry);
    // A mnemonic presses its button.
    driver.answer(
        [](QWidget* box) { QTest::keyClick(box->focusWidget(), Qt::Key_I, Qt::AltModifier); });
    EXPECT_EQ(messages.MessageDlg(QStringLiteral("?"), TMsgDlgType::mtError,
                                  mbAbort | mbRetry | mbIgnore, 0),
              mrIgnore);
    EXPECT_EQ(driver.pending(), 0);
}

TEST(MessageBoxKeys, ABoxWithoutCancelButtonClosesByEscapeAndItsFrameAnsweringCancel) {
    TSeCustomMessage messages;
    ModalDriver driver;
    driver.pressKey(Qt::Key_Escape);
    EXPECT_EQ(messages.MessageDlg(QStringLiteral("no buttons"), TMsgDlgType::mtWarning, 0, 0),
              mrCancel);
    EXPECT_TRUE(driver.seen().at(0).buttons.isEmpty());
    driver.pressKey(Qt::Key_Escape);
    EXPECT_EQ(messages.MessageDlg(QStringLiteral("?"), TMsgDlgType::mtWarning,
                                  mbAbort | mbRetry | mbIgnore, 0),
              mrCancel);
    // The frame's close button: the desktop's, here a close request to the window.
    driver.answer([](QWidget* box) { box->close(); });
    EXPECT_EQ(messages.MessageDlg(QStringLiteral("no buttons"), TMsgDlgType::mtWarning, 0, 0),
              mrCancel);
    // Enter in a box without buttons does nothing; the next Escape closes it.
    driver.answer([](QWidget* box) {
        QTest::keyClick(box, Qt::Key_Return);
        EXPECT_TRUE(box->isVisible());
        QTest::keyClick(box, Qt::Key_Escape);
    });
    EXPECT_EQ(messages.MessageDlg(QStringLiteral("x"), TMsgDlgType::mtInformation, 0, 0), mrCancel);
}

TEST(MessageBoxHelp, HelpIsShownAndAsksForTheBoxHelpContextWithoutClosingIt) {
    TSeCustomMessage messages;
    std::vector<std::pair<int, QString>> asked;
    messages.OnHelp = [&](int context, const QString& file) { asked.emplace_back(context, file); };
    ModalDriver driver;
    driver.answer([](QWidget* box) {
        auto* help = box->findChild<TSeCustomButton*>(QStringLiteral("Help"));
        ASSERT_TRUE(help);
        EXPECT_EQ(help->text(), QStringLiteral("&Help"));
        EXPECT_EQ(help->Kind(), TBitBtnKind::bkHelp);
        help->click();
        EXPECT_TRUE(box->isVisible());
        box->findChild<TSeCustomButton*>(QStringLiteral("OK"))->click();
    });
    EXPECT_EQ(messages.MessagePos(QStringLiteral("x"), TMsgDlgType::mtInformation, mbOK | mbHelp,
                                  42, -1, -1, QStringLiteral("/nowhere/player.hlp")),
              mrOk);
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].first, 42);
    EXPECT_EQ(asked[0].second, QStringLiteral("/nowhere/player.hlp"));

    // Without a handler or help file the button does nothing more.
    TSeCustomMessage plain;
    driver.answer([](QWidget* box) {
        box->findChild<TSeCustomButton*>(QStringLiteral("Help"))->click();
        EXPECT_TRUE(box->isVisible());
        QTest::keyClick(box->focusWidget(), Qt::Key_Escape);
    });
    EXPECT_EQ(plain.MessageDlg(QStringLiteral("x"), TMsgDlgType::mtInformation, mbHelp, 0),
              mrCancel);
}

TEST(MessageBoxPlace, CentredOnTheScreenOrAtTheGivenPoint) {
    TSeCustomMessage messages;
    ModalDriver driver;
    QRect placed;
    auto record = [&](QWidget* box) {
        placed = box->frameGeometry();
        box->close();
    };
    driver.answer(record);
    messages.MessageDlg(QStringLiteral("x"), TMsgDlgType::mtInformation, mbOK, 0);
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    EXPECT_LE(std::abs(placed.center().x() - screen.center().x()), 1);
    EXPECT_LE(std::abs(placed.center().y() - screen.center().y()), 1);
    driver.answer(record);
    messages.MessagePos(QStringLiteral("x"), TMsgDlgType::mtInformation, mbOK, 0, 40, 50);
    EXPECT_EQ(placed.topLeft(), QPoint(40, 50));
}

TEST(GlobalMessage, CallsWithoutComponentUseTheGlobalOne) {
    TSeCustomMessage& first = TSeCustomMessage::global();
    EXPECT_EQ(&TSeCustomMessage::global(), &first);
    EXPECT_TRUE(first.Global());
    {
        TSeCustomMessage mine;
        mine.setMessageFont(boxFont());
        mine.setGlobal(true);
        EXPECT_EQ(&TSeCustomMessage::global(), &mine);
        ModalDriver driver;
        driver.pressKey(Qt::Key_Return);
        EXPECT_EQ(MessageDlg(QStringLiteral("x"), TMsgDlgType::mtError, mbOK, 0), mrOk);
        EXPECT_EQ(driver.seen().at(0).title, QStringLiteral("Error"));
    }
    // Gone with its owner; the next call makes a fresh one.
    EXPECT_TRUE(TSeCustomMessage::global().Global());
}

TEST(SkinnedMessageBox, TheSkinDrawsFrameButtonsAndTitle) {
    auto engine = playerSkinEngine();
    TSeSkinMessage messages;
    messages.setSkinEngine(engine.get());
    auto box = messages.CreateMessageBox(QStringLiteral("网络文件下载完毕，是否现在播放？"),
                                         TMsgDlgType::mtWarning, mbYes | mbNo);
    TSeMessageFrame* frame = frameOf(box.get());
    ASSERT_TRUE(frame->isSkinned());
    EXPECT_TRUE(box->windowFlags() & Qt::FramelessWindowHint);
    // The player's skin: borders of 4 and 5 pixels, a caption of 22 and a bottom of 5.
    EXPECT_EQ(frame->clientRect().topLeft(), QPoint(4, 22));
    EXPECT_EQ(box->size(), frame->clientSize() + QSize(9, 27));
    for (auto* b : box->findChildren<TSeCustomButton*>()) {
        auto* skinned = dynamic_cast<TSeSkinButton*>(b);
        ASSERT_TRUE(skinned);
        EXPECT_TRUE(skinned->isSkinned());
    }
    TSeSkinObject* title = frame->skinCopy()->findObjectByKind(TSeKind::skTitle);
    ASSERT_TRUE(title);
    box->show();
    QApplication::processEvents();
    EXPECT_EQ(title->text(), QStringLiteral("Warning"));
    // The box has close and system-menu icons only.
    for (const char* hidden : {"Minimize", "Maximize", "RollUp", "Tray"}) {
        TSeSkinObject* button = frame->skinCopy()->findObject(hidden);
        ASSERT_TRUE(button) << hidden;
        EXPECT_FALSE(button->visible()) << hidden;
    }
    EXPECT_TRUE(frame->skinCopy()->findObject("Close")->visible());
    box->hide();
}

TEST(SkinnedMessageBox, TheCaptionCloseButtonClosesOnlyWhenReleasedOnIt) {
    auto engine = playerSkinEngine();
    TSeSkinMessage messages;
    messages.setSkinEngine(engine.get());
    ModalDriver driver;
    bool stillOpenAfterReleaseElsewhere = false;
    driver.answer([&](QWidget* box) {
        TSeMessageFrame* frame = frameOf(box);
        auto* background = box->findChild<QWidget*>(QStringLiteral("FrameBackground"));
        auto* close = dynamic_cast<TSeSystemButton*>(frame->skinCopy()->findObject("Close"));
        ASSERT_TRUE(close && background);
        const QPoint on = close->boundsRect().center();
        const QPoint away =
            frame->clientRect().center() - QPoint(0, frame->clientRect().height() / 2 + 10);
        QTest::mousePress(background, Qt::LeftButton, {}, on);
        EXPECT_EQ(close->buttonState(), TSeSystemButton::ButtonState::Pressed);
        QMouseEvent leave(QEvent::MouseMove, QPointF(away), background->mapToGlobal(QPointF(away)),
                          Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(background, &leave);
        EXPECT_EQ(close->buttonState(), TSeSystemButton::ButtonState::Normal);
        QMouseEvent back(QEvent::MouseMove, QPointF(on), background->mapToGlobal(QPointF(on)),
                         Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(background, &back);
        EXPECT_EQ(close->buttonState(), TSeSystemButton::ButtonState::Pressed);
        QApplication::sendEvent(background, &leave);
        QTest::mouseRelease(background, Qt::LeftButton, {}, away);
        stillOpenAfterReleaseElsewhere = box->isVisible();
        QTest::mousePress(background, Qt::LeftButton, {}, on);
        QTest::mouseRelease(background, Qt::LeftButton, {}, on);
    });
    EXPECT_EQ(messages.MessageDlg(QStringLiteral("no buttons"), TMsgDlgType::mtInformation, 0, 0),
              mrCancel);
    EXPECT_TRUE(stillOpenAfterReleaseElsewhere);
    EXPECT_EQ(driver.pending(), 0);
}

TEST(SkinnedMessageBox, DraggingTheCaptionMovesTheBox) {
    auto engine = playerSkinEngine();
    TSeSkinMessage messages;
    messages.setSkinEngine(engine.get());
    auto box = messages.CreateMessageBox(QStringLiteral("x"), TMsgDlgType::mtInformation, mbOK);
    box->move(100, 100);
    box->show();
    auto* background = box->findChild<QWidget*>(QStringLiteral("FrameBackground"));
    const QPoint grip(40, 10);
    QTest::mousePress(background, Qt::LeftButton, {}, grip);
    QMouseEvent move(QEvent::MouseMove, QPointF(grip + QPoint(30, 20)),
                     background->mapToGlobal(QPointF(grip + QPoint(30, 20))), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(background, &move);
    QTest::mouseRelease(background, Qt::LeftButton, {}, grip + QPoint(30, 20));
    EXPECT_EQ(box->pos(), QPoint(130, 120));
    box->hide();
}

TEST(MessageBoxShow, AnAnimatedBoxFadesInToItsBlendingLevel) {
    TSeCustomMessage messages;
    messages.setAnimation({TSeAnimationDirection::kdNone, 1, true, 1, 1, 120});
    messages.setBlending({true, 204});
    auto box = messages.CreateMessageBox(QStringLiteral("x"), TMsgDlgType::mtInformation, mbOK);
    box->show();
    EXPECT_LT(box->windowOpacity(), 0.5);
    QTest::qWait(300);
    EXPECT_NEAR(box->windowOpacity(), 0.8, 0.01);
    box->hide();
    // Without animation it shows at once, at its blending level.
    messages.setAnimation({});
    auto plain = messages.CreateMessageBox(QStringLiteral("x"), TMsgDlgType::mtInformation, mbOK);
    plain->show();
    EXPECT_NEAR(plain->windowOpacity(), 0.8, 0.01);
    plain->hide();
}
