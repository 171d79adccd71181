// Movies of a few hundred bytes that describe gigabytes: each is refused before the memory is
// reserved, with a message that says what ran out. Big inputs are generated here, and bounded
// by limits the tests set where the real sizes would only make the suite slow.

#include "swf/format/Bitmap.h"
#include "swf/format/Button.h"
#include "swf/format/Movie.h"
#include "swf/format/MovieLoader.h"
#include "tests/support/SwfWriter.h"

#include <QElapsedTimer>
#include <gtest/gtest.h>

using testsupport::BitWriter;
using testsupport::SwfWriter;

namespace {

// A lossless bitmap tag body whose zlib stream holds only `streamBytes` of zeros, followed by
// padding that makes the tag as long as a stream of the whole picture could be.
QByteArray paddedLosslessBody(uint16_t id, int format, int width, int height, int streamBytes) {
    BitWriter b;
    b.u16(id);
    b.u8(static_cast<uint8_t>(format));
    b.u16(static_cast<uint16_t>(width));
    b.u16(static_cast<uint16_t>(height));
    if (format == 3)
        b.u8(0); // one colour
    QByteArray body = b.data();
    body += SwfWriter::zlibCompress(QByteArray(streamBytes, '\0'), 9);
    const uint64_t stride =
        format == 3 ? (static_cast<uint64_t>(width) + 3) & ~3ull : static_cast<uint64_t>(width) * 4;
    const uint64_t raw = stride * static_cast<uint64_t>(height);
    body += QByteArray(static_cast<qsizetype>(raw / 1032 + 64), '\0');
    return body;
}

// DefineShape with one fill and n short straight edges.
QByteArray manyEdgeShapeBody(uint16_t id, int n) {
    BitWriter b;
    b.u16(id);
    b.rect(0, 2000, 0, 2000);
    b.u8(1);    // one fill style
    b.u8(0x00); // solid
    b.rgb(Qt::red);
    b.u8(0);    // no line styles
    b.ub(1, 4); // fill index bits
    b.ub(0, 4); // line index bits
    b.ub(0, 1); // style change: move and fill 1
    b.ub(0x05, 5);
    b.ub(2, 5);
    b.sb(0, 2);
    b.sb(0, 2);
    b.ub(1, 1);
    for (int i = 0; i < n; ++i) {
        b.ub(1, 1);     // edge
        b.ub(1, 1);     // straight
        b.ub(0, 4);     // 2-bit deltas
        b.ub(0, 1);     // not general
        b.ub(i & 1, 1); // vertical or horizontal
        b.sb((i & 2) ? -1 : 1, 2);
    }
    b.ub(0, 6); // end of shape
    return b.data();
}

QByteArray buttonWithRecords(uint16_t id, int records) {
    BitWriter b;
    b.u16(id);
    for (int i = 0; i < records; ++i) {
        b.u8(swf::buttonstate::Up);
        b.u16(1);
        b.u16(static_cast<uint16_t>(i + 1));
        b.identityMatrix();
    }
    b.u8(0);
    b.u8(0); // no actions
    return b.data();
}

swf::MovieLoader* loaderWith(swf::MovieLoader& loader, const swf::MovieBudget::Limits& limits) {
    loader.setBudgetLimits(limits);
    return &loader;
}

} // namespace

TEST(MovieBudget, ColourMappedGiantsWithPaddedStreamsAreRefusedBeforeDecoding) {
    SwfWriter w(100, 100, 12, 8);
    for (uint16_t id = 1; id <= 4; ++id)
        w.tag(20, paddedLosslessBody(id, 3, 16383, 16383, 1000), true);
    w.showFrame();
    const QByteArray file = w.finish();
    QElapsedTimer t;
    t.start();
    auto r = swf::loadMovie(file);
    ASSERT_FALSE(r.ok());
    EXPECT_TRUE(r.error().message.contains("bitmap pixels")) << r.error().message.toStdString();
}

