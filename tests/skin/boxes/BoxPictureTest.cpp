// What the boxes look like: the skinned frame, icon, text and buttons land on the picture,
// also after a hue shift. With QUARVEL_BOX_PICTURES set to a folder, the pictures are saved
// there to be looked at.

#include <QDir>
#include <QLabel>
#include <QPainter>

#include "BoxFixtures.h"
#include "skin/controls/TSeSkinButton.h"
#include "skin/controls/TSeSkinEdit.h"
#include "skin/controls/TSeSkinMessage.h"
#include "skin/model/TSeSkinObject.h"

using namespace skin;
using namespace boxtest;

namespace {

QImage picture(QDialog& box, const QString& name) {
    box.show();
    QApplication::processEvents();
    const QImage image = box.grab().toImage();
    const QString folder = qEnvironmentVariable("QUARVEL_BOX_PICTURES");
    if (!folder.isEmpty()) {
        QDir().mkpath(folder);
        image.save(QDir(folder).filePath(name + QStringLiteral(".png")));
    }
    box.hide();
    return image;
}

int distinctColours(const QImage& image, const QRect& area) {
    QSet<QRgb> seen;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            seen.insert(image.pixel(x, y));
    return int(seen.size());
}

} // namespace

TEST(BoxPicture, TheSkinnedMessageBoxShowsFrameTitleIconAndButtons) {
    auto engine = playerSkinEngine();
    TSeSkinMessage messages;
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setPixelSize(11);
    messages.setButtonFont(font);
    messages.setMessageFont(font);
    messages.setSkinEngine(engine.get());
    for (int hue : {0, 60}) {
        engine->setDeltaHue(hue);
        auto box = messages.CreateMessageBox(QStringLiteral("已经转换成功,是否现在播放?"),
                                             TMsgDlgType::mtInformation, mbYes | mbNo);
        const QImage image = picture(*box, QStringLiteral("message-hue%1").arg(hue));
        ASSERT_EQ(image.size(), box->size());
        TSeMessageFrame* frame = box->findChild<TSeMessageFrame*>();
        const QRect client = frame->clientRect();
        // The caption strip is drawn (not one flat colour), and so is each button's face.
        EXPECT_GT(distinctColours(image, QRect(0, 0, image.width(), client.top())), 4);
        for (auto* b : box->findChildren<TSeCustomButton*>()) {
            const QRect r(b->mapTo(box.get(), QPoint(0, 0)), b->size());
            EXPECT_GT(distinctColours(image, r), 4) << b->objectName().toStdString();
        }
        auto* icon = box->findChild<QLabel*>(QStringLiteral("Image"));
        EXPECT_GT(distinctColours(image, QRect(icon->mapTo(box.get(), QPoint(0, 0)), icon->size())),
                  4);
    }
    // The caption's colours follow the hue: the same box differs after a shift of 60.
    engine->setDeltaHue(0);
    auto plain = messages.CreateMessageBox(QStringLiteral("x"), TMsgDlgType::mtError, mbOK);
    const QImage before = picture(*plain, QStringLiteral("error-hue0"));
    engine->setDeltaHue(60);
    auto shifted = messages.CreateMessageBox(QStringLiteral("x"), TMsgDlgType::mtError, mbOK);
    const QImage after = picture(*shifted, QStringLiteral("error-hue60"));
    ASSERT_EQ(before.size(), after.size());
    EXPECT_NE(before.copy(0, 0, before.width(), 20), after.copy(0, 0, after.width(), 20));
}

TEST(BoxPicture, TheSkinnedInputBoxShowsItsEditAndButtons) {
    auto engine = playerSkinEngine();
    TSeSkinMessage messages;
    messages.setSkinEngine(engine.get());
    auto box = messages.CreateInputBox(QStringLiteral("播放网络中Flash"), QStringLiteral("URL:"),
                                       QStringLiteral("http://example.test/movie.swf"));
    const QImage image = picture(*box, QStringLiteral("input"));
    auto* edit = box->findChild<TSeCustomEdit*>();
    const QRect r(edit->mapTo(box.get(), QPoint(0, 0)), edit->size());
    EXPECT_GT(distinctColours(image, r), 4);
    engine->setDeltaHue(60);
    auto shifted =
        messages.CreateInputBox(QStringLiteral("播放网络中Flash"), QStringLiteral("URL:"),
                                QStringLiteral("http://example.test/movie.swf"));
    picture(*shifted, QStringLiteral("input-hue60"));
    // Unskinned, the same box keeps the desktop's look.
    TSeCustomMessage plain;
    auto desktop = plain.CreateInputBox(QStringLiteral("播放网络中Flash"), QStringLiteral("URL:"),
                                        QStringLiteral("http://example.test/movie.swf"));
    picture(*desktop, QStringLiteral("input-desktop"));
    auto desktopMessage = plain.CreateMessageBox(QStringLiteral("网络文件下载完毕，是否现在播放？"),
                                                 TMsgDlgType::mtWarning, mbYes | mbNo | mbHelp);
    picture(*desktopMessage, QStringLiteral("message-desktop"));
}
