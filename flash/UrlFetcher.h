#pragma once

// Fetches a movie given by an http:// or https:// URL on a background thread, handing the
// bytes over to the thread that created the fetcher as they arrive, so the control can show
// frames before the whole file is there. Destroying the fetcher cancels the transfer.

#include <QByteArray>
#include <QObject>
#include <QString>
#include <memory>

namespace flash {

class UrlFetcher : public QObject {
    Q_OBJECT
public:
    explicit UrlFetcher(QString url, QObject* parent = nullptr);
    // Cancels a transfer under way without waiting: nothing more is signalled, and the worker
    // stops at its next progress check (at least once a second) and cleans up after itself.
    ~UrlFetcher() override;

    // Starts the transfer; the signals below arrive through the creating thread's event loop.
    // Only http and https are fetched; anything else fails at once (through the event loop).
    void start();

    // Bodies larger than this are refused rather than held in memory.
    void setMaxBytes(qint64 bytes);

signals:
    // The body's length as the server announced it; not sent when it did not.
    void sizeKnown(qint64 bytes);
    void dataReceived(const QByteArray& data);
    // Every byte of the body has arrived.
    void finished();
    // The transfer failed (no connection, an HTTP error status, a broken transfer).
    void failed(const QString& message);

private:
    struct State;
    std::shared_ptr<State> d_;
};

} // namespace flash
