// Containers, filters, skin files and the SkinStream property value.
#include <QBuffer>
#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

#include "SmallSkin.h"
#include "skin/format/SkinDescription.h"
#include "skin/format/SkinError.h"
#include "skin/format/SkinFile.h"
#include "skin/format/TSeSkinFilter.h"
#include "skin/format/Zlib.h"
#include "tests/support/TempDir.h"

using namespace skin;
using skintest::registry;

namespace {

std::string textOf(const TSeSkinSource& s) {
    const ObjectStreamer streamer(registry());
    std::string all;
    for (const auto& o : s.objects())
        all += std::string(o->className()) + "\n" + streamer.writeText(*o);
    return all;
}

QByteArray compressedContainer(const std::string& description, const char* signature = "KSLZ") {
    return QByteArray(signature, 4) + QByteArray::fromStdString(zlib::deflate(description, 1));
}

} // namespace

TEST(SkinFilters, AreRegisteredInOrderWithTheirExtensionsAndDescriptions) {
    TSeSkinSource s;
    const auto& filters = registeredSkinFilters();
    ASSERT_EQ(filters.size(), 4u);
    const char* ext[] = {"uskn", "kskn", "xskn", "mskn"};
    const char* desc[] = {"Uncompressed Skin", "Compressed Skin", "Ultra Compressed Skin",
                          "Maximum Compressed"};
    for (int i = 0; i < 4; ++i) {
        auto f = filters[i](s, registry());
        EXPECT_EQ(f->FileExtension(), ext[i]);
        EXPECT_EQ(f->Description(), desc[i]);
    }
    EXPECT_TRUE(skinFilterForFile("a/b.KSKN", s, registry()));
    EXPECT_EQ(skinFilterForFile("a/b.KSKN", s, registry())->FileExtension(), "kskn");
    EXPECT_FALSE(skinFilterForFile("a/b.skin", s, registry()));
    EXPECT_FALSE(skinFilterForFile("a/kskn", s, registry()));
}

TEST(SkinDescription, ReadsAHandWrittenDescriptionToItsEnd) {
    const std::string bytes = skintest::handWrittenDescription();
    TSeSkinSource s;
    ByteReader r(bytes);
    description::read(s, r, registry());
    EXPECT_TRUE(r.atEnd());
    EXPECT_EQ(s.SkinName, "Hand");
    ASSERT_EQ(s.bitmaps().size(), 1u);
    EXPECT_EQ(s.bitmaps()[0]->pixel(0, 0), 0xFF112233u);
    EXPECT_EQ(s.bitmaps()[0]->pixel(1, 0), kKeyPixel);
    ASSERT_EQ(s.objects().size(), 2u);
    EXPECT_EQ(s.objects()[0]->width(), 300);
    // Every font's character set becomes DEFAULT_CHARSET after reading.
    EXPECT_EQ(s.objects()[1]->Font.Charset, 1);
}

TEST(SkinDescription, NearMagentaBecomesTheKeyPixelWithinFivePerChannel) {
    TSeBitmap b("x", 4, 1);
    b.setPixel(0, 0, 0xFFFA05FA); // 5 off everywhere: replaced
    b.setPixel(1, 0, 0xFFF900FF); // red 6 off: kept
    b.setPixel(2, 0, 0x00FF00FF);
    b.setPixel(3, 0, 0xFF00FF00);
    b.keyOutNear(255, 0, 255);
    EXPECT_EQ(b.pixel(0, 0), kKeyPixel);
    EXPECT_EQ(b.pixel(1, 0), 0xFFF900FFu);
    EXPECT_EQ(b.pixel(2, 0), kKeyPixel);
    EXPECT_EQ(b.pixel(3, 0), 0xFF00FF00u);
}

TEST(SkinFilters, EveryFormRoundTripsAndLinksResolveToTheLaterBitmap) {
    TSeSkinSource s;
    skintest::fillSmallSkin(s);
    const auto* caption =
        dynamic_cast<TSeBitmapObject*>(s.findObject("Form")->findObject("caption"));
    ASSERT_TRUE(caption);
    EXPECT_EQ(caption->Bitmap.image, s.bitmaps()[1].get());
    testsupport::IsolatedEnvironment env;
    for (const char* ext : {"uskn", "kskn", "xskn", "mskn"}) {
        const QString path = env.file(QStringLiteral("small.") + ext);
        saveSkinFile(s, path, registry());
        TSeSkinSource back;
        ASSERT_TRUE(loadSkinFile(back, path, registry(), QString())) << ext;
        EXPECT_EQ(textOf(back), textOf(s)) << ext;
        EXPECT_EQ(back.SkinName, "Small");
        EXPECT_EQ(back.AuthorEMail, "me@example.org");
        ASSERT_EQ(back.bitmaps().size(), 2u);
        EXPECT_EQ(back.bitmaps()[1]->pixel(1, 1), kKeyPixel) << ext;
        auto* c = dynamic_cast<TSeBitmapObject*>(back.findObject("Form")->findObject("Caption"));
        ASSERT_TRUE(c);
        EXPECT_EQ(c->Bitmap.image, back.bitmaps()[1].get());
        if (std::string(ext) != "mskn") {
            EXPECT_EQ(back.bitmaps()[1]->pixels(), s.bitmaps()[1]->pixels()) << ext;
        }
    }
    const QByteArray kskn = testsupport::readFile(env.file("small.kskn"));
    const QByteArray xskn = testsupport::readFile(env.file("small.xskn"));
    EXPECT_TRUE(kskn.startsWith(QByteArray("KSLZ\x78\x01", 6)));
    EXPECT_TRUE(xskn.startsWith(QByteArray("KSLZ\x78\xDA", 6)));
}

