#include "skin/model/TSeBitmap.h"

#include <cstdlib>

#include "skin/model/HueShift.h"
#include "skin/model/SkinTypes.h"

namespace skin {

TSeBitmap::TSeBitmap(std::string name, int width, int height)
    : name_(std::move(name)), width_(width > 0 && height > 0 ? width : 0),
      height_(width > 0 && height > 0 ? height : 0),
      pixels_(std::size_t(width_) * std::size_t(height_), 0xFF000000u) {}

TSeBitmap::TSeBitmap(std::string name, int width, int height, std::vector<std::uint32_t> pixels)
    : name_(std::move(name)), width_(width), height_(height), pixels_(std::move(pixels)) {
    if (width_ <= 0 || height_ <= 0 ||
        pixels_.size() != std::size_t(width_) * std::size_t(height_)) {
        width_ = height_ = 0;
        pixels_.clear();
    }
}

std::vector<std::uint32_t>& TSeBitmap::mutablePixels() {
    masked_ = QImage();
    opaque_ = QImage();
    return pixels_;
}

void TSeBitmap::setPixel(int x, int y, std::uint32_t p) {
    mutablePixels()[std::size_t(y) * width_ + x] = p;
}

void TSeBitmap::keyOutNear(int r, int g, int b) {
    for (auto& p : mutablePixels()) {
        const int dr = int((p >> 16) & 0xFF) - r, dg = int((p >> 8) & 0xFF) - g,
                  db = int(p & 0xFF) - b;
        // Unsigned compare: -5..5 maps to 0..10.
        if (unsigned(dr + 5) < 11u && unsigned(dg + 5) < 11u && unsigned(db + 5) < 11u)
            p = kKeyPixel;
    }
}

void TSeBitmap::shiftHue(int delta) {
    const int step = reduceHueDelta(delta);
    for (auto& p : mutablePixels())
        p = shiftPixelHue(p, step);
}

const QImage& TSeBitmap::image(bool masked) const {
    QImage& cache = masked ? masked_ : opaque_;
    if (cache.isNull() && !isEmpty()) {
        cache = QImage(width_, height_, QImage::Format_ARGB32_Premultiplied);
        for (int y = 0; y < height_; ++y) {
            auto* line = reinterpret_cast<QRgb*>(cache.scanLine(y));
            const std::uint32_t* src = pixels_.data() + std::size_t(y) * width_;
            for (int x = 0; x < width_; ++x) {
                // The alpha byte only tells the hue shift what to leave alone; drawing is
                // opaque except for the key pixel.
                line[x] = masked && isKeyPixel(src[x]) ? 0u : (src[x] | 0xFF000000u);
            }
        }
    }
    return cache;
}

std::unique_ptr<TSeBitmap> TSeBitmap::fromImage(std::string name, const QImage& image) {
    const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
    auto bmp = std::make_unique<TSeBitmap>(std::move(name), argb.width(), argb.height());
    auto& px = bmp->mutablePixels();
    for (int y = 0; y < bmp->height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(argb.constScanLine(y));
        for (int x = 0; x < bmp->width(); ++x) {
            const QRgb c = line[x];
            px[std::size_t(y) * bmp->width() + x] = qAlpha(c) < 128 ? kKeyPixel : (c | 0xFF000000u);
        }
    }
    return bmp;
}

bool TSeBitmapLink::usable() const {
    return image && !image->isEmpty() && std::int64_t(Right - Left) * (Bottom - Top) > 0 &&
           Right > Left;
}

void TSeBitmapLink::resolve(const BitmapList* bitmaps) {
    image = nullptr;
    if (!bitmaps || Name.empty())
        return;
    // The last bitmap of a name wins.
    for (const auto& b : *bitmaps) {
        if (equalsIgnoreCase(b->name(), Name))
            image = b.get();
    }
}

} // namespace skin
