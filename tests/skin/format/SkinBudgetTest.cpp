// Skins that ask for more memory than any skin needs, and values that do not fit: refused
// with a clear message, by the readers, by the writers and by the tools.

#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>
#include <limits>

#include "SmallSkin.h"
#include "skin/format/ByteReader.h"
#include "skin/format/ByteWriter.h"
#include "skin/format/SkinDescription.h"
#include "skin/format/SkinError.h"
#include "skin/format/SkinFile.h"
#include "skin/format/TextForm.h"
#include "skin/format/Zlib.h"

using namespace skin;
using skintest::registry;

namespace {

// A 1-bit BMP of zeros: a few kilobytes once compressed, whatever its size.
std::string oneBitBmp(int width, int height) {
    const std::size_t rowBytes = ((std::size_t(width) + 31) / 32) * 4;
    const std::size_t image = rowBytes * std::size_t(height);
    ByteWriter w;
    w.raw("BM");
    w.u32(std::uint32_t(62 + image));
    w.u32(0);
    w.u32(62);
    w.u32(40);
    w.i32(width);
    w.i32(height);
    w.i16(1);
    w.i16(1);
    for (int i = 0; i < 6; ++i)
        w.u32(0);
    w.u32(0x00000000); // palette: black
    w.u32(0x00FFFFFF); // and white
    std::string bytes = std::move(w.bytes());
    bytes.append(image, '\0');
    return bytes;
}

std::string packedDescription(const std::vector<std::string>& bitmaps) {
    ByteWriter w;
    for (int i = 0; i < 5; ++i)
        w.string32("");
    w.i32(std::int32_t(bitmaps.size()));
    for (std::size_t i = 0; i < bitmaps.size(); ++i) {
        w.string32("b" + std::to_string(i));
        w.string32(bitmaps[i]);
    }
    w.i32(0);
    return std::move(w.bytes());
}

std::string errorOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const SkinError& e) {
        return e.what();
    }
    return {};
}

bool mentionsBudget(const std::string& message) {
    return message.find("more than the skin's bitmaps may hold") != std::string::npos;
}

} // namespace

TEST(SkinBudget, GiantOneBitBitmapIsRefusedBeforeDecoding) {
    const std::string description = packedDescription({oneBitBmp(16384, 16384)});
    TSeSkinSource source;
    ByteReader reader(description);
    const std::string message =
        errorOf([&] { description::readPacked(source, reader, registry()); });
    EXPECT_TRUE(mentionsBudget(message)) << message;
    EXPECT_NE(message.find("16384 x 16384"), std::string::npos) << message;
    EXPECT_TRUE(source.bitmaps().empty());
}

TEST(SkinBudget, BudgetCoversAllBitmapsOfASkin) {
    // Two of 4096 x 4096 use the budget up exactly; a third, however small, is one too many.
    const std::string description =
        packedDescription({oneBitBmp(4096, 4096), oneBitBmp(4096, 4096), oneBitBmp(1, 1)});
    TSeSkinSource source;
    ByteReader reader(description);
    EXPECT_TRUE(
        mentionsBudget(errorOf([&] { description::readPacked(source, reader, registry()); })));
    EXPECT_EQ(source.bitmaps().size(), 2u); // what was read before stays, as for other errors
}

TEST(SkinBudget, PlainRecordsAreCheckedBeforeTheirPixels) {
    ByteWriter w;
    for (int i = 0; i < 5; ++i)
        w.string32("");
    w.i32(2);
    w.string32("first");
    w.i32(4096);
    w.i32(8191);
    w.string32("second");
    w.i32(16384);
    w.i32(16384);
    // No pixels follow: the budget is what stops the reading, not the end of the data.
    const std::string message = errorOf([&] {
        TSeSkinSource source;
        ByteReader reader(w.bytes());
        description::read(source, reader, registry());
    });
    // The first record's pixels are missing too; its size was within budget, so the end of
    // the data is what stops it.
    EXPECT_NE(message.find("Stream read error"), std::string::npos) << message;

    ByteWriter big;
    for (int i = 0; i < 5; ++i)
        big.string32("");
    big.i32(1);
    big.string32("huge");
    big.i32(16384);
    big.i32(16384);
    const std::string bigMessage = errorOf([&] {
        TSeSkinSource source;
        ByteReader reader(big.bytes());
        description::read(source, reader, registry());
    });
    EXPECT_TRUE(mentionsBudget(bigMessage)) << bigMessage;
}

