#pragma once

// A small writer of SWF movies for tests, fixtures, the bundled sample movie and benchmarks.
// It writes what the tests need to exercise the engine, not every feature of the format.

#include "tests/support/SwfTextFixtures.h"

#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QRect>
#include <QTransform>
#include <array>
#include <cstdint>
#include <optional>
#include <tuple>
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
    const QByteArray& data() {
        align();
        return data_;
    }
    static int bitsForSigned(int32_t v);
    static int bitsForUnsigned(uint32_t v);

private:
    QByteArray data_;
    uint8_t current_ = 0;
    int used_ = 0;
};

enum class Compression { None, Zlib, Lzma };

// A fill style of a shape. Gradient and bitmap matrices map the gradient square (-16384..16384)
// or the bitmap's pixels onto the shape, in twips.
struct FillSpec {
    int type = 0x00; // 0x00 solid, 0x10 linear, 0x12 radial, 0x13 focal, 0x40..0x43 bitmap
    QColor color;
    QTransform matrix;
    std::vector<std::pair<int, QColor>> stops; // ratio 0..255, colour
    int spread = 0;
    int interpolation = 0;
    double focal = 0;
    uint16_t bitmapId = 0;

    static FillSpec solid(QColor c);
    // A gradient spanning the rectangle (pixels) from left to right, or a circle filling it.
    static FillSpec linear(QRect px, std::vector<std::pair<int, QColor>> stops, int spread = 0);
    static FillSpec radial(QRect px, std::vector<std::pair<int, QColor>> stops, double focal = 0);
    // Bitmap pixels at (x, y) pixels of the shape, scale 1; types 0x40..0x43.
    static FillSpec bitmap(uint16_t id, int type, int xPx = 0, int yPx = 0, double scale = 1);
};

struct LineSpec {
    int width = 20; // twips
    QColor color = Qt::black;
    int startCap = 0, join = 0, endCap = 0; // LINESTYLE2 codes (DefineShape4 only)
    bool noClose = false;
    std::optional<FillSpec> fill; // DefineShape4 only
};

// Shape records in twips with absolute coordinates; the writer makes them relative.
class ShapeSpec {
public:
    std::vector<FillSpec> fills;
    std::vector<LineSpec> lines;

    // Style indices are 1-based; -1 leaves one unchanged.
    ShapeSpec& style(int fill0, int fill1, int line = -1);
    ShapeSpec& moveTo(int x, int y);
    ShapeSpec& lineTo(int x, int y);
    ShapeSpec& curveTo(int cx, int cy, int x, int y);
    ShapeSpec& newStyles(std::vector<FillSpec> f, std::vector<LineSpec> l);
    // A closed rectangle in pixels with fill1 = fill (and line when given), clockwise.
    ShapeSpec& rect(QRect px, int fill, int line = 0);

    struct Op {
        enum Kind { Style, Move, Line, Curve, NewStyles } kind;
        int a = 0, b = 0, c = 0, d = 0;
        std::vector<FillSpec> fills;
        std::vector<LineSpec> lines;
    };
    std::vector<Op> ops;
};

// One onClipEvent handler of a placement: clip event bits as the file stores them read
// little-endian (bit 0 load, 1 enterFrame, ... 17 keyPress, 18 construct), and its code.
struct ClipActionSpec {
    uint32_t events = 0;
    QByteArray code;     // ActionBuilder::finish()
    uint8_t keyCode = 0; // written when events has the key-press bit
};

// A sound info record of StartSound, StartSound2 and DefineButtonSound. Points and levels as
// the file stores them: samples at 44,100 Hz, levels 0 to 32768.
struct SoundInfoSpec {
    bool stop = false;
    bool noMultiple = false;
    std::optional<uint32_t> inPoint, outPoint;
    std::optional<uint16_t> loops;
    std::vector<std::tuple<uint32_t, uint16_t, uint16_t>> envelope; // pos44, left, right
};

struct PlaceSpec {
    uint16_t depth = 1;
    std::optional<uint16_t> characterId;
    bool move = false;
    std::optional<QTransform> matrix; // in twips
    // Colour transform multipliers (x256) and additions, r g b a.
    std::optional<std::array<int, 8>> colorTransform;
    std::optional<uint16_t> ratio;
    std::optional<uint16_t> clipDepth;
    std::optional<QByteArray> name;
    std::optional<int> blendMode; // written as PlaceObject3
    // A whole FILTERLIST record (count byte first), written as PlaceObject3.
    std::optional<QByteArray> filters;
    std::optional<bool> cacheAsBitmap; // written as PlaceObject3
    std::vector<ClipActionSpec> clipActions;
    // 16 or 32; by default 16 for SWF 5 movies and 32 for later ones, as Flash writes them.
    std::optional<int> eventFlagBits;
};

// One character of a button in the states given (bit 0 up, 1 over, 2 down, 3 hit test).
struct ButtonRecordSpec {
    int states = 1;
    uint16_t characterId = 0;
    uint16_t depth = 1;
    QTransform matrix; // in twips
    // Multipliers (x256) and additions, r g b a; DefineButton2 only.
    std::optional<std::array<int, 8>> colorTransform;
    std::optional<int> blendMode; // DefineButton2 only
};

