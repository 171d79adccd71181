// FLV files as NetStream plays them: written with libavformat's own FLV muxer from pictures
// encoded while the test runs, then read back, decoded and cut short.

#include "swf/media/FlvFile.h"
#include "swf/media/Spool.h"
#include "swf/media/StreamPictures.h"
#include "swf/media/VideoDecoder.h"
#include "tests/swf/media/VideoClips.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <set>

extern "C" {
#include <libavformat/avformat.h>
}

using swf::media::FlvFile;

namespace {

const QColor kColours[] = {QColor(220, 30, 30),  QColor(30, 200, 40),  QColor(30, 40, 210),
                           QColor(230, 220, 40), QColor(200, 40, 200), QColor(40, 210, 210)};

// Six Sorenson H.263 pictures, 100 ms apart, a key frame every three.
std::optional<QByteArray> flvOfPictures() {
    std::vector<QImage> pictures;
    for (const QColor& c : kColours)
        pictures.push_back(mediatest::solidPicture(32, 32, c));
    const auto video = mediatest::encodeVideo(2, pictures, 3);
    if (!video)
        return std::nullopt;
    QTemporaryDir dir;
    const QByteArray path = dir.filePath("v.flv").toLocal8Bit();
    AVFormatContext* fmt = nullptr;
    if (avformat_alloc_output_context2(&fmt, nullptr, "flv", path.constData()) < 0)
        return std::nullopt;
    AVStream* st = avformat_new_stream(fmt, nullptr);
    st->codecpar->codec_type = AVMEDIA_TYPE_VIDEO;
    st->codecpar->codec_id = AV_CODEC_ID_FLV1;
    st->codecpar->width = 32;
    st->codecpar->height = 32;
    st->time_base = AVRational{1, 1000};
    avio_open(&fmt->pb, path.constData(), AVIO_FLAG_WRITE);
    if (avformat_write_header(fmt, nullptr) < 0)
        return std::nullopt;
    for (std::size_t i = 0; i < video->packets.size(); ++i) {
        AVPacket* pkt = av_packet_alloc();
        av_new_packet(pkt, static_cast<int>(video->packets[i].size()));
        memcpy(pkt->data, video->packets[i].constData(), video->packets[i].size());
        pkt->pts = pkt->dts =
            av_rescale_q(static_cast<int64_t>(i) * 100, AVRational{1, 1000}, st->time_base);
        pkt->stream_index = st->index;
        if (video->keyFrames[i])
            pkt->flags |= AV_PKT_FLAG_KEY;
        av_write_frame(fmt, pkt);
        av_packet_free(&pkt);
    }
    av_write_trailer(fmt);
    avio_closep(&fmt->pb);
    avformat_free_context(fmt);
    QFile f(dir.filePath("v.flv"));
    if (!f.open(QIODevice::ReadOnly))
        return std::nullopt;
    return f.readAll();
}

bool near(QColor a, QColor b, int tolerance = 12) {
    return std::abs(a.red() - b.red()) <= tolerance &&
           std::abs(a.green() - b.green()) <= tolerance &&
           std::abs(a.blue() - b.blue()) <= tolerance;
}

} // namespace

