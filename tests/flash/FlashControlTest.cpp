// The control as the player sees it: registered with the helper, created through the class
// registry, driven by dispatch id.

#include "flash/host/TShockwaveFlash.h"
#include "platform/ClassRegistry.h"
#include "platform/Process.h"
#include "tests/support/SwfWriter.h"
#include "tests/support/TempDir.h"
#include "tests/support/Wait.h"

#include <QElapsedTimer>
#include <QImage>
#include <QPainter>
#include <QTest>
#include <gtest/gtest.h>

using flash::EOleException;
using flash::EOleSysError;
using flash::TShockwaveFlash;
using testsupport::Compression;
using testsupport::IsolatedEnvironment;
using testsupport::waitFor;

namespace {

int registerControl() {
    return platform::RunCommandAndWait(
        QStringLiteral("\"%1\" /s \"%2\"").arg(REGSVR32_PATH, SWFLASH_PATH), 0, {});
}

class FlashControlTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(registerControl(), 0);
        parent.resize(320, 240);
        flash = std::make_unique<TShockwaveFlash>(&parent);
        flash->SetBounds(parent.rect());
        parent.show();
    }

    QString writeMovie(const QString& name, const QByteArray& bytes) {
        return testsupport::writeFile(env.file(name), bytes);
    }

    IsolatedEnvironment env;
    QWidget parent;
    std::unique_ptr<TShockwaveFlash> flash;
};

} // namespace

TEST(FlashRegistration, HelperRecordsTheClassAndUnregisterRemovesIt) {
    IsolatedEnvironment env;
    EXPECT_THROW(
        {
            QWidget p;
            TShockwaveFlash f(&p);
        },
        EOleSysError);
    ASSERT_EQ(registerControl(), 0);
    platform::ClassRegistry registry;
    EXPECT_EQ(registry.value(
                  QStringLiteral("CLSID\\{D27CDB6E-AE6D-11CF-96B8-444553540000}\\InprocServer32")),
              QString(SWFLASH_PATH));
    EXPECT_EQ(registry.value(QStringLiteral("ShockwaveFlash.ShockwaveFlash\\CLSID")),
              QStringLiteral("{D27CDB6E-AE6D-11CF-96B8-444553540000}"));
    {
        QWidget p;
        TShockwaveFlash f(&p);
        EXPECT_EQ(f.widget()->parentWidget(), &p);
    }
    EXPECT_EQ(platform::RunCommandAndWait(
                  QStringLiteral("\"%1\" /s /u \"%2\"").arg(REGSVR32_PATH, SWFLASH_PATH), 0, {}),
              0);
    EXPECT_FALSE(registry.value(
        QStringLiteral("CLSID\\{D27CDB6E-AE6D-11CF-96B8-444553540000}\\InprocServer32")));
    EXPECT_THROW(
        {
            QWidget p;
            TShockwaveFlash f(&p);
        },
        EOleSysError);
}

TEST(FlashRegistration, ARegistrationNamingAMissingLibraryFailsCreation) {
    IsolatedEnvironment env;
    platform::ClassRegistry registry;
    ASSERT_TRUE(registry.setValue(
        QStringLiteral("CLSID\\{D27CDB6E-AE6D-11CF-96B8-444553540000}\\InprocServer32"),
        env.file("missing.so")));
    QWidget p;
    EXPECT_THROW(TShockwaveFlash f(&p), EOleSysError);
}

TEST(FlashRegistration, HelperFailsOnAFileThatIsNotALibrary) {
    IsolatedEnvironment env;
    const QString bogus = testsupport::writeFile(env.file("bogus.ocx"), "not a library");
    EXPECT_NE(platform::RunCommandAndWait(
                  QStringLiteral("\"%1\" /s \"%2\"").arg(REGSVR32_PATH, bogus), 0, {}),
              0);
}

TEST_F(FlashControlTest, LocalMovieLoadsFullyAndStartsByItself) {
    const QString path = writeMovie("a.swf", testsupport::makeMovingSquareMovie(5, 30));
    flash->set_Movie(path);
    EXPECT_EQ(flash->PercentLoaded(), 100);
    EXPECT_EQ(flash->get_TotalFrames(), 5);
    EXPECT_TRUE(flash->IsPlaying());
    EXPECT_GE(flash->CurrentFrame(), 1);
    // A movie that does not stop itself loops, as the control's Loop property starts true,
    // and stays playing while it does.
    ASSERT_TRUE(waitFor([&] { return flash->CurrentFrame() == 5; }));
    ASSERT_TRUE(waitFor([&] { return flash->CurrentFrame() < 5; }));
    EXPECT_TRUE(flash->IsPlaying());
}

TEST_F(FlashControlTest, EachContainerKindLoads) {
    for (auto c : {Compression::None, Compression::Zlib, Compression::Lzma}) {
        const QString path =
            writeMovie("c.swf", testsupport::makeMovingSquareMovie(7, 12, 100, 80, c));
        flash->set_Movie(path);
        EXPECT_EQ(flash->get_TotalFrames(), 7) << static_cast<int>(c);
        EXPECT_EQ(flash->PercentLoaded(), 100);
    }
}

