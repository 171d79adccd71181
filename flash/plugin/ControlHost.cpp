#include "flash/plugin/ControlHost.h"

#ifdef QUARVEL_HAVE_URL_FETCHER
#include "flash/UrlFetcher.h"
#endif

#include <QUrl>

namespace flash {

struct ControlHost::Fetch {
#ifdef QUARVEL_HAVE_URL_FETCHER
    std::unique_ptr<UrlFetcher> fetcher;
#endif
    QByteArray bytes;
    qint64 maxBytes = 0;
    LoadDone done;
    bool over = false;

    void finish(bool ok) {
        if (over)
            return;
        over = true;
        QByteArray data = ok ? std::move(bytes) : QByteArray();
        bytes.clear();
        if (done)
            done(ok, std::move(data));
    }
};

ControlHost::ControlHost() = default;

ControlHost::~ControlHost() {
    for (auto& fetch : fetches_) {
        fetch->over = true;
#ifdef QUARVEL_HAVE_URL_FETCHER
        if (fetch->fetcher)
            fetch->fetcher->disconnect();
#endif
    }
}

void ControlHost::openUrl(const QString& url, const QString& target) {
    if (site_)
        site_->OpenUrl(url, target);
}

void ControlHost::fsCommand(const QString& command, const QString& args) {
    if (site_)
        site_->FSCommand(command, args);
}

void ControlHost::statusMessage(const QString& text) {
    if (site_)
        site_->StatusText(text);
}

std::size_t ControlHost::pendingLoads() const {
    std::size_t n = 0;
    for (const auto& fetch : fetches_)
        n += fetch->over ? 0 : 1;
    return n;
}

void ControlHost::load(const QString& url, qint64 maxBytes, LoadDone done) {
    const QString scheme = QUrl(url).scheme().toLower();
    if (scheme != QLatin1String("http") && scheme != QLatin1String("https")) {
        PlayerHost::load(url, maxBytes, std::move(done));
        return;
    }
#ifdef QUARVEL_HAVE_URL_FETCHER
    std::erase_if(fetches_, [](const std::shared_ptr<Fetch>& f) { return f->over; });
    auto fetch = std::make_shared<Fetch>();
    fetch->maxBytes = maxBytes;
    fetch->done = std::move(done);
    fetch->fetcher = std::make_unique<UrlFetcher>(url);
    fetch->fetcher->setMaxBytes(maxBytes);
    Fetch* f = fetch.get();
    QObject::connect(fetch->fetcher.get(), &UrlFetcher::dataReceived, [f](const QByteArray& d) {
        if (f->over)
            return;
        if (f->bytes.size() + d.size() > f->maxBytes) {
            f->finish(false);
            return;
        }
        f->bytes += d;
    });
    QObject::connect(fetch->fetcher.get(), &UrlFetcher::finished, [f] { f->finish(true); });
    QObject::connect(fetch->fetcher.get(), &UrlFetcher::failed,
                     [f](const QString&) { f->finish(false); });
    fetches_.push_back(fetch);
    fetch->fetcher->start();
#else
    done(false, {});
#endif
}

#ifdef QUARVEL_HAVE_URL_FETCHER
namespace {

// Owns the transfer: dropping it cancels the download, and nothing is called after.
class FetchInPieces final : public swf::PlayerHost::PieceLoad {
public:
    FetchInPieces(const QString& url, qint64 maxBytes, swf::PlayerHost::PieceCallbacks callbacks)
        : fetcher_(url), maxBytes_(maxBytes), callbacks_(std::move(callbacks)) {
        fetcher_.setMaxBytes(maxBytes);
        QObject::connect(&fetcher_, &UrlFetcher::sizeKnown, [this](qint64 total) {
            if (!over_ && callbacks_.size)
                callbacks_.size(total);
        });
        QObject::connect(&fetcher_, &UrlFetcher::dataReceived, [this](const QByteArray& d) {
            if (over_)
                return;
            received_ += d.size();
            if (received_ > maxBytes_) {
                end(false);
                return;
            }
            callbacks_.piece(d);
        });
        QObject::connect(&fetcher_, &UrlFetcher::finished, [this] { end(true); });
        QObject::connect(&fetcher_, &UrlFetcher::failed, [this](const QString&) { end(false); });
        fetcher_.start();
    }

private:
    void end(bool ok) {
        if (over_)
            return;
        over_ = true;
        callbacks_.done(ok);
    }
    UrlFetcher fetcher_;
    qint64 maxBytes_;
    qint64 received_ = 0;
    bool over_ = false;
    swf::PlayerHost::PieceCallbacks callbacks_;
};

} // namespace
#endif

std::unique_ptr<swf::PlayerHost::PieceLoad>
ControlHost::loadInPieces(const QString& url, qint64 maxBytes, PieceCallbacks callbacks) {
    const QString scheme = QUrl(url).scheme().toLower();
    if (scheme != QLatin1String("http") && scheme != QLatin1String("https")) {
        if (!readLocalInPieces(url, maxBytes, callbacks))
            callbacks.done(false);
        return nullptr;
    }
#ifdef QUARVEL_HAVE_URL_FETCHER
    return std::make_unique<FetchInPieces>(url, maxBytes, std::move(callbacks));
#else
    callbacks.done(false);
    return nullptr;
#endif
}

} // namespace flash
