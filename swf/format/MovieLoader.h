#pragma once

// Progressive loading of a movie: bytes are appended as they arrive (all at once for a local
// file, piece by piece from a network fetch); the header, the tags and the frames become
// available as soon as their bytes are complete. Not thread-safe: one thread appends and
// reads (the control hands network data over to the user-interface thread).

#include "swf/format/MovieBudget.h"
#include "swf/format/Result.h"

#include <QByteArray>
#include <QRectF>
#include <QString>
#include <cstdint>
#include <memory>
#include <optional>

namespace swf {

class Movie;

// Decompressed files larger than this are refused before any memory is reserved.
inline constexpr uint32_t kMaxMovieLength = 256u * 1024u * 1024u;

struct Header {
    char compression = 'F'; // 'F' plain, 'C' zlib, 'Z' LZMA
    int version = 0;
    uint32_t fileLength = 0; // the uncompressed length the header declares, header included
    QRectF stage;            // in pixels (twips / 20)
    double frameRate = 0;    // frames per second, as the header gives it (8.8 fixed point)
    int frameCount = 0;      // as the header declares it
};

class MovieLoader {
public:
    MovieLoader();
    ~MovieLoader();
    MovieLoader(const MovieLoader&) = delete;
    MovieLoader& operator=(const MovieLoader&) = delete;

    // What the movie may hold (bitmap pixels, edges, records); set before the first append.
    // A movie that needs more is refused as a whole with the budget's message.
    void setBudgetLimits(const MovieBudget::Limits& limits);

    // Feeds more bytes of the file. Returns an error (and stays failed) when the data cannot
    // be a movie: unknown signature, bad header, corrupt compressed data, sizes out of range.
    Result<void> append(const char* data, std::size_t size);
    // No more bytes will come. A file that ends early is an error only when not even the
    // header was complete; a movie cut short keeps the frames it has.
    Result<void> finish();

    bool failed() const;
    QString errorMessage() const;
    bool finished() const;

    const std::optional<Header>& header() const;
    // Uncompressed bytes present (header included) over the header's file length, 0..100.
    int percentLoaded() const;
    // Frames whose ShowFrame tag has arrived.
    int framesLoaded() const;
    // The movie as far as it has been read; the same object grows while loading goes on.
    std::shared_ptr<Movie> movie() const;

private:
    struct State;
    std::unique_ptr<State> d_;
};

// Convenience for a complete file in memory.
Result<std::shared_ptr<Movie>> loadMovie(const QByteArray& bytes,
                                         const MovieBudget::Limits& limits = {});

} // namespace swf
