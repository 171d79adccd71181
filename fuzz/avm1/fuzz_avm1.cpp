// Random bytecode inside a valid movie: the input becomes the code of a frame script, of a
// sprite's frame, init action and clip event handlers, and of a button's condition actions,
// and the movie then plays a few frames with a host, so the script machine runs all of it.
//
// Input: byte 0 picks the SWF version (5 to 10, which changes how names, conversions and
// clip-event masks are read), bytes 1 to 4 the clip events handled, byte 5 the frames to run,
// bytes 6 and 7 where the rest is cut into the three pieces of code.

#include "swf/Player.h"
#include "swf/PlayerHost.h"
#include "swf/avm1/Avm1Host.h"
#include "swf/format/MovieLoader.h"
#include "swf/format/Timeline.h"
#include "tests/support/SwfWriter.h"

#include <QImage>
#include <QPainter>
#include <cstddef>
#include <cstdint>

namespace {

// Scripts may trace, load and open pages as much as they like; nothing leaves the process.
class QuietHost : public swf::PlayerHost {
public:
    void load(const QString&, qint64, LoadDone done) override { done(false, {}); }
};

QByteArray piece(const uint8_t* data, std::size_t from, std::size_t to) {
    return QByteArray(reinterpret_cast<const char*>(data + from),
                      static_cast<qsizetype>(to - from));
}

QByteArray buildMovie(const uint8_t* data, std::size_t size, int& frames) {
    using testsupport::ButtonCondSpec;
    using testsupport::ButtonRecordSpec;
    using testsupport::ClipActionSpec;
    using testsupport::PlaceSpec;
    using testsupport::SwfWriter;
    const int version = 5 + data[0] % 6;
    const uint32_t events = static_cast<uint32_t>(data[1]) | static_cast<uint32_t>(data[2]) << 8 |
                            static_cast<uint32_t>(data[3]) << 16 |
                            static_cast<uint32_t>(data[4]) << 24;
    frames = 1 + data[5] % 4;
    const std::size_t rest = size - 8;
    const std::size_t a = 8 + rest * data[6] / 256;
    const std::size_t b = a + (size - a) * data[7] / 256;
    const QByteArray frameCode = piece(data, 8, a);
    const QByteArray clipCode = piece(data, a, b);
    const QByteArray buttonCode = piece(data, b, size);

    SwfWriter w(120, 90, 24, version);
    w.defineRectShape(1, QRect(0, 0, 20, 20), Qt::red);
    SwfWriter sprite(120, 90, 24, version);
    sprite.doAction(clipCode);
    sprite.showFrame();
    sprite.showFrame();
    w.defineSprite(2, sprite);
    w.defineButton2(3, {ButtonRecordSpec{0x0f, 1, 1, QTransform::fromTranslate(400, 400), {}, {}}},
                    {ButtonCondSpec{0x0009, buttonCode}});
    w.exportAssets({{2, "clip"}});
    w.doInitAction(2, clipCode);
    PlaceSpec clip;
    clip.depth = 1;
    clip.characterId = 2;
    clip.name = "clip";
    // A record with no events would end the list early; the handler always has one.
    const uint32_t mask = version >= 6 ? 0x7ffffu : 0xffffu;
    clip.clipActions = {ClipActionSpec{(events & mask) | swf::clipevent::EnterFrame, clipCode,
                                       static_cast<uint8_t>(events >> 24)}};
    w.placeObject(clip);
    PlaceSpec button;
    button.depth = 2;
    button.characterId = 3;
    button.name = "btn";
    w.placeObject(button);
    w.doAction(frameCode);
    w.showFrame();
    w.doAction(frameCode);
    w.showFrame();
    return w.finish();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 8 || size > 64 * 1024)
        return 0;
    int frames = 1;
    const QByteArray file = buildMovie(data, size, frames);
    auto movie = swf::loadMovie(file);
    if (!movie)
        return 0;
    QuietHost host;
    // A runaway loop is stopped by the machine's time limit; the player's 15 seconds would
    // spend the fuzzer's time on loops, so inputs here get a fraction of a second each.
    swf::Player player(
        movie.value(),
        [](swf::Stage& stage) {
            auto machine = std::make_unique<swf::avm1::Avm1Host>(stage);
            machine->vm().limits().timeoutMs = 250;
            return machine;
        },
        &host);
    player.setLoop(true);
    for (int i = 0; i < frames; ++i)
        player.tick();
    // One picture at the end: whatever script did to the tree must still draw.
    QImage image(60, 45, QImage::Format_ARGB32_Premultiplied);
    {
        QPainter painter(&image);
        player.render(painter, QRectF(0, 0, 60, 45), {});
    }
    player.setHost(nullptr);
    return 0;
}