TEST(SkinBudget, WritersRefuseWhatTheReadersReject) {
    QTemporaryDir dir;
    for (const char* extension : {"uskn", "kskn", "xskn", "mskn"}) {
        TSeSkinSource source;
        skintest::fillSmallSkin(source);
        source.addBitmap(std::make_unique<TSeBitmap>("wide", TSeBitmap::kMaxSide + 1, 1));
        const QString path = dir.filePath(QStringLiteral("wide.") + extension);
        const std::string message = errorOf([&] { saveSkinFile(source, path, registry()); });
        EXPECT_NE(message.find("wide"), std::string::npos) << extension << ": " << message;
        EXPECT_FALSE(QFileInfo::exists(path)) << extension;
    }
    // At the limit it is written and read back.
    TSeSkinSource source;
    skintest::fillSmallSkin(source);
    source.addBitmap(std::make_unique<TSeBitmap>("wide", TSeBitmap::kMaxSide, 1));
    const QString path = dir.filePath("ok.kskn");
    saveSkinFile(source, path, registry());
    TSeSkinSource back;
    ASSERT_TRUE(loadSkinFile(back, path, registry(), QString()));
    EXPECT_EQ(back.bitmaps().back()->width(), TSeBitmap::kMaxSide);
}

TEST(SkinTextForm, HexNumbersBeyondTheSignedRangeAreRefused) {
    const auto parseLeft = [](const std::string& value) {
        return textform::parse("object A: TSeSkinObject\r\n  Left = " + value + "\r\nend\r\n");
    };
    for (const char* bad :
         {"$FFFFFFFFFFFFFFFF", "$8000000000000000", "-$FFFFFFFFFFFFFFFF", "$10000000000000000"}) {
        const std::string message = errorOf([&] { parseLeft(bad); });
        EXPECT_NE(message.find("too large"), std::string::npos) << bad << ": " << message;
    }
    const ObjectRecord max = parseLeft("$7FFFFFFFFFFFFFFF");
    ASSERT_EQ(max.properties.size(), 1u);
    EXPECT_EQ(max.properties[0].value.integer, std::numeric_limits<std::int64_t>::max());
    EXPECT_EQ(parseLeft("-$10").properties[0].value.integer, -16);
}

namespace {

struct ToolRun {
    int exitCode = -1;
    bool crashed = true;
    QString out;
    QString err;
};

ToolRun runTool(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.start(program, arguments);
    ToolRun run;
    if (!process.waitForFinished(120000))
        return run;
    run.crashed = process.exitStatus() != QProcess::NormalExit;
    run.exitCode = process.exitCode();
    run.out = QString::fromUtf8(process.readAllStandardOutput());
    run.err = QString::fromUtf8(process.readAllStandardError());
    return run;
}

} // namespace

TEST(SkinTools, SkindumpRefusesAPixelBomb) {
    QTemporaryDir dir;
    const QString path = dir.filePath("bomb.mskn");
    const std::string packed =
        "KSLZ" +
        zlib::deflate(packedDescription({oneBitBmp(16384, 16384), oneBitBmp(16384, 16384)}), 9);
    ASSERT_LT(packed.size(), 1u << 20); // the whole point: small file, huge picture
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(packed.data(), qint64(packed.size()));
    file.close();

    const ToolRun run = runTool(QStringLiteral(SKINDUMP_PATH), {path});
    EXPECT_FALSE(run.crashed);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.err.contains("skindump: Packed skin bitmap")) << run.err.toStdString();
    EXPECT_TRUE(mentionsBudget(run.err.toStdString())) << run.err.toStdString();
}

TEST(SkinTools, SkinpackRefusesAPictureItsReaderWouldReject) {
    QTemporaryDir dir;
    QImage wide(TSeBitmap::kMaxSide + 1, 1, QImage::Format_RGB32);
    wide.fill(Qt::red);
    ASSERT_TRUE(wide.save(dir.filePath("wide.png")));
    QFile manifest(dir.filePath("skin.txt"));
    ASSERT_TRUE(manifest.open(QIODevice::WriteOnly));
    manifest.write("SkinName = 'Wide'\nbitmap wide wide.png\n");
    manifest.close();
    const QString out = dir.filePath("out.kskn");

    const ToolRun run = runTool(QStringLiteral(SKINPACK_PATH), {dir.path(), out});
    EXPECT_FALSE(run.crashed);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.err.contains("skin.txt:2")) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains("16384")) << run.err.toStdString();
    EXPECT_FALSE(QFileInfo::exists(out));
}