TEST(MovieBudget, FourLargeTrueColourBitmapsAreRefusedAtTheOneThatDoesNotFit) {
    SwfWriter w(100, 100, 12, 8);
    for (uint16_t id = 1; id <= 4; ++id)
        w.tag(36, paddedLosslessBody(id, 5, 8192, 8191, 4096), true);
    w.showFrame();
    swf::MovieLoader loader;
    const QByteArray file = w.finish();
    const auto appended = loader.append(file.constData(), static_cast<std::size_t>(file.size()));
    ASSERT_FALSE(appended.ok());
    EXPECT_TRUE(loader.failed());
    EXPECT_TRUE(loader.errorMessage().contains("bitmap pixels"));
    // Nothing of the refused movie stays held.
    EXPECT_EQ(loader.movie()->characterCount(), 0u);
    EXPECT_FALSE(loader.finish().ok());
}

TEST(MovieBudget, BitmapsWithinTheBudgetAreChargedAndShortStreamsLeaveTheRestClear) {
    SwfWriter w(100, 100, 12, 8);
    QImage img(40, 30, QImage::Format_ARGB32);
    img.fill(QColor(10, 200, 30));
    w.defineBitsLossless(1, img, 2, 5);
    // A picture whose stream holds only its first two rows.
    w.tag(36, paddedLosslessBody(2, 5, 50, 40, 50 * 4 * 2), true);
    w.showFrame();
    auto r = swf::loadMovie(w.finish());
    ASSERT_TRUE(r.ok()) << r.error().message.toStdString();
    const auto movie = r.value();
    EXPECT_EQ(movie->budget().pixelsUsed(), 40u * 30 + 50 * 40);
    const auto* first = static_cast<const swf::BitmapCharacter*>(movie->character(1));
    ASSERT_TRUE(first);
    EXPECT_EQ(first->image().pixel(39, 29), QColor(10, 200, 30).rgba());
    const auto* second = static_cast<const swf::BitmapCharacter*>(movie->character(2));
    ASSERT_TRUE(second);
    ASSERT_EQ(second->image().size(), QSize(50, 40));
    EXPECT_EQ(qAlpha(second->image().pixel(0, 0)), 0); // stored as transparent black
    EXPECT_EQ(second->image().pixel(49, 39), 0u);
}

TEST(MovieBudget, CorruptBitmapDataCostsNothing) {
    swf::MovieBudget::Limits limits;
    limits.pixels = 100 * 100;
    SwfWriter w(100, 100, 12, 8);
    for (uint16_t id = 1; id <= 5; ++id) {
        BitWriter b;
        b.u16(id);
        b.u8(5);
        b.u16(100);
        b.u16(100);
        b.bytes(QByteArray(200, '\x55')); // not zlib
        w.tag(36, b.data());
    }
    // A whole stream that holds nothing at all.
    BitWriter empty;
    empty.u16(6);
    empty.u8(5);
    empty.u16(10);
    empty.u16(10);
    empty.bytes(SwfWriter::zlibCompress(QByteArray()));
    w.tag(36, empty.data());
    w.showFrame();
    auto r = swf::loadMovie(w.finish(), limits);
    ASSERT_TRUE(r.ok()) << r.error().message.toStdString();
    EXPECT_EQ(r.value()->budget().pixelsUsed(), 0u);
    const auto* nothing = static_cast<const swf::BitmapCharacter*>(r.value()->character(6));
    ASSERT_TRUE(nothing);
    EXPECT_TRUE(nothing->image().isNull());
}