TEST_F(FlashControlTest, TransportCallsMoveTheTimeline) {
    flash->set_Movie(writeMovie("t.swf", testsupport::makeMovingSquareMovie(40, 1)));
    flash->Stop();
    EXPECT_FALSE(flash->IsPlaying());
    EXPECT_FALSE(flash->get_Playing());
    flash->GotoFrame(20);
    EXPECT_EQ(flash->CurrentFrame(), 20);
    flash->GotoFrame(10);
    EXPECT_EQ(flash->CurrentFrame(), 10);
    flash->GotoFrame(345); // out of range: the control keeps to the frames it has
    EXPECT_EQ(flash->CurrentFrame(), 40);
    flash->GotoFrame(-7);
    EXPECT_EQ(flash->CurrentFrame(), 1);
    flash->set_Playing(true);
    EXPECT_TRUE(flash->get_Playing());
    flash->set_Playing(false);
    EXPECT_FALSE(flash->IsPlaying());
    flash->GotoFrame(30);
    flash->Rewind();
    EXPECT_EQ(flash->CurrentFrame(), 1);
    flash->Play();
    EXPECT_TRUE(flash->IsPlaying());
}

TEST_F(FlashControlTest, BlankMovieClearsThePicture) {
    flash->set_Movie(writeMovie("b.swf", testsupport::makeMovingSquareMovie(3)));
    EXPECT_EQ(flash->get_TotalFrames(), 3);
    flash->set_Movie(QStringLiteral("blank.swf"));
    EXPECT_EQ(flash->get_TotalFrames(), 0);
    EXPECT_EQ(flash->CurrentFrame(), 0);
    EXPECT_FALSE(flash->IsPlaying());
    flash->set_Movie(writeMovie("b.swf", testsupport::makeMovingSquareMovie(3)));
    flash->set_Movie(QString());
    EXPECT_EQ(flash->PercentLoaded(), 0);
}

TEST_F(FlashControlTest, BackgroundColorFillsBehindTheStage) {
    flash->set_Movie(writeMovie("bg.swf", testsupport::makeMovingSquareMovie(2, 12, 100, 100)));
    flash->set_BackgroundColor(0x0000ff); // red + green*256 + blue*65536: pure red
    QImage picture(parent.size(), QImage::Format_RGB32);
    QPainter p(&picture);
    flash->PaintTo(p, 0, 0);
    p.end();
    // The 320x240 panel shows a square stage, so the left edge is letterbox.
    EXPECT_EQ(QColor(picture.pixel(2, 120)), QColor(255, 0, 0));
    flash->set_BackgroundColor(0);
    QPainter p2(&picture);
    flash->PaintTo(p2, 0, 0);
    p2.end();
    EXPECT_EQ(QColor(picture.pixel(2, 120)), QColor(0, 0, 0));
}

TEST_F(FlashControlTest, MalformedMoviesFailTheCallAndLeaveTheControlWorking) {
    QByteArray good = testsupport::makeMovingSquareMovie(3);
    QByteArray zlib = testsupport::makeMovingSquareMovie(3, 12, 320, 240, Compression::Zlib);
    QByteArray lzma = testsupport::makeMovingSquareMovie(3, 12, 320, 240, Compression::Lzma);
    QByteArray corruptZlib = zlib;
    for (int i = 12; i < corruptZlib.size(); ++i)
        corruptZlib[i] = static_cast<char>(corruptZlib[i] ^ 0x5a);
    QByteArray corruptLzma = lzma;
    for (int i = 20; i < corruptLzma.size(); ++i)
        corruptLzma[i] = static_cast<char>(0xff);
    QByteArray huge = zlib;
    huge[4] = '\0';
    huge[5] = '\0';
    huge[6] = '\0';
    huge[7] = '\x20'; // declares 512 MiB
    QByteArray oversized = zlib;
    oversized[4] = '\0';
    oversized[5] = '\0';
    oversized[6] = '\x00';
    oversized[7] = '\x08'; // 128 MiB from a few bytes
    const std::vector<std::pair<const char*, QByteArray>> cases = {
        {"empty", QByteArray()},
        {"truncated header", good.left(6)},
        {"unknown signature", QByteArray("XWS").append(good.mid(3))},
        {"corrupt zlib", corruptZlib},
        {"corrupt lzma", corruptLzma},
        {"declared length over 256 MiB", huge},
        {"declared length beyond what the data can hold", oversized},
        {"not a movie at all", QByteArray("<html>404</html>")},
    };
    for (const auto& [name, bytes] : cases) {
        EXPECT_THROW(flash->set_Movie(writeMovie("bad.swf", bytes)), EOleException) << name;
        EXPECT_EQ(flash->get_TotalFrames(), 0) << name;
    }
    EXPECT_THROW(flash->set_Movie(env.file("does-not-exist.swf")), EOleException);
    // Still works afterwards.
    flash->set_Movie(writeMovie("ok.swf", good));
    EXPECT_EQ(flash->get_TotalFrames(), 3);
}

