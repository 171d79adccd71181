#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include <QImage>
#include <QRect>

namespace skin {

// The pixel that marks transparency in skin bitmaps (compared on red, green and blue).
constexpr std::uint32_t kKeyPixel = 0x007F007F;
inline bool isKeyPixel(std::uint32_t p) {
    return (p & 0x00FFFFFFu) == (kKeyPixel & 0x00FFFFFFu);
}

// A named skin bitmap: 0xAARRGGBB pixels, rows top to bottom. The images used for drawing
// are built on first use and rebuilt after the pixels change.
class TSeBitmap {
public:
    // Largest side we accept from a skin; beyond it a record is treated as corrupt.
    static constexpr int kMaxSide = 16384;

    TSeBitmap() = default;
    TSeBitmap(std::string name, int width, int height);
    // Takes pixels already decoded; their count must be width * height.
    TSeBitmap(std::string name, int width, int height, std::vector<std::uint32_t> pixels);

    const std::string& name() const { return name_; }
    void setName(std::string n) { name_ = std::move(n); }
    int width() const { return width_; }
    int height() const { return height_; }
    bool isEmpty() const { return width_ <= 0 || height_ <= 0; }

    const std::vector<std::uint32_t>& pixels() const { return pixels_; }
    std::vector<std::uint32_t>& mutablePixels();
    std::uint32_t pixel(int x, int y) const { return pixels_[std::size_t(y) * width_ + x]; }
    void setPixel(int x, int y, std::uint32_t p);

    // Replaces pixels within 5 per channel of (r, g, b) with the key pixel.
    void keyOutNear(int r, int g, int b);
    void shiftHue(int delta);

    // For drawing: masked has the key pixels fully transparent, opaque shows them as they are.
    const QImage& image(bool masked) const;

    static std::unique_ptr<TSeBitmap> fromImage(std::string name, const QImage& image);

private:
    std::string name_;
    int width_{0};
    int height_{0};
    std::vector<std::uint32_t> pixels_;
    mutable QImage masked_;
    mutable QImage opaque_;
};

using BitmapList = std::vector<std::unique_ptr<TSeBitmap>>;

// A rectangle of a named skin bitmap. The image is resolved after loading and points into the
// skin source's bitmap list, which outlives every object tree and copy made from it.
struct TSeBitmapLink {
    std::string Name;
    int Left{0};
    int Top{0};
    int Right{0};
    int Bottom{0};
    const TSeBitmap* image{nullptr};

    QRect rect() const { return QRect(QPoint(Left, Top), QPoint(Right - 1, Bottom - 1)); }
    bool usable() const;
    void resolve(const BitmapList* bitmaps);

    bool sameStoredValue(const TSeBitmapLink& o) const {
        return Name == o.Name && Left == o.Left && Top == o.Top && Right == o.Right &&
               Bottom == o.Bottom;
    }
};

} // namespace skin