TEST(FlvFile, VideoFramesTimesAndKeyFramesAreRead) {
    const auto bytes = flvOfPictures();
    ASSERT_TRUE(bytes);
    auto flv = FlvFile::parse(*bytes);
    ASSERT_TRUE(flv.ok()) << flv.error().message.toStdString();
    const FlvFile& f = flv.value();
    EXPECT_TRUE(f.tagsComplete());
    ASSERT_TRUE(f.video());
    EXPECT_EQ(f.video()->codec(), 2);
    ASSERT_EQ(f.videoTimes().size(), 6u);
    EXPECT_EQ(f.videoTimes()[4], 400u);
    EXPECT_EQ(f.durationMs(), 500u);
    EXPECT_TRUE(f.video()->frame(3)->keyFrame);
    EXPECT_FALSE(f.video()->frame(4)->keyFrame);
    EXPECT_EQ(f.videoFrameAt(0), 0);
    EXPECT_EQ(f.videoFrameAt(250), 2);
    EXPECT_EQ(f.videoFrameAt(99999), 5);
    EXPECT_EQ(f.seekTime(450), 300u); // seeking lands on the key frame before
    EXPECT_EQ(f.seekTime(250), 0u);
    EXPECT_FALSE(f.soundFormat());

    // The frames decode with the movie's own video decoding, at their times.
    auto decoder = swf::media::VideoDecoder::create(2);
    ASSERT_TRUE(decoder);
    swf::media::StreamPictures pictures(f.video(), std::move(decoder.value()));
    for (uint32_t t : {0u, 120u, 480u, 210u}) {
        const int frame = *f.videoFrameAt(t);
        EXPECT_TRUE(near(pictures.picture(frame).pixelColor(5, 5),
                         kColours[static_cast<std::size_t>(frame)]))
            << "at " << t << " ms";
    }
}

TEST(FlvFile, AFileStillArrivingGivesTheTagsThatAreComplete) {
    const auto bytes = flvOfPictures();
    ASSERT_TRUE(bytes);
    // Where each tag ends: after the 13 bytes of header and first back pointer, a tag is
    // 11 bytes of head, its data and 4 bytes of back pointer.
    std::set<qsizetype> boundaries;
    for (qsizetype at = 13; at + 11 <= bytes->size();) {
        const auto size = (static_cast<uint8_t>((*bytes)[at + 1]) << 16) |
                          (static_cast<uint8_t>((*bytes)[at + 2]) << 8) |
                          static_cast<uint8_t>((*bytes)[at + 3]);
        at += 11 + size + 4;
        boundaries.insert(at);
    }
    boundaries.insert(13);
    int lastCount = -1;
    // Every cut gives a prefix of the frames, never more than the whole and never a crash.
    for (qsizetype cut = 13; cut < bytes->size(); cut += 7) {
        auto flv = FlvFile::parse(bytes->left(cut));
        ASSERT_TRUE(flv.ok());
        const int count = static_cast<int>(flv.value().videoTimes().size());
        EXPECT_GE(count, lastCount);
        EXPECT_LE(count, 6);
        // Ending inside a tag is never taken for the end of the file.
        EXPECT_EQ(flv.value().tagsComplete(), boundaries.count(cut) == 1) << "cut at " << cut;
        lastCount = count;
    }
    EXPECT_GE(lastCount, 5);
}

TEST(FlvFile, IndexingPieceByPieceFindsWhatReadingTheWholeFinds) {
    const auto bytes = flvOfPictures();
    ASSERT_TRUE(bytes);
    auto whole = FlvFile::parse(*bytes);
    ASSERT_TRUE(whole.ok());
    for (const qsizetype piece : {1, 7, 100, 4096}) {
        auto spool = std::make_shared<swf::media::Spool>(1 << 20, 50);
        FlvFile growing(spool);
        for (qsizetype at = 0; at < bytes->size(); at += piece) {
            ASSERT_TRUE(spool->append(bytes->mid(at, piece)).ok());
            ASSERT_TRUE(growing.scan().ok());
        }
        EXPECT_EQ(growing.videoTimes(), whole.value().videoTimes()) << "pieces of " << piece;
        EXPECT_TRUE(growing.tagsComplete());
        ASSERT_TRUE(growing.video());
        for (int f = 0; f < 6; ++f)
            EXPECT_EQ(growing.video()->frame(f)->data, whole.value().video()->frame(f)->data)
                << "frame " << f << " read back from the spool";
        EXPECT_FALSE(growing.video()->frame(6));
    }
    // Bytes that are not an FLV are refused as soon as a header's worth has come.
    auto spool = std::make_shared<swf::media::Spool>(1 << 20);
    FlvFile notFlv(spool);
    ASSERT_TRUE(spool->append("GIF8").ok());
    EXPECT_TRUE(notFlv.scan().ok()) << "too early to say";
    ASSERT_TRUE(spool->append("9a and more").ok());
    EXPECT_FALSE(notFlv.scan().ok());
}