TEST_F(FlashControlTest, DestroyedWindowMakesCallsFail) {
    flash->DestroyWindow();
    EXPECT_TRUE(flash->isDestroyed());
    EXPECT_EQ(flash->widget(), nullptr);
    EXPECT_THROW(flash->Play(), EOleException);
}

TEST_F(FlashControlTest, ZoomChangesTheViewAndZeroRestoresIt) {
    testsupport::SwfWriter w(100, 100, 12);
    w.setBackgroundColor(Qt::white);
    w.defineRectShape(1, QRect(40, 40, 20, 20), Qt::black);
    w.placeObject2(1, 1);
    w.showFrame();
    flash->set_Movie(writeMovie("z.swf", w.finish()));
    flash->SetBounds(QRect(0, 0, 200, 200));
    auto grab = [&] {
        QImage img(200, 200, QImage::Format_RGB32);
        QPainter p(&img);
        flash->PaintTo(p, 0, 0);
        return img;
    };
    // At 100 % the black square spans 80..120 of the 200-pixel view.
    EXPECT_EQ(QColor(grab().pixel(70, 100)), QColor(Qt::white));
    flash->Zoom(50); // half the view: the square doubles to 60..140
    EXPECT_EQ(QColor(grab().pixel(70, 100)), QColor(Qt::black));
    flash->Zoom(0);
    EXPECT_EQ(QColor(grab().pixel(70, 100)), QColor(Qt::white));
}

TEST_F(FlashControlTest, QualityDecidesEdgesAndBitmapSmoothing) {
    // A black square whose left edge lies half way across a pixel, and a bitmap of a red and
    // a blue column enlarged 20 times through a fill that asks not to be smoothed.
    testsupport::SwfWriter w(100, 100, 12);
    w.setBackgroundColor(Qt::white);
    w.defineRectShape(1, QRect(0, 0, 20, 20), Qt::black);
    testsupport::PlaceSpec at;
    at.characterId = 1;
    at.matrix = QTransform::fromTranslate(10.5 * 20, 60 * 20);
    w.placeObject(at);
    QImage source(2, 2, QImage::Format_ARGB32);
    for (int y = 0; y < 2; ++y) {
        source.setPixel(0, y, qRgb(255, 0, 0));
        source.setPixel(1, y, qRgb(0, 0, 255));
    }
    w.defineBitsLossless(2, source, 1, 5);
    testsupport::ShapeSpec s;
    s.fills = {testsupport::FillSpec::bitmap(2, 0x43, 0, 0, 20)};
    s.rect(QRect(0, 0, 40, 40), 1);
    w.defineShape(3, s, 3);
    at.depth = 2;
    at.characterId = 3;
    at.matrix = QTransform::fromTranslate(50 * 20, 0);
    w.placeObject(at);
    w.showFrame();
    const QByteArray bytes = w.finish();
    flash->set_Movie(writeMovie("q.swf", bytes));
    flash->SetBounds(QRect(0, 0, 100, 100));
    struct Seen {
        bool edge, bitmap;
    };
    auto look = [&] {
        QImage img(100, 100, QImage::Format_RGB32);
        QPainter p(&img);
        flash->PaintTo(p, 0, 0);
        p.end();
        const int edge = qRed(img.pixel(10, 70));
        return Seen{edge > 30 && edge<225, qBlue(img.pixel(68, 20))> 20 &&
                    qRed(img.pixel(71, 20)) > 20};
    };
    // High until told otherwise.
    EXPECT_EQ(flash->get_Quality(), 1);
    EXPECT_EQ(flash->get_Quality2(), "high");
    Seen seen = look();
    EXPECT_TRUE(seen.edge);
    EXPECT_FALSE(seen.bitmap);
    // What the quality menu writes: 2 "低" autolow starts hard-edged, 3 "高" autohigh smooth.
    flash->set_Quality(2);
    EXPECT_EQ(flash->get_Quality2(), "autolow");
    EXPECT_FALSE(look().edge);
    flash->set_Quality(3);
    EXPECT_EQ(flash->get_Quality2(), "autohigh");
    EXPECT_TRUE(look().edge);
    flash->set_Quality(0);
    EXPECT_FALSE(look().edge);
    flash->set_Quality2("BEST");
    EXPECT_EQ(flash->get_Quality(), 1);
    seen = look();
    EXPECT_TRUE(seen.edge);
    EXPECT_TRUE(seen.bitmap); // best smooths every bitmap
    flash->set_Quality2("medium");
    seen = look();
    EXPECT_TRUE(seen.edge);
    EXPECT_FALSE(seen.bitmap);
    // Nonsense is refused and changes nothing.
    EXPECT_THROW(flash->set_Quality(4), EOleException);
    EXPECT_THROW(flash->set_Quality2("ultra"), EOleException);
    EXPECT_EQ(flash->get_Quality2(), "medium");
    // The level outlives the movie: the next one starts at it.
    flash->set_Quality2("low");
    flash->set_Movie(writeMovie("q2.swf", bytes));
    EXPECT_FALSE(look().edge);
}
