#include "flash/UrlFetcher.h"

#include <QMetaObject>
#include <QUrl>
#include <atomic>
#include <curl/curl.h>
#include <functional>
#include <mutex>
#include <thread>

namespace flash {

namespace {

void initCurlOnce() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

// Chunks smaller than this are gathered before being handed over, so a slow trickle does not
// become thousands of tiny events.
constexpr qsizetype kHandOverBytes = 16 * 1024;

} // namespace

struct UrlFetcher::State {
    QString url;
    qint64 maxBytes = 300ll * 1024 * 1024;
    std::atomic<bool> cancelled{false};
    std::thread worker;
    // Cleared by the owner's destructor; the worker posts only while holding the lock, so the
    // owner cannot vanish half-way through a post.
    std::mutex ownerMutex;
    UrlFetcher* owner = nullptr;
    CURL* curl = nullptr; // the worker's transfer, while it runs
    qint64 received = 0;
    bool sizePosted = false;
    QByteArray gathered;
    bool tooLarge = false;

    // Runs on the worker. The call runs on the owner's thread; Qt drops it if the owner is
    // destroyed before the event loop gets to it.
    void post(std::function<void(UrlFetcher&)> call) {
        std::lock_guard lock(ownerMutex);
        if (cancelled || !owner)
            return;
        UrlFetcher* target = owner;
        QMetaObject::invokeMethod(
            target, [target, call = std::move(call)] { call(*target); }, Qt::QueuedConnection);
    }

    void handOver() {
        if (gathered.isEmpty())
            return;
        QByteArray chunk;
        chunk.swap(gathered);
        post([chunk](UrlFetcher& f) { emit f.dataReceived(chunk); });
    }

    void postSize(curl_off_t total) {
        if (total <= 0 || sizePosted)
            return;
        sizePosted = true;
        const auto bytes = static_cast<qint64>(total);
        post([bytes](UrlFetcher& f) { emit f.sizeKnown(bytes); });
    }

    static size_t onData(char* data, size_t size, size_t count, void* user) {
        auto* s = static_cast<State*>(user);
        const size_t bytes = size * count;
        if (s->cancelled)
            return 0; // makes curl stop with a write error
        curl_off_t length = -1;
        // The length is told before the first bytes, so the receiver knows what is to come.
        if (!s->sizePosted && s->curl &&
            curl_easy_getinfo(s->curl, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length) == CURLE_OK)
            s->postSize(length);
        s->received += static_cast<qint64>(bytes);
        if (s->received > s->maxBytes) {
            s->tooLarge = true;
            return 0;
        }
        s->gathered.append(data, static_cast<qsizetype>(bytes));
        if (s->gathered.size() >= kHandOverBytes)
            s->handOver();
        return bytes;
    }

    static int onProgress(void* user, curl_off_t total, curl_off_t, curl_off_t, curl_off_t) {
        auto* s = static_cast<State*>(user);
        s->postSize(total);
        // Hand over what has gathered even when the data comes slowly.
        s->handOver();
        return s->cancelled ? 1 : 0;
    }

    void run() {
        curl = curl_easy_init();
        if (!curl) {
            post([](UrlFetcher& f) { emit f.failed(QStringLiteral("Cannot start a transfer.")); });
            return;
        }
        char errorText[CURL_ERROR_SIZE] = {};
        const QByteArray urlBytes = url.toUtf8();
        curl_easy_setopt(curl, CURLOPT_URL, urlBytes.constData());
        curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
        curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
        curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
        curl_easy_setopt(curl, CURLOPT_MAXREDIRS, 10L);
        curl_easy_setopt(curl, CURLOPT_FAILONERROR, 1L);
        curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
        curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, 30L);
        // A stalled server: under 1 byte per second for a minute ends the transfer.
        curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, 1L);
        curl_easy_setopt(curl, CURLOPT_LOW_SPEED_TIME, 60L);
        curl_easy_setopt(curl, CURLOPT_ACCEPT_ENCODING, "");
        curl_easy_setopt(curl, CURLOPT_USERAGENT, "Quarvel Flash Player");
        curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, errorText);
        curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &State::onData);
        curl_easy_setopt(curl, CURLOPT_WRITEDATA, this);
        curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
        curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, &State::onProgress);
        curl_easy_setopt(curl, CURLOPT_XFERINFODATA, this);
        const CURLcode code = curl_easy_perform(curl);
        curl_easy_cleanup(curl);
        curl = nullptr;
        if (cancelled)
            return;
        handOver();
        if (code == CURLE_OK) {
            post([](UrlFetcher& f) { emit f.finished(); });
            return;
        }
        QString message;
        if (tooLarge)
            message = QStringLiteral("The file at %1 is too large.").arg(url);
        else
            message = QStringLiteral("Cannot fetch %1: %2")
                          .arg(url, QString::fromUtf8(errorText[0] ? errorText
                                                                   : curl_easy_strerror(code)));
        post([message](UrlFetcher& f) { emit f.failed(message); });
    }
};

UrlFetcher::UrlFetcher(QString url, QObject* parent)
    : QObject(parent), d_(std::make_shared<State>()) {
    d_->url = std::move(url);
    d_->owner = this;
}

UrlFetcher::~UrlFetcher() {
    {
        std::lock_guard lock(d_->ownerMutex);
        d_->cancelled = true;
        d_->owner = nullptr;
    }
    // The worker notices the cancellation at its next progress report and ends on its own,
    // keeping its state alive until then; the user interface does not wait for it.
    if (d_->worker.joinable())
        d_->worker.detach();
}

void UrlFetcher::setMaxBytes(qint64 bytes) {
    d_->maxBytes = bytes;
}

void UrlFetcher::start() {
    if (d_->worker.joinable())
        return; // already under way
    const QUrl parsed(d_->url);
    const QString scheme = parsed.scheme().toLower();
    if (!parsed.isValid() || (scheme != "http" && scheme != "https") || parsed.host().isEmpty()) {
        const QString message = QStringLiteral("Not an http or https address: %1").arg(d_->url);
        QMetaObject::invokeMethod(
            this, [this, message] { emit failed(message); }, Qt::QueuedConnection);
        return;
    }
    initCurlOnce();
    d_->worker = std::thread([state = d_] { state->run(); });
}

} // namespace flash
