#pragma once

// Answers modal boxes in widget tests: the action runs on the next modal widget that appears
// (polled from the event loop that the box itself runs), and what the box said is recorded.

#include <QString>
#include <QStringList>
#include <QWidget>
#include <functional>
#include <memory>

namespace testsupport {

struct SeenBox {
    QString title;
    QString text; // the texts of every label in the box, joined by line breaks
    QStringList buttons;
};

class ModalDriver {
public:
    using Action = std::function<void(QWidget* box)>;
    ModalDriver();
    ~ModalDriver();

    // Queues an action for the next box that opens; boxes are answered in order.
    void answer(Action action);
    // Common answers.
    void pressKey(int key); // e.g. Qt::Key_Return
    void clickButton(const QString& objectNameOrText);
    void typeAndPress(const QString& text, int key);

    const std::vector<SeenBox>& seen() const { return seen_; }
    int pending() const { return static_cast<int>(actions_.size()); }

private:
    void poll();
    std::vector<Action> actions_;
    std::vector<SeenBox> seen_;
    std::unique_ptr<QObject> timerOwner_;
    QWidget* lastBox_ = nullptr;
};

} // namespace testsupport
