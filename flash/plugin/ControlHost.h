#pragma once

// The control's answer to what a running movie asks of its host: pages and fscommand go to
// the window holding the control, messages to its status line, and loads of http(s)
// addresses through the control's own fetcher (local files as the engine reads them).

#include "flash/ControlAbi.h"
#include "swf/PlayerHost.h"

#include <QObject>
#include <memory>
#include <vector>

namespace flash {

class UrlFetcher;

class ControlHost final : public swf::PlayerHost {
public:
    ControlHost();
    // Cancels loads still under way; their done callbacks are never called.
    ~ControlHost() override;

    void setSite(IFlashControlSite* site) { site_ = site; }

    void openUrl(const QString& url, const QString& target) override;
    void fsCommand(const QString& command, const QString& args) override;
    void statusMessage(const QString& text) override;
    void load(const QString& url, qint64 maxBytes, LoadDone done) override;
    // Local files are read a megabyte at a time; http(s) pieces come as the fetcher has them.
    std::unique_ptr<PieceLoad> loadInPieces(const QString& url, qint64 maxBytes,
                                            PieceCallbacks callbacks) override;

    // Loads under way (for tests and teardown).
    std::size_t pendingLoads() const;

private:
    struct Fetch;
    IFlashControlSite* site_ = nullptr;
    std::vector<std::shared_ptr<Fetch>> fetches_;
};

} // namespace flash
