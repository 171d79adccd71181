#include "skin/controls/TSeSkinMessage.h"
#include "tests/support/ModalDriver.h"

#include <QApplication>
#include <gtest/gtest.h>

using namespace skin;
using testsupport::ModalDriver;

TEST(MessageDlg, YesNoTakesEnterAsYesAndEscapeAsNo) {
    TSeSkinMessage messages;
    ModalDriver driver;
    driver.pressKey(Qt::Key_Return);
    EXPECT_EQ(messages.MessageDlg(QStringLiteral("已经转换成功,是否现在播放?"),
                                  TMsgDlgType::mtInformation, mbYes | mbNo, 0),
              mrYes);
    ASSERT_EQ(driver.seen().size(), 1u);
    EXPECT_EQ(driver.seen()[0].title, QStringLiteral("Information"));
    EXPECT_EQ(driver.seen()[0].buttons, (QStringList{"&Yes", "&No"}));
    driver.pressKey(Qt::Key_Escape);
    EXPECT_EQ(messages.MessageDlg(QStringLiteral("?"), TMsgDlgType::mtInformation, mbYes | mbNo, 0),
              mrNo);
}

TEST(MessageDlg, OkAloneAnswersOneToEnterAndEscape) {
    TSeSkinMessage messages;
    ModalDriver driver;
    driver.pressKey(Qt::Key_Return);
    EXPECT_EQ(messages.MessageDlg(QStringLiteral("无法播放，请确认文件格式是否正确！"),
                                  TMsgDlgType::mtError, mbOK, 0),
              mrOk);
    EXPECT_EQ(driver.seen().at(0).title, QStringLiteral("Error"));
    EXPECT_TRUE(driver.seen().at(0).text.contains(QStringLiteral("无法播放")));
    driver.pressKey(Qt::Key_Escape);
    EXPECT_EQ(messages.MessageDlg(QStringLiteral("x"), TMsgDlgType::mtError, mbOK, 0), mrOk);
}

TEST(MessageDlg, ButtonsKeepTheirFixedOrderAndResults) {
    TSeSkinMessage messages;
    ModalDriver driver;
    driver.clickButton(QStringLiteral("Retry"));
    EXPECT_EQ(messages.MessageDlg(QStringLiteral("x"), TMsgDlgType::mtWarning,
                                  mbIgnore | mbRetry | mbAbort | mbCancel, 0),
              mrRetry);
    EXPECT_EQ(driver.seen().at(0).title, QStringLiteral("Warning"));
    EXPECT_EQ(driver.seen().at(0).buttons, (QStringList{"Cancel", "&Abort", "&Retry", "&Ignore"}));
    driver.pressKey(Qt::Key_Escape); // Cancel is the cancel button when present
    EXPECT_EQ(messages.MessageDlg(QStringLiteral("x"), TMsgDlgType::mtConfirmation,
                                  mbYes | mbNo | mbCancel, 0),
              mrCancel);
    EXPECT_EQ(driver.seen().at(1).title, QStringLiteral("Confirm"));
}

TEST(MessageDlg, CustomTypeShowsTheApplicationTitle) {
    qApp->setProperty(kApplicationTitleProperty, QStringLiteral("Quarvel___娱乐系列"));
    TSeSkinMessage messages;
    ModalDriver driver;
    driver.clickButton(QStringLiteral("OK"));
    messages.MessageDlg(QStringLiteral("x"), TMsgDlgType::mtCustom, mbOK, 0);
    EXPECT_EQ(driver.seen().at(0).title, QStringLiteral("Quarvel___娱乐系列"));
}

TEST(InputQuery, OkReturnsTheEditedTextAndCancelKeepsTheValue) {
    TSeSkinMessage messages;
    ModalDriver driver;
    QString value = QStringLiteral("http://old");
    driver.typeAndPress(QStringLiteral("http://example.test/a.swf"), Qt::Key_Return);
    EXPECT_TRUE(
        messages.InputQuery(QStringLiteral("播放网络中Flash"), QStringLiteral("URL:"), value));
    EXPECT_EQ(value, QStringLiteral("http://example.test/a.swf"));
    EXPECT_EQ(driver.seen().at(0).title, QStringLiteral("播放网络中Flash"));

    driver.typeAndPress(QStringLiteral("changed"), Qt::Key_Escape);
    EXPECT_FALSE(messages.InputQuery(QStringLiteral("c"), QStringLiteral("URL:"), value));
    EXPECT_EQ(value, QStringLiteral("http://example.test/a.swf"));
}

TEST(InputQuery, EditTakesAtMost255Characters) {
    TSeSkinMessage messages;
    ModalDriver driver;
    QString value;
    driver.typeAndPress(QString(300, QLatin1Char('x')), Qt::Key_Return);
    EXPECT_TRUE(messages.InputQuery(QStringLiteral("c"), QStringLiteral("URL:"), value));
    EXPECT_EQ(value.size(), 255);
}
