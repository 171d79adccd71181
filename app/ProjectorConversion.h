#pragma once

// Cutting the movie out of a Flash projector: a player executable with the movie appended and
// an 8-byte trailer (magic 0xFA123456, then the movie's length, both little-endian).

#include <QString>
#include <functional>
#include <stdexcept>

namespace playlist {
class FileDialog;
}
namespace skin {
class TSeSkinMessage;
}

namespace app {

// A stream error, with the framework's text ("Cannot open file %s", "Stream read error"...).
class EStreamError : public std::runtime_error {
public:
    explicit EStreamError(const QString& message);
};

inline constexpr uint32_t kProjectorMagic = 0xFA123456u;

// Copies the movie of a projector into target. False, creating nothing, when the file has no
// trailer or its length is 0. Throws EStreamError when the source cannot be opened or read
// (a length larger than the data before the trailer is found before anything is created),
// and when the target cannot be created or written; an older file at target stays as it was
// then.
bool ExtractProjectorMovie(const QString& source, const QString& target);

struct ProjectorParts {
    playlist::FileDialog& openDialog;
    skin::TSeSkinMessage& messages;
    // Sets the current movie path and starts a play worker for it.
    std::function<void(const QString& path)> play;
};

// CustomItem16Click: asks for the projector, converts it beside itself and offers to play it.
class ProjectorConversion {
public:
    explicit ProjectorConversion(ProjectorParts parts) : p_(std::move(parts)) {}
    void run();
    static QString question() { return QStringLiteral("已经转换成功,是否现在播放?"); }
    // The target of a source: the same folder and base name with the extension ".swf".
    static QString targetPath(const QString& source);

private:
    ProjectorParts p_;
};

} // namespace app
