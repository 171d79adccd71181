// The movie's way out: pages, fscommand, messages, and loading movies and data.

#include "swf/display/MovieClip.h"
#include "swf/display/ScriptHost.h"
#include "swf/display/Stage.h"
#include "swf/format/Movie.h"
#include "swf/format/MovieLoader.h"

#include <QRegularExpression>
#include <QUrl>

namespace swf {

struct Stage::PendingLoad {
    std::weak_ptr<MovieClip> target; // loadMovie into a clip
    int level = -1;                  // loadMovieNum
    Loaded dataDone;                 // loadVariables and friends
    LoadFinished onPlaced;           // told once a movie is placed or could not be
    bool finished = false;
    bool ok = false;
    QByteArray bytes;
};

void Stage::trace(const QString& line) {
    if (host_)
        host_->trace(line);
}

void Stage::statusMessage(const QString& text) {
    if (host_)
        host_->statusMessage(text);
}

void Stage::getUrl(const QString& url, const QString& target) {
    const QString trimmed = url.trimmed();
    // fscommand travels as a getURL of the "FSCommand:" pseudo-scheme.
    if (trimmed.startsWith(QLatin1String("fscommand:"), Qt::CaseInsensitive)) {
        fsCommand(trimmed.mid(10), target);
        return;
    }
    static const QRegularExpression levelTarget(QStringLiteral("^_level(\\d{1,9})$"),
                                                QRegularExpression::CaseInsensitiveOption);
    if (const auto m = levelTarget.match(target.trimmed()); m.hasMatch()) {
        const int n = m.captured(1).toInt();
        if (trimmed.isEmpty())
            unloadMovieNum(n);
        else
            loadMovieNum(n, trimmed);
        return;
    }
    if (trimmed.isEmpty())
        return;
    const QUrl resolved(resolveUrl(trimmed));
    const QString scheme = resolved.scheme().toLower();
    // Pages only: javascript:, file: and everything else would let a movie run things.
    if (scheme != QLatin1String("http") && scheme != QLatin1String("https") &&
        scheme != QLatin1String("mailto"))
        return;
    if (host_)
        host_->openUrl(resolved.toString(), target);
}

void Stage::fsCommand(const QString& command, const QString& args) {
    static const QStringList passed = {QStringLiteral("quit"), QStringLiteral("fullscreen"),
                                       QStringLiteral("allowscale"), QStringLiteral("showmenu"),
                                       QStringLiteral("trapallkeys")};
    const QString name = command.trimmed().toLower();
    if (!passed.contains(name))
        return;
    if (host_)
        host_->fsCommand(name, args);
}

void Stage::loadMovie(MovieClip& target, const QString& url, LoadFinished finished) {
    if (url.trimmed().isEmpty()) {
        target.unloadContent();
        return;
    }
    auto pending = std::make_shared<PendingLoad>();
    pending->onPlaced = std::move(finished);
    pending->target = std::static_pointer_cast<MovieClip>(target.shared_from_this());
    loads_.push_back(pending);
    std::weak_ptr<PendingLoad> weak = pending;
    PlayerHost* host = host_ ? host_ : &fallbackHost_;
    host->load(resolveUrl(url), qint64(kMaxMovieLength), [weak](bool ok, QByteArray bytes) {
        if (auto p = weak.lock()) {
            p->finished = true;
            p->ok = ok;
            p->bytes = std::move(bytes);
        }
    });
}

void Stage::loadMovieNum(int level, const QString& url, LoadFinished finished) {
    if (level < 0)
        return;
    if (url.trimmed().isEmpty()) {
        unloadMovieNum(level);
        return;
    }
    auto pending = std::make_shared<PendingLoad>();
    pending->onPlaced = std::move(finished);
    pending->level = level;
    loads_.push_back(pending);
    std::weak_ptr<PendingLoad> weak = pending;
    PlayerHost* host = host_ ? host_ : &fallbackHost_;
    host->load(resolveUrl(url), qint64(kMaxMovieLength), [weak](bool ok, QByteArray bytes) {
        if (auto p = weak.lock()) {
            p->finished = true;
            p->ok = ok;
            p->bytes = std::move(bytes);
        }
    });
}

void Stage::unloadMovieNum(int level) {
    if (level == 0) {
        root().unloadContent();
        return;
    }
    const auto it = levels_.find(level);
    if (it == levels_.end())
        return;
    std::shared_ptr<MovieClip> gone = it->second;
    levels_.erase(it);
    objectLeft(*gone);
}

void Stage::loadData(const QString& url, Loaded done) {
    auto pending = std::make_shared<PendingLoad>();
    pending->dataDone = std::move(done);
    loads_.push_back(pending);
    std::weak_ptr<PendingLoad> weak = pending;
    PlayerHost* host = host_ ? host_ : &fallbackHost_;
    host->load(resolveUrl(url), kMaxLoadedVariablesBytes, [weak](bool ok, QByteArray bytes) {
        if (auto p = weak.lock()) {
            p->finished = true;
            p->ok = ok;
            p->bytes = std::move(bytes);
        }
    });
}

void Stage::applyFinishedLoads() {
    if (loads_.empty())
        return;
    std::vector<std::shared_ptr<PendingLoad>> done;
    std::erase_if(loads_, [&](const std::shared_ptr<PendingLoad>& p) {
        if (!p->finished)
            return false;
        done.push_back(p);
        return true;
    });
    for (const auto& p : done) {
        if (p->dataDone) {
            p->dataDone(p->ok, p->bytes);
            continue;
        }
        const auto tell = [&p](bool ok) {
            if (p->onPlaced)
                p->onPlaced(ok, ok ? qint64(p->bytes.size()) : 0);
        };
        if (!p->ok) {
            tell(false); // a load that failed leaves its target as it was, as in Flash
            continue;
        }
        auto parsed = swf::loadMovie(p->bytes);
        if (!parsed.ok() || !parsed.value() || parsed.value()->framesLoaded() == 0) {
            statusMessage(QStringLiteral("A movie this movie loads could not be read: %1")
                              .arg(parsed.ok() ? QStringLiteral("it has no frames")
                                               : parsed.error().message));
            tell(false);
            continue;
        }
        placeLoadedMovie(p->target.lock(), p->level, parsed.value());
        tell(true);
    }
}

void Stage::placeLoadedMovie(const std::shared_ptr<MovieClip>& target, int level,
                             std::shared_ptr<const Movie> movie) {
    if (target) {
        if (target->removed())
            return;
        // A movie replacing _level0 takes its place; the stage keeps its size and rate.
        target->replaceContent(std::move(movie));
        if (script_)
            script_->clipEvent(*target, clipevent::Load);
        return;
    }
    if (level < 0)
        return;
    if (MovieClip* existing = this->level(level)) {
        existing->replaceContent(std::move(movie));
        if (script_)
            script_->clipEvent(*existing, clipevent::Load);
        return;
    }
    auto clip = std::make_shared<MovieClip>(*this, movie, &movie->timeline(), nullptr);
    clip->setLevelRoot(level);
    clip->setBornTick(tick_);
    levels_[level] = clip;
    objectJoined(*clip);
    clip->showFirstFrame();
}

} // namespace swf