TEST(FlvFile, WhatIsNotAnFlvIsRefusedAndHostileSizesReserveNothing) {
    EXPECT_FALSE(FlvFile::parse(QByteArray()).ok());
    EXPECT_FALSE(FlvFile::parse(QByteArray("FWS\x08\x00\x00\x00\x00\x00", 9)).ok());
    EXPECT_FALSE(FlvFile::parse(QByteArray("FLV\x01\x05\x00\x00\x00\x03", 9)).ok());
    // A tag claiming 16 MB with 5 bytes behind it, and a header claiming 4 GB.
    QByteArray tag("FLV\x01\x01\x00\x00\x00\x09\x00\x00\x00\x00", 13);
    tag += QByteArray("\x09\xff\xff\xff\x00\x00\x00\x00\x00\x00\x00\x12\x34\x56\x78\x9a", 16);
    auto flv = FlvFile::parse(tag);
    ASSERT_TRUE(flv.ok());
    EXPECT_FALSE(flv.value().video());
    EXPECT_FALSE(flv.value().tagsComplete());
    auto huge = FlvFile::parse(QByteArray("FLV\x01\x01\xff\xff\xff\xff\x00\x00\x00\x00", 13));
    ASSERT_TRUE(huge.ok());
    EXPECT_FALSE(huge.value().video());
}

TEST(FlvFile, SoundPacketsKeepTheirFormatAndTimes) {
    // Two MP3 tags (format 2, 44 kHz, 16-bit, stereo) and an AAC-style config ignored as
    // another format halfway.
    QByteArray f("FLV\x01\x04\x00\x00\x00\x09\x00\x00\x00\x00", 13);
    const auto tag = [&](uint32_t time, const QByteArray& body) {
        QByteArray t;
        t.append(char(8));
        t.append(char(body.size() >> 16)).append(char(body.size() >> 8)).append(char(body.size()));
        t.append(char(time >> 16)).append(char(time >> 8)).append(char(time)).append(char(0));
        t.append(QByteArray(3, 0));
        t += body;
        const int total = static_cast<int>(t.size());
        t.append(char(total >> 24))
            .append(char(total >> 16))
            .append(char(total >> 8))
            .append(char(total));
        f += t;
    };
    tag(0, QByteArray("\x2f\xaa\xbb", 3));
    tag(26, QByteArray("\x2f\xcc", 2));
    tag(52, QByteArray("\xaf\x00\x12\x10", 4));
    auto flv = FlvFile::parse(f);
    ASSERT_TRUE(flv.ok());
    ASSERT_TRUE(flv.value().soundFormat());
    EXPECT_EQ(flv.value().soundFormat()->format, swf::soundformat::Mp3);
    EXPECT_EQ(flv.value().soundFormat()->rate, 44100);
    EXPECT_TRUE(flv.value().soundFormat()->stereo);
    ASSERT_EQ(flv.value().sound().size(), 2u);
    EXPECT_EQ(flv.value().sound()[1].timeMs, 26u);
    EXPECT_EQ(flv.value().soundData(1), QByteArray("\xcc", 1));
    EXPECT_TRUE(flv.value().tagsComplete());
}

TEST(FlvFile, TheCorpusNetStreamVideoDecodes) {
    QFile file(QStringLiteral(QUARVEL_CORPUS_DIR "/ruffle/avm1/netstream_play_flv/test_video.flv"));
    if (!file.open(QIODevice::ReadOnly))
        GTEST_SKIP() << "corpus not present";
    auto flv = FlvFile::parse(file.readAll());
    ASSERT_TRUE(flv.ok());
    ASSERT_TRUE(flv.value().video());
    auto decoder = swf::media::VideoDecoder::create(flv.value().video()->codec(),
                                                    flv.value().video()->decoderConfig());
    ASSERT_TRUE(decoder);
    swf::media::StreamPictures pictures(flv.value().video(), std::move(decoder.value()));
    const int last = static_cast<int>(flv.value().videoTimes().size()) - 1;
    EXPECT_FALSE(pictures.picture(0).isNull());
    EXPECT_FALSE(pictures.picture(last).isNull());
}

