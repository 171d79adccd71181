#include "swf/format/MovieLoader.h"

#include "swf/format/Decompressor.h"
#include "swf/format/Movie.h"
#include "swf/format/Reader.h"
#include "swf/format/TagParser.h"

#include <algorithm>
#include <cmath>

namespace swf {

namespace {

constexpr std::size_t kSignatureSize = 8;
// zlib cannot expand data by more than about 1032 to 1.
constexpr uint64_t kMaxZlibRatio = 1032;

} // namespace

struct MovieLoader::State {
    // Bytes of the file before the body starts (signature, version, length, and for LZMA the
    // compressed length and the properties).
    QByteArray prefix;
    std::unique_ptr<Decompressor> decompressor;
    uint32_t declaredLength = 0;
    uint64_t compressedBytes = 0; // body bytes received (compressed files)
    uint64_t bodyBytes = 0;       // uncompressed body bytes produced so far (after the 8 bytes)
    QByteArray pending;           // uncompressed body bytes not yet parsed
    std::optional<Header> header;
    std::shared_ptr<Movie> movie;
    std::unique_ptr<TagParser> parser;
    bool prefixDone = false;
    bool tagsEnded = false; // End tag, broken tag or the declared length reached
    bool finished = false;
    bool failed = false;
    QString error;
    QString warning;
    QString decodeError;
    MovieBudget::Limits limits;

    Result<void> fail(QString message) {
        failed = true;
        error = message;
        return Error{std::move(message)};
    }

