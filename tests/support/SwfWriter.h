#pragma once

// A small writer of SWF movies for tests, fixtures, the bundled sample movie and benchmarks.
// It writes what the tests need to exercise the engine, not every feature of the format.

#include <QByteArray>
#include <QColor>
#include <QRect>
#include <cstdint>
#include <vector>

namespace testsupport {

class BitWriter {
public:
    void ub(uint32_t value, int bits);
    void sb(int32_t value, int bits);
    void fb(double value, int bits) { sb(static_cast<int32_t>(value * 65536.0), bits); }
    void align();
    void u8(uint8_t v);
    void u16(uint16_t v);
    void u32(uint32_t v);
    void bytes(const QByteArray& b);
    void rect(int xmin, int xmax, int ymin, int ymax); // twips
    void rgb(QColor c);
    void rgba(QColor c);
    // Affine matrix in twips; scale and rotate-skew as plain numbers.
    void matrix(double a, double b, double c, double d, int tx, int ty);
    void identityMatrix() { matrix(1, 0, 0, 1, 0, 0); }
    const QByteArray& data() { align(); return data_; }
    static int bitsForSigned(int32_t v);
    static int bitsForUnsigned(uint32_t v);

private:
    QByteArray data_;
    uint8_t current_ = 0;
    int used_ = 0;
};

enum class Compression { None, Zlib, Lzma };

class SwfWriter {
public:
    SwfWriter(int widthPx, int heightPx, double frameRate, int version = 8);

    // Raw tag with its header (long form when the body is 63 bytes or more, or when forced).
    void tag(int code, const QByteArray& body, bool forceLong = false);
    void setBackgroundColor(QColor c);
    void showFrame();
    void frameLabel(const QByteArray& label);
    // DefineShape (1..4) holding one rectangle in pixels filled with a solid colour; with
    // lineWidthTwips > 0 it also gets an outline.
    void defineRectShape(uint16_t id, QRect pixels, QColor fill, int version = 1,
                         int lineWidthTwips = 0, QColor line = Qt::black);
    void placeObject2(uint16_t depth, uint16_t characterId, int xPx = 0, int yPx = 0);
    void moveObject2(uint16_t depth, int xPx, int yPx);
    void removeObject2(uint16_t depth);
    void end();

    int frameCount() const { return frames_; }
    // The finished file. Frame count in the header is the number of ShowFrame tags written,
    // unless overridden.
    QByteArray finish(Compression compression = Compression::None, int frameCountOverride = -1);

    static QByteArray zlibCompress(const QByteArray& raw, int level = 6);
    // The raw LZMA stream as a ZWS file carries it: 5 property bytes then the data.
    static QByteArray lzmaCompressForSwf(const QByteArray& raw);

private:
    int width_;
    int height_;
    double frameRate_;
    int version_;
    int frames_ = 0;
    bool ended_ = false;
    QByteArray tags_;
};

// A complete movie of the given number of frames: a background colour and a square that moves
// across the stage one step per frame.
QByteArray makeMovingSquareMovie(int frames, double frameRate = 12, int widthPx = 320,
                                 int heightPx = 240, Compression compression = Compression::None);

} // namespace testsupport
