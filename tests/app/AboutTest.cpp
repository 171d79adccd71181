// The about window: its texts, fonts and colours, the link label, and showing it from the menu.

#include "AppFixture.h"
#include "app/TForm2.h"
#include "skin/controls/TSeSkinForm.h"
#include "skin/controls/TSeSkinItem.h"

#include <QEnterEvent>
#include <QFontInfo>
#include <QPushButton>
#include <QRawFont>

using namespace apptest;
using app::TForm2;

namespace {

QColor textColour(QWidget* w) {
    return w->palette().color(QPalette::WindowText);
}

} // namespace

TEST(About, LaysOutItsLabelsWithAChineseFont) {
    TForm2 about;
    EXPECT_EQ(about.windowTitle(), QStringLiteral("关于Quarvel...."));
    // The client area inside the frame keeps the designed size.
    EXPECT_EQ(about.contentsRect().size(), QSize(358, 204));
    EXPECT_EQ(about.SeSkinForm1->clientRect(), about.contentsRect());
    EXPECT_EQ(about.Label2->text(), QStringLiteral("Quarvel娱乐系列之FLASH播放器"));
    EXPECT_EQ(about.Label1->text(), about.Label2->text());
    EXPECT_EQ(about.Label1->pos(), about.Label2->pos() + QPoint(1, 0));
    EXPECT_EQ(about.Label2->pos(), QPoint(50, 12));
    EXPECT_EQ(about.Label3->pos(), QPoint(118, 42));
    EXPECT_TRUE(about.Label3->text().startsWith(QStringLiteral("程序设计：")));
    EXPECT_EQ(about.Label9->text(), QStringLiteral("       QQ："));
    EXPECT_EQ(about.Label8->pos(), QPoint(163, 69));
    EXPECT_EQ(about.Label4->text(), QStringLiteral("欢迎大家找虫虫      ^_^"));
    EXPECT_EQ(about.Label4->pos(), QPoint(112, 112));
    EXPECT_EQ(about.Image1->geometry(), QRect(48, 48, 31, 33));
    EXPECT_EQ(about.SeSkinButton1->geometry(), QRect(126, 159, 88, 28));
    EXPECT_EQ(about.SeSkinButton1->text(), QStringLiteral("确定"));
    // The shadow lies under the title.
    EXPECT_LT(about.Label2->parentWidget()->children().indexOf(about.Label1),
              about.Label2->parentWidget()->children().indexOf(about.Label2));

    EXPECT_EQ(textColour(about.Label2), QColor(0, 0x80, 0x80));
    EXPECT_EQ(textColour(about.Label1), QColor(Qt::black));
    EXPECT_EQ(textColour(about.Label8), QColor(Qt::red));
    EXPECT_EQ(about.Label8->toolTip(), QStringLiteral("作者QQ"));
    EXPECT_EQ(about.Label8->cursor().shape(), Qt::PointingHandCursor);
    EXPECT_EQ(about.Label2->font().pixelSize(), 16);
    EXPECT_TRUE(about.Label2->font().bold());
    EXPECT_EQ(about.Label4->font().pixelSize(), 13);
    // 宋体 when installed, or a font that really has the characters.
    const QRawFont raw = QRawFont::fromFont(about.Label2->font(), QFontDatabase::SimplifiedChinese);
    EXPECT_TRUE(raw.supportsCharacter(QChar(u'娱')));
    EXPECT_FALSE(TForm2::songTiFamily().isEmpty());
}

TEST(About, TheLinkTurnsBlueUnderThePointerAndRedAgainAfter) {
    TForm2 about;
    QStringList opened;
    about.openUrl = [&](const QString& url) { opened << url; };
    about.show();
    QEnterEvent enter(QPointF(3, 3), QPointF(3, 3), about.Label8->mapToGlobal(QPointF(3, 3)));
    QApplication::sendEvent(about.Label8, &enter);
    EXPECT_EQ(textColour(about.Label8), QColor(Qt::blue));
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(about.Label8, &leave);
    EXPECT_EQ(textColour(about.Label8), QColor(Qt::red));
    QTest::mouseMove(about.Label8, QPoint(4, 4));
    QMouseEvent move(QEvent::MouseMove, QPointF(4, 4), about.Label8->mapToGlobal(QPointF(4, 4)),
                     Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(about.Label8, &move);
    EXPECT_EQ(textColour(about.Label8), QColor(Qt::blue));
    QTest::mouseClick(about.Label8, Qt::LeftButton, Qt::NoModifier, QPoint(4, 4));
    EXPECT_EQ(opened, QStringList{TForm2::contactPage()});
    EXPECT_TRUE(about.isVisible());
}

class AboutFromMenu : public AppTest {};

TEST_F(AboutFromMenu, ShownModallyAndAgainLater) {
    testsupport::ModalDriver driver;
    driver.clickButton(QStringLiteral("SeSkinButton1"));
    form->CustomItem21->action()->trigger();
    ASSERT_EQ(driver.seen().size(), 1u);
    EXPECT_EQ(driver.seen()[0].title, QStringLiteral("关于Quarvel...."));
    EXPECT_FALSE(form->Form2->isVisible());
    // Closed by its frame the second time.
    driver.answer([](QWidget* box) { box->close(); });
    form->CustomItem21->Click();
    EXPECT_EQ(driver.seen().size(), 2u);
    EXPECT_FALSE(form->Form2->isVisible());
    EXPECT_TRUE(form->isVisible());
}