    Result<void> readPrefix(const char*& data, std::size_t& size);
    Result<void> consumeBody(const char* data, std::size_t size);
    void parseHeaderAndTags();
};

Result<void> MovieLoader::State::readPrefix(const char*& data, std::size_t& size) {
    const auto take = [&](std::size_t want) {
        if (static_cast<std::size_t>(prefix.size()) >= want)
            return true;
        const std::size_t n = std::min(want - static_cast<std::size_t>(prefix.size()), size);
        prefix.append(data, static_cast<qsizetype>(n));
        data += n;
        size -= n;
        return static_cast<std::size_t>(prefix.size()) == want;
    };
    if (prefix.size() < 3 && !take(3))
        return {};
    const char kind = prefix[0];
    if (prefix[1] != 'W' || prefix[2] != 'S' || (kind != 'F' && kind != 'C' && kind != 'Z'))
        return fail(QStringLiteral("Not a Flash movie: unknown signature."));
    if (!take(kSignatureSize))
        return {};
    Reader r(prefix);
    r.skip(4);
    declaredLength = r.u32();
    if (declaredLength > kMaxMovieLength)
        return fail(QStringLiteral("The movie declares %1 bytes, more than the %2 MiB allowed.")
                        .arg(declaredLength)
                        .arg(kMaxMovieLength / (1024 * 1024)));
    if (declaredLength < kSignatureSize + 1)
        return fail(QStringLiteral("The movie's declared length is too small for its header."));
    const uint32_t bodyLimit = declaredLength - static_cast<uint32_t>(kSignatureSize);
    if (kind == 'C') {
        decompressor = Decompressor::zlib(bodyLimit);
    } else if (kind == 'Z') {
        // Four bytes of compressed length, then five bytes of LZMA properties.
        if (!take(kSignatureSize + 9))
            return {};
        auto d = Decompressor::lzma(
            reinterpret_cast<const uint8_t*>(prefix.constData()) + kSignatureSize + 4, bodyLimit);
        if (!d)
            return fail(d.error().message);
        decompressor = std::move(d.value());
    }
    prefixDone = true;
    return {};
}

Result<void> MovieLoader::State::consumeBody(const char* data, std::size_t size) {
    if (size == 0)
        return {};
    const uint64_t bodyLimit = declaredLength - kSignatureSize;
    if (decompressor) {
        compressedBytes += size;
        const qsizetype before = pending.size();
        auto r = decompressor->feed(reinterpret_cast<const uint8_t*>(data), size, pending);
        bodyBytes += static_cast<uint64_t>(pending.size() - before);
        if (!r)
            decodeError = r.error().message; // decided once what did decode has been read
    } else {
        // Bytes past the declared length are not part of the movie.
        const uint64_t room = bodyLimit - bodyBytes;
        const std::size_t n = static_cast<std::size_t>(std::min<uint64_t>(room, size));
        pending.append(data, static_cast<qsizetype>(n));
        bodyBytes += n;
    }
    return {};
}

void MovieLoader::State::parseHeaderAndTags() {
    std::size_t pos = 0;
    if (!header) {
        // Stage rectangle (variable size), frame rate, frame count.
        if (pending.isEmpty())
            return;
        const int bits = static_cast<uint8_t>(pending[0]) >> 3;
        const std::size_t rectBytes = (5 + 4 * static_cast<std::size_t>(bits) + 7) / 8;
        if (static_cast<std::size_t>(pending.size()) < rectBytes + 4)
            return;
        Reader r(pending);
        Header h;
        h.compression = prefix[0];
        h.version = static_cast<uint8_t>(prefix[3]);
        h.fileLength = declaredLength;
        const QRectF twips = r.rect();
        h.stage =
            QRectF(twips.x() / 20.0, twips.y() / 20.0, twips.width() / 20.0, twips.height() / 20.0);
        h.frameRate = r.u16() / 256.0;
        h.frameCount = r.u16();
        header = h;
        movie = std::make_shared<Movie>(h, limits);
        parser = std::make_unique<TagParser>(*movie);
        pos = r.position();
    }
    const auto* base = reinterpret_cast<const uint8_t*>(pending.constData());
    const std::size_t size = static_cast<std::size_t>(pending.size());
    while (!tagsEnded) {
        if (size - pos < 2)
            break;
        const uint16_t head = static_cast<uint16_t>(base[pos] | base[pos + 1] << 8);
        const uint16_t code = head >> 6;
        std::size_t headerSize = 2;
        uint32_t length = head & 0x3f;
        if (length == 0x3f) {
            if (size - pos < 6)
                break;
            length = static_cast<uint32_t>(base[pos + 2]) |
                     static_cast<uint32_t>(base[pos + 3]) << 8 |
                     static_cast<uint32_t>(base[pos + 4]) << 16 |
                     static_cast<uint32_t>(base[pos + 5]) << 24;
            headerSize = 6;
        }
        if (length > kMaxMovieLength) {
            tagsEnded = true;
            warning = QStringLiteral("A tag declares an impossible length; loading stopped there.");
            break;
        }
        if (size - pos - headerSize < length)
            break; // wait for the rest of the tag
        Reader body(base + pos + headerSize, length);
        pos += headerSize + length;
        if (code == tag::End) {
            tagsEnded = true;
            break;
        }
        auto result = parser->parse(code, body, movie->timeline());
        if (!result && movie->budget().exceeded()) {
            tagsEnded = true;
            break;
        }
        if (!result) {
            tagsEnded = true;
            warning = result.error().message;
            break;
        }
    }
    pending.remove(0, static_cast<qsizetype>(pos));
    if (tagsEnded || bodyBytes + kSignatureSize >= declaredLength) {
        // Whatever is left is an incomplete tag that can never be completed.
        if (!tagsEnded && !pending.isEmpty())
            warning = QStringLiteral("The last tag runs past the movie's declared length.");
        tagsEnded = true;
        pending.clear();
        movie->setComplete();
    }
}

MovieLoader::MovieLoader() : d_(std::make_unique<State>()) {}
MovieLoader::~MovieLoader() = default;

void MovieLoader::setBudgetLimits(const MovieBudget::Limits& limits) {
    d_->limits = limits;
}

Result<void> MovieLoader::append(const char* data, std::size_t size) {
    if (d_->failed)
        return Error{d_->error};
    if (d_->finished)
        return {};
    if (!d_->prefixDone) {
        SWF_TRY(d_->readPrefix(data, size));
        if (!d_->prefixDone)
            return {};
    }
    if (!d_->tagsEnded) {
        SWF_TRY(d_->consumeBody(data, size));
        d_->parseHeaderAndTags();
        if (d_->movie && d_->movie->budget().exceeded()) {
            // Nothing of a refused movie is kept: what it did build goes now, not at close.
            const QString message = d_->movie->budget().error();
            d_->parser.reset();
            d_->movie = std::make_shared<Movie>(*d_->header, d_->limits);
            d_->movie->setComplete();
            d_->pending.clear();
            return d_->fail(message);
        }
        if (!d_->decodeError.isEmpty() && !d_->tagsEnded) {
            // Damage after some complete frames ends the movie there, as a broken tag does;
            // damage before that leaves nothing to play.
            if (!d_->movie || d_->movie->framesLoaded() == 0)
                return d_->fail(d_->decodeError);
            d_->warning = d_->decodeError;
            d_->tagsEnded = true;
            d_->pending.clear();
            d_->movie->setComplete();
        }
    } else {
        d_->compressedBytes += size;
    }
    return {};
}

Result<void> MovieLoader::finish() {
    if (d_->failed)
        return Error{d_->error};
    if (d_->finished)
        return {};
    d_->finished = true;
    if (d_->prefix.isEmpty())
        return d_->fail(QStringLiteral("The file is empty."));
    if (!d_->header)
        return d_->fail(QStringLiteral("The file ends inside the movie's header."));
    const uint64_t present = kSignatureSize + d_->bodyBytes;
    if (present < d_->declaredLength) {
        if (d_->prefix[0] == 'C' &&
            d_->compressedBytes * kMaxZlibRatio + 64 < d_->declaredLength - kSignatureSize)
            return d_->fail(QStringLiteral("The movie declares a length of %1 bytes, more than its "
                                           "compressed data can hold.")
                                .arg(d_->declaredLength));
        if (d_->decompressor && d_->decompressor->ended() && d_->movie->framesLoaded() == 0)
            return d_->fail(QStringLiteral("The movie declares a length of %1 bytes, more than its "
                                           "data holds.")
                                .arg(d_->declaredLength));
        // A movie cut short plays the frames it has; one without a single frame is no movie.
        if (d_->movie->framesLoaded() == 0)
            return d_->fail(QStringLiteral("The file ends before the movie's first frame."));
        d_->warning = QStringLiteral("The file ends before the length its header declares.");
    }
    d_->tagsEnded = true;
    d_->pending.clear();
    d_->movie->setComplete();
    return {};
}

bool MovieLoader::failed() const {
    return d_->failed;
}
QString MovieLoader::errorMessage() const {
    return d_->error;
}
bool MovieLoader::finished() const {
    return d_->finished;
}
const std::optional<Header>& MovieLoader::header() const {
    return d_->header;
}

int MovieLoader::percentLoaded() const {
    if (!d_->header)
        return 0;
    // Once nothing more can come, the movie is as loaded as it will ever be.
    if (d_->finished || d_->tagsEnded)
        return 100;
    const double present = static_cast<double>(kSignatureSize + d_->bodyBytes);
    const int percent = static_cast<int>(std::floor(present * 100.0 / d_->declaredLength));
    return std::clamp(percent, 0, 100);
}

int MovieLoader::framesLoaded() const {
    return d_->movie ? d_->movie->framesLoaded() : 0;
}
std::shared_ptr<Movie> MovieLoader::movie() const {
    return d_->movie;
}

Result<std::shared_ptr<Movie>> loadMovie(const QByteArray& bytes,
                                         const MovieBudget::Limits& limits) {
    MovieLoader loader;
    loader.setBudgetLimits(limits);
    SWF_TRY(loader.append(bytes.constData(), static_cast<std::size_t>(bytes.size())));
    SWF_TRY(loader.finish());
    return loader.movie();
}

} // namespace swf