// A DefineButton2 condition action: buttoncond bits (bit 0 idle to over-up ... bit 8 over-down
// to idle), with a key code in bits 9 to 15 for a key press.
struct ButtonCondSpec {
    uint16_t conditions = 0;
    QByteArray code; // ActionBuilder::finish()
};

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
    void removeObject(uint16_t characterId, uint16_t depth);
    void placeObject1(uint16_t characterId, uint16_t depth, int xPx, int yPx);
    void placeObject(const PlaceSpec& spec);
    void end();

    // Any shape (version 1..4).
    void defineShape(uint16_t id, const ShapeSpec& shape, int version = 3);
    // DefineBitsLossless (version 1) or DefineBitsLossless2 (version 2) in format 3 (colour
    // map), 4 (15-bit, version 1 only) or 5 (24/32-bit).
    void defineBitsLossless(uint16_t id, const QImage& image, int version, int format);
    // DefineBitsJPEG2 with any image data the tag allows (JPEG, PNG, GIF).
    void defineBitsJpeg2(uint16_t id, const QByteArray& data);
    // DefineBitsJPEG3 (or 4) with an alpha plane of width*height bytes.
    void defineBitsJpeg3(uint16_t id, const QByteArray& jpeg, const QByteArray& alpha,
                         bool version4 = false);
    // A JPEG split as old movies store it: JPEGTables once, DefineBits without the tables.
    void jpegTablesAndDefineBits(uint16_t id, const QByteArray& jpeg);
    // A sprite whose timeline is the tags written into inner (its End is added here).
    void defineSprite(uint16_t id, SwfWriter& inner);
    // A morph between two rectangles (pixels) with solid colours.
    void defineMorphRect(uint16_t id, QRect fromPx, QColor fromColour, QRect toPx, QColor toColour,
                         int version = 1);
    // DefineButton2 with one record per state mask (bit 0 up, 1 over, 2 down, 3 hit test).
    void defineButton2(uint16_t id,
                       const std::vector<std::tuple<int, uint16_t, uint16_t>>& records);
    // DefineButton: records and its single action block (run on release over the button).
    void defineButton(uint16_t id, const std::vector<ButtonRecordSpec>& records,
                      const QByteArray& actions = {});
    void defineButton2(uint16_t id, const std::vector<ButtonRecordSpec>& records,
                       const std::vector<ButtonCondSpec>& actions, bool trackAsMenu = false);
    // DefineButtonCxform: multipliers (x256) and additions, r g b.
    void defineButtonCxform(uint16_t buttonId, const std::array<int, 6>& transform);

    // Script.
    void doAction(const QByteArray& code);
    void doInitAction(uint16_t spriteId, const QByteArray& code);
    void exportAssets(const std::vector<std::pair<uint16_t, QByteArray>>& names);
    // FileAttributes flags byte: 0x08 ActionScript 3, 0x01 use network, 0x10 metadata.
    void fileAttributes(uint8_t flags);

    // Sound. format is the file's code (0 or 3 PCM, 1 ADPCM, 2 MP3 ...); rateCode 0 to 3 for
    // 5.5, 11, 22 and 44 kHz. data is written as given (MP3 data opens with its 2-byte seek).
    void defineSound(uint16_t id, int format, int rateCode, bool sixteenBit, bool stereo,
                     uint32_t sampleCount, const QByteArray& data);
    void startSound(uint16_t soundId, const SoundInfoSpec& info = {});
    void startSound2(const QByteArray& className, const SoundInfoSpec& info = {});
    // SoundStreamHead2 (or SoundStreamHead when head1); playback takes the stream's format.
    void soundStreamHead(int format, int rateCode, bool sixteenBit, bool stereo,
                         uint16_t samplesPerBlock, bool head1 = false, int16_t latencySeek = 0);
    void soundStreamBlock(const QByteArray& data);
    // Video. flags as the file stores them: bits 1-3 deblocking, bit 0 smoothing; codec 2 to 7.
    void defineVideoStream(uint16_t id, uint16_t frameCount, uint16_t width, uint16_t height,
                           uint8_t flags, uint8_t codec);
    // data is the codec's packet as written (VP6 alpha opens with its 3-byte offset).
    void videoFrame(uint16_t streamId, uint16_t frameNumber, const QByteArray& data);
    // sounds for the four transitions; id 0 for none.
    void defineButtonSound(uint16_t buttonId, const std::array<uint16_t, 4>& sounds,
                           const SoundInfoSpec& info = {});
    static QByteArray soundInfo(const SoundInfoSpec& info);
    // Fonts and text (SwfTextWriter.cpp).
    // DefineFont2 (version 2) or DefineFont3 (version 3).
    void defineFont2(uint16_t id, const FontSpec& font, int version = 2);
    // DefineFont: the glyph outlines only; the codes come with defineFontInfo.
    void defineFont1(uint16_t id, const FontSpec& font);
    // DefineFontInfo (version 1) or DefineFontInfo2 (version 2) with the font's codes.
    void defineFontInfo(uint16_t id, const FontSpec& font, int version = 1);
    void defineFontName(uint16_t id, const QByteArray& name, const QByteArray& copyright);
    // DefineFontAlignZones with one zone per glyph at (x, width) and (y, height), EM units.
    void defineFontAlignZones(uint16_t id, int glyphs);
    void csmTextSettings(uint16_t textId, bool advanced, int gridFit);
    // DefineText (version 1) or DefineText2 (version 2).
    void defineText(uint16_t id, QRect boundsTwips, const QTransform& matrix,
                    const std::vector<TextRecordSpec>& records, int version = 1);
    void defineEditText(uint16_t id, const EditTextSpec& spec);

    int version() const { return version_; }
    const QByteArray& tagBytes() const { return tags_; }

    static QByteArray encodeJpeg(const QImage& image, int quality = 95);
    static QByteArray encodePng(const QImage& image);

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
