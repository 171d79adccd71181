#pragma once

// The application's default error report: an error that a command lets through ends up here
// and is shown in a modal box with its message and OK, and the program goes on.
//
// No exception may travel back into Qt's event handling (Qt does not support it, and an
// exception unwinding through a nested event loop closes whatever box that loop belongs to
// and leaves timers dead), so every handler of the window runs through guard().
//
// While a box is open, timers keep running and may fail again: the same message is not shown
// twice at once, and other messages wait their turn instead of piling boxes on top.

#include <QObject>
#include <QString>
#include <QStringList>
#include <exception>
#include <functional>
#include <utility>

namespace app {

class ErrorReport : public QObject {
    Q_OBJECT
public:
    // showBox shows one modal box and returns once the user has closed it.
    using ShowBox = std::function<void(const QString& message)>;
    explicit ErrorReport(ShowBox showBox, QObject* parent = nullptr);

    // Runs a handler; whatever it throws is reported here and goes no further.
    template <typename F> void guard(F&& handler) noexcept {
        try {
            std::forward<F>(handler)();
        } catch (const std::exception& e) {
            report(messageOf(e));
        } catch (...) {
            report(unknownErrorText());
        }
    }

    // The handler wrapped so that it runs through guard(), with whatever arguments it gets.
    template <typename F> auto guarded(F handler) {
        return [this, handler = std::move(handler)](auto&&... args) {
            guard([&] { handler(std::forward<decltype(args)>(args)...); });
        };
    }

    // Shows the message unless the same one is on screen already; never throws.
    void report(const QString& message) noexcept;

    bool showing() const { return showing_; }
    // Every error reported so far, shown or merged into a box already open.
    int count() const { return count_; }

    static QString messageOf(const std::exception& error);
    static QString unknownErrorText() { return QStringLiteral("未知错误"); }

    // Messages waiting for the open box to close; more are dropped.
    static constexpr int kMaxWaiting = 8;

signals:
    void reported(const QString& message);

private:
    ShowBox showBox_;
    bool showing_ = false;
    QString current_;
    QStringList waiting_;
    int count_ = 0;
};

} // namespace app