TEST(FlvFile, ReorderedH264PicturesShowInTheirOwnOrder) {
    std::vector<QImage> pictures;
    for (int i = 0; i < 12; ++i)
        pictures.push_back(mediatest::solidPicture(32, 32, kColours[i % 6]));
    const auto video = mediatest::encodeVideo(7, pictures, 12, 2);
    if (!video)
        GTEST_SKIP() << "no H.264 encoder";
    bool reordered = false;
    for (std::size_t i = 0; i < video->pts.size(); ++i)
        reordered = reordered || video->pts[i] != video->dts[i];
    ASSERT_TRUE(reordered) << "the encoder made no B pictures";

    QTemporaryDir dir;
    const QByteArray path = dir.filePath("v.flv").toLocal8Bit();
    AVFormatContext* fmt = nullptr;
    ASSERT_GE(avformat_alloc_output_context2(&fmt, nullptr, "flv", path.constData()), 0);
    AVStream* st = avformat_new_stream(fmt, nullptr);
    st->codecpar->codec_type = AVMEDIA_TYPE_VIDEO;
    st->codecpar->codec_id = AV_CODEC_ID_H264;
    st->codecpar->width = 32;
    st->codecpar->height = 32;
    st->codecpar->extradata = static_cast<uint8_t*>(av_mallocz(
        static_cast<std::size_t>(video->extradata.size()) + AV_INPUT_BUFFER_PADDING_SIZE));
    memcpy(st->codecpar->extradata, video->extradata.constData(), video->extradata.size());
    st->codecpar->extradata_size = static_cast<int>(video->extradata.size());
    ASSERT_GE(avio_open(&fmt->pb, path.constData(), AVIO_FLAG_WRITE), 0);
    ASSERT_GE(avformat_write_header(fmt, nullptr), 0);
    // Pictures 100 ms apart; the encoder's decoding positions may start below zero.
    const int64_t shift = -std::min<int64_t>(0, video->dts.front());
    for (std::size_t i = 0; i < video->raw.size(); ++i) {
        AVPacket* pkt = av_packet_alloc();
        av_new_packet(pkt, static_cast<int>(video->raw[i].size()));
        memcpy(pkt->data, video->raw[i].constData(), video->raw[i].size());
        pkt->pts = av_rescale_q((video->pts[i] + shift) * 100, AVRational{1, 1000}, st->time_base);
        pkt->dts = av_rescale_q((video->dts[i] + shift) * 100, AVRational{1, 1000}, st->time_base);
        pkt->stream_index = st->index;
        if (video->keyFrames[i])
            pkt->flags |= AV_PKT_FLAG_KEY;
        ASSERT_GE(av_write_frame(fmt, pkt), 0);
        av_packet_free(&pkt);
    }
    av_write_trailer(fmt);
    avio_closep(&fmt->pb);
    avformat_free_context(fmt);
    QFile f(dir.filePath("v.flv"));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    auto flv = FlvFile::parse(f.readAll());
    ASSERT_TRUE(flv.ok());
    ASSERT_TRUE(flv.value().video());
    ASSERT_EQ(flv.value().videoTimes().size(), 12u);
    auto decoder = swf::media::VideoDecoder::create(7, flv.value().video()->decoderConfig());
    ASSERT_TRUE(decoder);
    swf::media::StreamPictures shown(flv.value().video(), std::move(decoder.value()));
    // Played through, then jumped about.
    for (int d : {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 3, 9, 1, 7}) {
        const uint32_t t = static_cast<uint32_t>((d + shift) * 100 + 50);
        const auto frame = flv.value().videoFrameAt(t);
        ASSERT_TRUE(frame) << "at " << t;
        EXPECT_TRUE(near(shown.picture(*frame).pixelColor(5, 5), kColours[d % 6]))
            << "picture " << d << " (frame " << *frame << ")";
    }
}
