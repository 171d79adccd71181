// Capture into BMP files and the multi-picture view's mirrors and grid.

#include "AppFixture.h"
#include "app/ToolsCommands.h"
#include "playlist/FileDialog.h"
#include "skin/controls/TSeSkinItem.h"
#include "skin/controls/TSeSkinSpeedButton.h"

#include <QImage>
#include <QImageReader>
#include <QPainter>

using namespace apptest;

namespace {

// Answers the save dialog with a fixed name (or cancels) and records what it was asked.
class SaveAnswer : public playlist::FileDialogProvider {
public:
    std::optional<QStringList> run(const playlist::FileDialogRequest& request) override {
        requests.push_back(request);
        if (answer.isEmpty())
            return std::nullopt;
        return QStringList{answer};
    }
    QString answer;
    std::vector<playlist::FileDialogRequest> requests;
};

class Tools : public AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        form->SaveDialog1().setProvider(&dialog);
        movie = writeMovie("m.swf", testsupport::makeMovingSquareMovie(200, 1));
        form->OpenMovie(movie);
        ASSERT_TRUE(waitFor([&] { return form->Timer2.isActive(); }));
        // Panel1 of outer size 410 x 319: a client area of 595 x 391 inside the frame.
        form->resize(QSize(595, 391) + form->size() - form->contentsRect().size());
    }
    QByteArray head(const QString& path, int n = 2) {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.read(n) : QByteArray();
    }

    SaveAnswer dialog;
    QString movie;
};

} // namespace

TEST_F(Tools, CaptureSavesTheMoviePanelAsABitmap) {
    dialog.answer = env.file("shot.bmp");
    form->CustomItem66->Click();
    ASSERT_EQ(dialog.requests.size(), 1u);
    EXPECT_EQ(dialog.requests[0].filter, QStringLiteral(".bmp|*.bmp"));
    EXPECT_EQ(dialog.requests[0].defaultExt, QStringLiteral(".bmp"));
    EXPECT_EQ(head(dialog.answer), QByteArray("BM"));
    QImageReader reader(dialog.answer);
    EXPECT_EQ(reader.format(), QByteArray("bmp"));
    const QImage shot = reader.read();
    EXPECT_EQ(shot.size(), form->Panel1->size());
    EXPECT_EQ(shot.size(), QSize(410, 319));
    // The control's picture sits at (0, 0); the rest is the new image's white.
    QImage picture(form->ShockwaveFlash1().widget()->size(), QImage::Format_RGB32);
    {
        QPainter p(&picture);
        form->ShockwaveFlash1().PaintTo(p, 0, 0);
    }
    EXPECT_EQ(shot.pixel(5, 5), picture.pixel(5, 5));
    EXPECT_EQ(QColor(shot.pixel(409, 318)), QColor(Qt::white));
}

TEST_F(Tools, PngAndJpegNamesGetTheirFormatOtherNamesABitmap) {
    dialog.answer = env.file("shot.png");
    QTest::keyClick(form.get(), Qt::Key_F12, Qt::ShiftModifier);
    EXPECT_EQ(head(dialog.answer, 8), QByteArray("\x89PNG\r\n\x1a\n"));
    const QImage png(dialog.answer);
    EXPECT_EQ(png.size(), QSize(410, 319));
    EXPECT_EQ(QColor(png.pixel(409, 318)), QColor(Qt::white));

    for (const char* name : {"shot.jpg", "SHOT.JPEG"}) {
        dialog.answer = env.file(QString::fromLatin1(name));
        form->CustomItem66->Click();
        EXPECT_EQ(head(dialog.answer, 3), QByteArray("\xff\xd8\xff")) << name;
        QImageReader reader(dialog.answer);
        EXPECT_EQ(reader.format(), QByteArray("jpeg")) << name;
        EXPECT_EQ(reader.size(), QSize(410, 319)) << name;
    }
    // Anything else is a bitmap whatever it is called, and a bare name gets ".bmp".
    dialog.answer = env.file("shot.gif");
    form->CustomItem66->Click();
    EXPECT_EQ(head(dialog.answer), QByteArray("BM"));
    dialog.answer = env.file("noext");
    QTest::mouseClick(form->SeSkinSpeedButton7, Qt::LeftButton, Qt::NoModifier, QPoint(10, 10));
    EXPECT_EQ(head(env.file("noext.bmp")), QByteArray("BM"));
    EXPECT_FALSE(QFileInfo::exists(env.file("noext")));
}

