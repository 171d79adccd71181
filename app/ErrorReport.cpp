#include "app/ErrorReport.h"

namespace app {

ErrorReport::ErrorReport(ShowBox showBox, QObject* parent)
    : QObject(parent), showBox_(std::move(showBox)) {}

QString ErrorReport::messageOf(const std::exception& error) {
    const QString text = QString::fromUtf8(error.what()).trimmed();
    return text.isEmpty() ? unknownErrorText() : text;
}

void ErrorReport::report(const QString& message) noexcept {
    try {
        ++count_;
        emit reported(message);
        if (showing_) {
            // A box is open and its own event loop is running this: never stack another box
            // on it; a different message is shown once the user has closed this one.
            if (message != current_ && !waiting_.contains(message) && waiting_.size() < kMaxWaiting)
                waiting_.append(message);
            return;
        }
        showing_ = true;
        current_ = message;
        for (;;) {
            try {
                if (showBox_)
                    showBox_(current_);
            } catch (...) {
                // A box that cannot be shown must not take the program down with it.
            }
            if (waiting_.isEmpty())
                break;
            current_ = waiting_.takeFirst();
        }
        current_.clear();
        showing_ = false;
    } catch (...) {
        showing_ = false;
    }
}

} // namespace app
