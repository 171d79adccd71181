#include "swf/format/Movie.h"
#include "swf/format/MovieLoader.h"
#include "tests/support/SwfWriter.h"

#include <QtEndian>
#include <gtest/gtest.h>

using testsupport::Compression;
using testsupport::makeMovingSquareMovie;
using testsupport::SwfWriter;

namespace {

void setDeclaredLength(QByteArray& file, uint32_t length) {
    qToLittleEndian(length, file.data() + 4);
}

class ContainerTest : public testing::TestWithParam<Compression> {};

} // namespace

TEST_P(ContainerTest, ReadsHeaderAndCountsFrames) {
    const QByteArray file = makeMovingSquareMovie(7, 24, 400, 300, GetParam());
    swf::MovieLoader loader;
    ASSERT_TRUE(loader.append(file.constData(), file.size()).ok());
    ASSERT_TRUE(loader.finish().ok()) << loader.errorMessage().toStdString();
    ASSERT_TRUE(loader.header());
    const swf::Header& h = *loader.header();
    EXPECT_EQ(h.compression, "FCZ"[static_cast<int>(GetParam())]);
    EXPECT_EQ(h.version, 8);
    EXPECT_EQ(h.stage, QRectF(0, 0, 400, 300));
    EXPECT_DOUBLE_EQ(h.frameRate, 24.0);
    EXPECT_EQ(h.frameCount, 7);
    EXPECT_EQ(loader.framesLoaded(), 7);
    EXPECT_EQ(loader.percentLoaded(), 100);
    EXPECT_EQ(loader.movie()->backgroundColor(), QColor(0x20, 0x30, 0x50));
    EXPECT_TRUE(loader.movie()->complete());
}

TEST_P(ContainerTest, LoadsProgressivelyByteByByte) {
    const QByteArray file = makeMovingSquareMovie(20, 12, 320, 240, GetParam());
    swf::MovieLoader loader;
    int lastPercent = 0, lastFrames = 0;
    bool sawPartial = false;
    for (qsizetype i = 0; i < file.size(); ++i) {
        ASSERT_TRUE(loader.append(file.constData() + i, 1).ok()) << "at byte " << i;
        EXPECT_GE(loader.percentLoaded(), lastPercent);
        EXPECT_GE(loader.framesLoaded(), lastFrames);
        if (loader.framesLoaded() > 0 && loader.framesLoaded() < 20)
            sawPartial = true;
        lastPercent = loader.percentLoaded();
        lastFrames = loader.framesLoaded();
        if (i == 3) {
            EXPECT_FALSE(loader.header());
        }
    }
    EXPECT_TRUE(sawPartial);
    ASSERT_TRUE(loader.finish().ok()) << loader.errorMessage().toStdString();
    EXPECT_EQ(loader.framesLoaded(), 20);
    EXPECT_EQ(loader.percentLoaded(), 100);
}

TEST_P(ContainerTest, PercentLoadedFollowsTheUncompressedBytes) {
    const QByteArray file = makeMovingSquareMovie(200, 12, 320, 240, GetParam());
    swf::MovieLoader loader;
    ASSERT_TRUE(loader.append(file.constData(), file.size() / 2).ok());
    EXPECT_GT(loader.percentLoaded(), 5);
    EXPECT_LT(loader.percentLoaded(), 100);
    EXPECT_GT(loader.framesLoaded(), 0);
    EXPECT_LT(loader.framesLoaded(), 200);
    EXPECT_FALSE(loader.movie()->complete());
}

INSTANTIATE_TEST_SUITE_P(AllContainers, ContainerTest,
                         testing::Values(Compression::None, Compression::Zlib, Compression::Lzma));

TEST(MalformedMovie, EmptyFileFailsOnFinish) {
    swf::MovieLoader loader;
    EXPECT_TRUE(loader.append("", 0).ok());
    EXPECT_FALSE(loader.finish().ok());
    EXPECT_TRUE(loader.failed());
    EXPECT_FALSE(loader.errorMessage().isEmpty());
    EXPECT_FALSE(swf::loadMovie(QByteArray()).ok());
}

TEST(MalformedMovie, TruncatedHeaderFailsOnFinish) {
    const QByteArray file = makeMovingSquareMovie(3);
    for (int cut : {2, 5, 8, 9, 12}) {
        auto r = swf::loadMovie(file.left(cut));
        EXPECT_FALSE(r.ok()) << "cut at " << cut;
    }
    // ZWS needs its compressed length and properties before any data.
    const QByteArray zws = makeMovingSquareMovie(3, 12, 320, 240, Compression::Lzma);
    EXPECT_FALSE(swf::loadMovie(zws.left(14)).ok());
}

TEST(MalformedMovie, UnknownSignatureFailsAtOnce) {
    swf::MovieLoader loader;
    auto r = loader.append("GIF89a", 6);
    EXPECT_FALSE(r.ok());
    EXPECT_TRUE(loader.failed());
    EXPECT_FALSE(loader.append("FWS", 3).ok()); // stays failed
    EXPECT_FALSE(swf::loadMovie(QByteArray("XWS\x08\x10\x00\x00\x00", 8)).ok());
}

