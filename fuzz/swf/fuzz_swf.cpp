// Feeds arbitrary bytes to the container and tag reader, in two pieces to exercise the
// progressive path, then plays and draws a few frames of whatever loaded.

#include "swf/Player.h"
#include "swf/format/Movie.h"
#include "swf/format/MovieLoader.h"

#include <QImage>
#include <QPainter>
#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    swf::MovieLoader loader;
    const size_t split = size > 0 ? data[0] % (size + 1) : 0;
    const char* bytes = reinterpret_cast<const char*>(data);
    if (!loader.append(bytes, split).ok())
        return 0;
    if (!loader.append(bytes + split, size - split).ok())
        return 0;
    if (!loader.finish().ok())
        return 0;
    swf::Player player(loader.movie());
    player.setLoop(true);
    QImage image(64, 48, QImage::Format_ARGB32_Premultiplied);
    for (int i = 0; i < 4; ++i) {
        QPainter painter(&image);
        player.render(painter, QRectF(0, 0, 64, 48), {});
        painter.end();
        player.tick();
    }
    player.gotoFrame(0);
    return 0;
}
