#include "tests/support/ModalDriver.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QTest>
#include <QTimer>

namespace testsupport {

ModalDriver::ModalDriver() : timerOwner_(std::make_unique<QObject>()) {
    auto* timer = new QTimer(timerOwner_.get());
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, timerOwner_.get(), [this] { poll(); });
    timer->start();
}

ModalDriver::~ModalDriver() = default;

void ModalDriver::answer(Action action) {
    actions_.push_back(std::move(action));
}

void ModalDriver::pressKey(int key) {
    answer([key](QWidget* box) {
        QWidget* target = box->focusWidget() ? box->focusWidget() : box;
        QTest::keyClick(target, static_cast<Qt::Key>(key));
    });
}

void ModalDriver::clickButton(const QString& name) {
    answer([name](QWidget* box) {
        for (QAbstractButton* b : box->findChildren<QAbstractButton*>()) {
            if (b->objectName() == name || b->text() == name) {
                b->click();
                return;
            }
        }
    });
}

void ModalDriver::typeAndPress(const QString& text, int key) {
    answer([text, key](QWidget* box) {
        if (auto* edit = box->findChild<QLineEdit*>()) {
            edit->selectAll();
            QTest::keyClicks(edit, text);
            QTest::keyClick(edit, static_cast<Qt::Key>(key));
        }
    });
}

void ModalDriver::poll() {
    QWidget* box = QApplication::activeModalWidget();
    if (!box || box == lastBox_ || !box->isVisible() || actions_.empty())
        return;
    lastBox_ = box;
    SeenBox seen;
    seen.title = box->windowTitle();
    QStringList texts;
    for (QLabel* l : box->findChildren<QLabel*>())
        if (!l->text().isEmpty())
            texts << l->text();
    seen.text = texts.join(u'\n');
    for (QAbstractButton* b : box->findChildren<QAbstractButton*>())
        seen.buttons << b->text();
    seen_.push_back(seen);
    Action action = std::move(actions_.front());
    actions_.erase(actions_.begin());
    QPointer<QWidget> guard(box);
    action(box);
    // A box closed by the action may be followed by another at the same address.
    if (!guard || !guard->isVisible())
        lastBox_ = nullptr;
}

} // namespace testsupport