TEST(MalformedMovie, CorruptZlibDataFails) {
    QByteArray file = makeMovingSquareMovie(10, 12, 320, 240, Compression::Zlib);
    for (int i = 8; i < 20; ++i)
        file[i] = static_cast<char>(0xff);
    EXPECT_FALSE(swf::loadMovie(file).ok());
}

TEST(MalformedMovie, CorruptLzmaDataFails) {
    QByteArray file = makeMovingSquareMovie(10, 12, 320, 240, Compression::Lzma);
    QByteArray bad = file;
    bad[12] = static_cast<char>(0xff); // properties byte out of range
    EXPECT_FALSE(swf::loadMovie(bad).ok());
    bad = file;
    for (int i = 17; i < bad.size(); ++i)
        bad[i] = static_cast<char>(bad[i] ^ 0x5a);
    EXPECT_FALSE(swf::loadMovie(bad).ok());
}

TEST(MalformedMovie, DeclaredLengthOverTheLimitFailsBeforeAnyData) {
    for (Compression c : {Compression::None, Compression::Zlib, Compression::Lzma}) {
        QByteArray file = makeMovingSquareMovie(2, 12, 320, 240, c);
        setDeclaredLength(file, swf::kMaxMovieLength + 1);
        swf::MovieLoader loader;
        EXPECT_FALSE(loader.append(file.constData(), 8).ok());
    }
}

TEST(MalformedMovie, DeclaredLengthTheDataCannotHoldFails) {
    // 100 MiB from a few hundred bytes of zlib data is beyond what zlib can produce.
    QByteArray cws = makeMovingSquareMovie(2, 12, 320, 240, Compression::Zlib);
    setDeclaredLength(cws, 100u * 1024 * 1024);
    EXPECT_FALSE(swf::loadMovie(cws).ok());
    // A plain file with no complete frame and far less data than declared.
    SwfWriter w(100, 100, 12);
    w.setBackgroundColor(Qt::red);
    QByteArray fws = w.finish(Compression::None, 1);
    setDeclaredLength(fws, 50u * 1024 * 1024);
    EXPECT_FALSE(swf::loadMovie(fws).ok());
}

TEST(MalformedMovie, TooSmallDeclaredLengthFails) {
    QByteArray file = makeMovingSquareMovie(2);
    setDeclaredLength(file, 4);
    EXPECT_FALSE(swf::loadMovie(file).ok());
}

TEST(MalformedMovie, MovieCutShortKeepsItsFrames) {
    const QByteArray file = makeMovingSquareMovie(50);
    auto r = swf::loadMovie(file.left(file.size() * 2 / 3));
    ASSERT_TRUE(r.ok());
    EXPECT_GT(r.value()->framesLoaded(), 10);
    EXPECT_LT(r.value()->framesLoaded(), 50);
}

TEST(MalformedMovie, BrokenTagEndsTheLoadKeepingEarlierFrames) {
    SwfWriter w(100, 100, 12);
    w.defineRectShape(1, QRect(0, 0, 10, 10), Qt::red);
    w.placeObject2(1, 1);
    w.showFrame();
    w.showFrame();
    w.tag(26, QByteArray("\x06", 1)); // PlaceObject2 that says more follows, then nothing
    w.showFrame();
    w.showFrame();
    auto r = swf::loadMovie(w.finish());
    ASSERT_TRUE(r.ok());
    EXPECT_EQ(r.value()->framesLoaded(), 2);
    EXPECT_TRUE(r.value()->complete());
}

TEST(MalformedMovie, TagLongerThanTheFileEndsTheLoad) {
    SwfWriter w(100, 100, 12);
    w.showFrame();
    QByteArray body(10, 'x');
    w.tag(2, body, true);
    QByteArray file = w.finish();
    // Make the long tag claim 2 GiB.
    const qsizetype at = file.indexOf(QByteArray("xxxxxxxxxx")) - 4;
    qToLittleEndian<uint32_t>(0x80000000u, file.data() + at);
    auto r = swf::loadMovie(file);
    ASSERT_TRUE(r.ok());
    EXPECT_EQ(r.value()->framesLoaded(), 1);
}

TEST(MovieLoader, IgnoresBytesAfterTheDeclaredLength) {
    QByteArray file = makeMovingSquareMovie(3);
    file.append(QByteArray(1000, '\x01'));
    swf::MovieLoader loader;
    ASSERT_TRUE(loader.append(file.constData(), file.size()).ok());
    EXPECT_EQ(loader.percentLoaded(), 100);
    ASSERT_TRUE(loader.finish().ok());
    EXPECT_EQ(loader.framesLoaded(), 3);
}

TEST(MalformedMovie, CompressedDataDamagedAfterSomeFramesKeepsThem) {
    for (Compression c : {Compression::Zlib, Compression::Lzma}) {
        QByteArray file = makeMovingSquareMovie(400, 12, 320, 240, c);
        for (qsizetype i = file.size() * 3 / 4; i < file.size(); ++i)
            file[i] = static_cast<char>(file[i] ^ 0x5a);
        auto r = swf::loadMovie(file);
        ASSERT_TRUE(r.ok()) << static_cast<int>(c);
        EXPECT_GT(r.value()->framesLoaded(), 10);
        EXPECT_LT(r.value()->framesLoaded(), 400);
        EXPECT_TRUE(r.value()->complete());
    }
}
