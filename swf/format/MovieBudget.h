#pragma once

// What one movie may make its player hold: decoded bitmap pixels, shape edges and timeline
// records (placements, removals, frames, button records, clip handlers). A few hundred bytes of
// file can describe gigabytes of any of these, so each is charged here before the memory for it
// is reserved; the first charge past a limit fails the whole movie with a message that says
// which limit it was.

#include <QString>
#include <cstdint>

namespace swf {

class MovieBudget {
public:
    struct Limits {
        // 256 MiB of premultiplied pixels: far beyond the bitmaps of any movie people made.
        uint64_t pixels = 1ull << 26;
        // About 360 MB of parsed edges before their outlines are built.
        uint64_t edges = 6'000'000;
        // A placement or button record takes some 200 bytes parsed: about 200 MB at most,
        // and still some fifty changes a frame over twenty thousand frames.
        uint64_t records = 1'000'000;
    };

    MovieBudget() = default;
    explicit MovieBudget(Limits limits) : limits_(limits) {}

    const Limits& limits() const { return limits_; }

    bool takePixels(uint64_t n) { return take(pixels_, n, limits_.pixels, "bitmap pixels"); }
    void returnPixels(uint64_t n) { pixels_ -= n < pixels_ ? n : pixels_; }
    bool takeEdges(uint64_t n) { return take(edges_, n, limits_.edges, "shape edges"); }
    bool takeRecords(uint64_t n) {
        return take(records_, n, limits_.records, "frames and display-list records");
    }
    uint64_t edgesLeft() const { return limits_.edges - edges_; }

    uint64_t pixelsUsed() const { return pixels_; }
    uint64_t edgesUsed() const { return edges_; }
    uint64_t recordsUsed() const { return records_; }

    // Once exceeded, the budget stays exceeded: the movie is refused as a whole.
    bool exceeded() const { return !error_.isEmpty(); }
    const QString& error() const { return error_; }

private:
    bool take(uint64_t& used, uint64_t n, uint64_t limit, const char* what) {
        if (exceeded())
            return false;
        if (n > limit - used) {
            error_ = QStringLiteral("The movie needs more than %1 %2; it was refused.")
                         .arg(limit)
                         .arg(QLatin1String(what));
            return false;
        }
        used += n;
        return true;
    }

    Limits limits_;
    uint64_t pixels_ = 0;
    uint64_t edges_ = 0;
    uint64_t records_ = 0;
    QString error_;
};

} // namespace swf