TEST(SkinFilters, AnySignatureIsAcceptedByTheCompressedReaders) {
    const std::string description = skintest::handWrittenDescription();
    for (int filter = 1; filter <= 2; ++filter) {
        QByteArray bytes = compressedContainer(description, "ABCD");
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::ReadOnly);
        TSeSkinSource s;
        auto f = registeredSkinFilters()[filter](s, registry());
        f->LoadFromStream(buffer);
        EXPECT_EQ(s.objects().size(), 2u);
        EXPECT_EQ(f->bodyConsumed(), f->bodySize());
    }
    // The packed reader too, around a packed description.
    TSeSkinSource small;
    skintest::fillSmallSkin(small);
    ByteWriter packed;
    description::writePacked(small, packed, registry());
    QByteArray bytes =
        QByteArray("????") + QByteArray::fromStdString(zlib::deflate(packed.bytes(), 9));
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    TSeSkinSource s;
    TSeSkinFilterMaxCompression(s, registry()).LoadFromStream(buffer);
    EXPECT_EQ(textOf(s), textOf(small));
}

TEST(SkinFiles, UnregisteredExtensionsAreNotLoadedButSaveCompressed) {
    testsupport::IsolatedEnvironment env;
    TSeSkinSource s;
    skintest::fillSmallSkin(s);
    const QString odd = env.file("my.skin");
    saveSkinFile(s, odd, registry());
    const QByteArray written = testsupport::readFile(odd);
    EXPECT_TRUE(written.startsWith(QByteArray("KSLZ\x78\x01", 6)));

    TSeSkinSource current;
    current.SkinName = "kept";
    current.addObject(std::make_unique<TSeSkinObject>());
    EXPECT_FALSE(loadSkinFile(current, odd, registry(), QString()));
    EXPECT_EQ(current.SkinName, "kept");
    EXPECT_EQ(current.objects().size(), 1u);
    EXPECT_FALSE(loadSkinFile(current, env.file("missing.kskn"), registry(), QString()));

    // Upper-case extensions are matched without regard to case.
    testsupport::writeFile(env.file("UP.KSKN"), written);
    EXPECT_TRUE(loadSkinFile(current, env.file("UP.KSKN"), registry(), QString()));
    EXPECT_EQ(current.SkinName, "Small");
}

TEST(SkinFiles, ARelativeNameIsLookedForInTheExecutableFolder) {
    testsupport::IsolatedEnvironment env;
    TSeSkinSource s;
    skintest::fillSmallSkin(s);
    QDir().mkpath(env.file("bin"));
    saveSkinFile(s, env.file("bin/side.uskn"), registry());
    TSeSkinSource back;
    EXPECT_TRUE(loadSkinFile(back, "side.uskn", registry(), env.file("bin")));
    EXPECT_EQ(back.objects().size(), 2u);
    EXPECT_FALSE(loadSkinFile(back, env.file("side.uskn"), registry(), env.file("bin")));
}

TEST(SkinStream, PresenceByteZeroLoadsNothing) {
    TSeSkinSource s;
    EXPECT_FALSE(readSkinStream(s, QByteArray(1, '\0'), registry()));
    EXPECT_FALSE(s.hasObjects());
    EXPECT_EQ(s.SkinName, "SkinEngine Skin");
    TSeSkinSource empty;
    EXPECT_EQ(writeSkinStream(empty, registry()), QByteArray(1, '\0'));
    EXPECT_THROW(readSkinStream(s, QByteArray(), registry()), SkinError);
}

TEST(SkinStream, AnyOtherPresenceByteAnnouncesACompressedContainer) {
    const std::string description = skintest::handWrittenDescription();
    for (char presence : {'\x01', '\x02'}) {
        TSeSkinSource s;
        EXPECT_TRUE(readSkinStream(s, QByteArray(1, presence) + compressedContainer(description),
                                   registry()));
        EXPECT_EQ(s.objects().size(), 2u);
    }
    TSeSkinSource small;
    skintest::fillSmallSkin(small);
    const QByteArray value = writeSkinStream(small, registry());
    EXPECT_TRUE(value.startsWith(QByteArray("\x02KSLZ\x78\x01", 7)));
    TSeSkinSource back;
    EXPECT_TRUE(readSkinStream(back, value, registry()));
    EXPECT_EQ(textOf(back), textOf(small));
}

TEST(SkinStream, ReadingStopsAtTheEndOfTheZlibStream) {
    TSeSkinSource small;
    skintest::fillSmallSkin(small);
    QByteArray value = writeSkinStream(small, registry()) + "TAIL";
    QBuffer buffer(&value);
    buffer.open(QIODevice::ReadOnly);
    TSeSkinSource back;
    EXPECT_TRUE(readSkinStream(back, buffer, registry()));
    EXPECT_EQ(buffer.readAll(), QByteArray("TAIL"));
}