TEST(MovieBudget, ShapesWithMillionsOfEdgesAreRefusedPastTheEdgeLimit) {
    // Eight shapes of 2 million edges at their real size would take a gigabyte; the same shape
    // of movie against a limit the test sets.
    swf::MovieBudget::Limits limits;
    limits.edges = 100'000;
    SwfWriter w(100, 100, 12, 8);
    const QByteArray shape = manyEdgeShapeBody(1, 20'000);
    for (uint16_t id = 1; id <= 8; ++id) {
        QByteArray body = shape;
        body[0] = static_cast<char>(id);
        w.tag(2, body, true);
    }
    w.showFrame();
    auto refused = swf::loadMovie(w.finish(), limits);
    ASSERT_FALSE(refused.ok());
    EXPECT_TRUE(refused.error().message.contains("shape edges"));

    // Five fit exactly.
    limits.edges = 5 * 20'000;
    SwfWriter ok(100, 100, 12, 8);
    for (uint16_t id = 1; id <= 5; ++id) {
        QByteArray body = shape;
        body[0] = static_cast<char>(id);
        ok.tag(2, body, true);
    }
    ok.showFrame();
    auto accepted = swf::loadMovie(ok.finish(), limits);
    ASSERT_TRUE(accepted.ok()) << accepted.error().message.toStdString();
    EXPECT_EQ(accepted.value()->budget().edgesUsed(), 100'000u);
    // The default leaves room for real drawings but not for eight shapes of two million.
    EXPECT_LT(swf::MovieBudget::Limits{}.edges, 8u * 2'000'000);
}

TEST(MovieBudget, ButtonRecordsCountAgainstTheRecordLimitWithPlacements) {
    swf::MovieBudget::Limits limits;
    limits.records = 5'000;
    SwfWriter w(100, 100, 12, 4);
    w.defineRectShape(1, QRect(0, 0, 10, 10), Qt::red);
    w.tag(7, buttonWithRecords(2, 6'000), true);
    w.showFrame();
    auto refused = swf::loadMovie(w.finish(), limits);
    ASSERT_FALSE(refused.ok());
    EXPECT_TRUE(refused.error().message.contains("records"));

    // Placements and button records draw on the same limit.
    limits.records = 100;
    SwfWriter mixed(100, 100, 12, 4);
    mixed.defineRectShape(1, QRect(0, 0, 10, 10), Qt::red);
    mixed.tag(7, buttonWithRecords(2, 60), true);
    for (int i = 0; i < 45; ++i) {
        mixed.placeObject2(static_cast<uint16_t>(i + 1), 1);
    }
    mixed.showFrame();
    EXPECT_FALSE(swf::loadMovie(mixed.finish(), limits).ok());
}

TEST(MovieBudget, AButtonOfFiveMillionRecordsIsRefusedByDefault) {
    // 30 MB of file; refused at the default limit long before it is all read.
    const int records = 5'000'000;
    BitWriter b;
    b.u16(2);
    QByteArray one;
    one.append(char(swf::buttonstate::Up));
    one.append("\x01\x00\x01\x00\x00", 5); // shape 1, depth 1, empty matrix
    QByteArray body = b.data() + one.repeated(records);
    body.append('\0');
    body.append('\0');
    SwfWriter w(100, 100, 12, 4);
    w.tag(7, body, true);
    w.showFrame();
    auto r = swf::loadMovie(w.finish());
    ASSERT_FALSE(r.ok());
    EXPECT_TRUE(r.error().message.contains("records"));
}

TEST(MovieBudget, ASpriteOverTheBudgetFailsTheWholeMovie) {
    swf::MovieBudget::Limits limits;
    limits.records = 50;
    SwfWriter inner(100, 100, 12, 8);
    for (int i = 0; i < 60; ++i)
        inner.showFrame();
    SwfWriter w(100, 100, 12, 8);
    w.defineSprite(3, inner);
    w.showFrame();
    swf::MovieLoader loader;
    loaderWith(loader, limits);
    const QByteArray file = w.finish();
    EXPECT_FALSE(loader.append(file.constData(), static_cast<std::size_t>(file.size())).ok());
    EXPECT_TRUE(loader.errorMessage().contains("records"));
}