TEST_F(Tools, CaptureDoesNotProposeAMovieName) {
    form->SaveDialog1().setFileName(env.file("downloads/movie.swf"));
    form->CustomItem66->Click();
    ASSERT_EQ(dialog.requests.size(), 1u);
    EXPECT_EQ(dialog.requests[0].fileName, env.file("downloads") + u'/');
    // A picture's name is offered again for the next capture.
    dialog.answer = env.file("shot1.png");
    form->CustomItem66->Click();
    form->CustomItem66->Click();
    ASSERT_EQ(dialog.requests.size(), 3u);
    EXPECT_EQ(dialog.requests[2].fileName, env.file("shot1.png"));
}

TEST_F(Tools, CancellingTheDialogWritesNothing) {
    form->CustomItem66->Click();
    EXPECT_EQ(dialog.requests.size(), 1u);
    EXPECT_TRUE(QDir(env.path()).entryList({QStringLiteral("*.bmp")}).isEmpty());
}

TEST_F(Tools, AFileThatCannotBeCreatedReachesTheErrorBox) {
    dialog.answer = env.file("missing-folder/shot.bmp");
    testsupport::ModalDriver driver;
    driver.pressKey(Qt::Key_Return);
    form->CustomItem66->Click();
    ASSERT_EQ(driver.seen().size(), 1u);
    EXPECT_TRUE(
        driver.seen()[0].text.contains(QStringLiteral("Cannot create file ") + dialog.answer));
}

TEST_F(Tools, MultiPictureLaysOutAGridOfMirrors) {
    ASSERT_EQ(form->Panel1->size(), QSize(410, 319));
    form->CustomItem67->Click();
    EXPECT_TRUE(form->CustomItem67->Checked());
    EXPECT_FALSE(form->CustomItem38->Enabled());
    EXPECT_TRUE(form->tools().multiPicture());
    EXPECT_TRUE(form->Timer4.isActive());
    EXPECT_EQ(form->Timer4.interval(), 10);
    EXPECT_EQ(form->ShockwaveFlash1().widget()->geometry(), QRect(0, 0, 205, 159));
    const auto boxes = form->Panel1->findChildren<app::MirrorBox*>();
    ASSERT_EQ(boxes.size(), 3);
    std::vector<QRect> rects;
    for (app::MirrorBox* box : boxes)
        rects.push_back(box->geometry());
    EXPECT_EQ(rects, (std::vector<QRect>{QRect(205, 0, 205, 159), QRect(0, 159, 205, 159),
                                         QRect(205, 159, 205, 159)}));
    // The boxes show the control's picture.
    QTest::qWait(100);
    const QImage mirror = boxes[2]->grab().toImage();
    QImage picture(205, 159, QImage::Format_RGB32);
    {
        QPainter p(&picture);
        form->ShockwaveFlash1().PaintTo(p, 0, 0);
    }
    EXPECT_EQ(mirror.convertToFormat(QImage::Format_RGB32).pixel(100, 80), picture.pixel(100, 80));

    // A new size lays the grid out again.
    form->resize(701, 451);
    const QSize outer = form->Panel1->size();
    EXPECT_EQ(form->ShockwaveFlash1().widget()->size(),
              QSize(outer.width() / 2, outer.height() / 2));
    EXPECT_EQ(boxes[2]->pos(), QPoint(outer.width() / 2, outer.height() / 2));

    form->CustomItem67->Click();
    EXPECT_FALSE(form->tools().multiPicture());
    EXPECT_FALSE(form->Timer4.isActive());
    EXPECT_TRUE(form->CustomItem38->Enabled());
    QCoreApplication::processEvents();
    EXPECT_TRUE(form->Panel1->findChildren<app::MirrorBox*>().isEmpty());
    EXPECT_EQ(form->ShockwaveFlash1().widget()->geometry(), form->Panel1->contentsRect());
}

TEST_F(Tools, CaptureDuringMultiPictureTakesTheControlsOwnPicture) {
    form->CustomItem67->Click();
    dialog.answer = env.file("quarter.bmp");
    form->CustomItem66->Click();
    const QImage shot(dialog.answer);
    ASSERT_EQ(shot.size(), QSize(410, 319));
    // Right of the control's quarter the image stays white, mirrors or not.
    EXPECT_EQ(QColor(shot.pixel(300, 50)), QColor(Qt::white));
    form->CustomItem67->Click();
}

TEST_F(Tools, FullScreenAndMultiPictureExcludeEachOther) {
    form->CustomItem38Click(form->CustomItem38);
    EXPECT_FALSE(form->CustomItem67->Enabled());
    form->CustomItem67->Click(); // disabled: nothing
    EXPECT_FALSE(form->tools().multiPicture());
    QTest::keyClick(form.get(), Qt::Key_Escape);
    EXPECT_TRUE(form->CustomItem67->Enabled());
}
