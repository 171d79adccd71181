#pragma once

// A top-level window wearing the skinned frame of the player's own skin, with one client
// widget laid out inside it, and helpers that send the mouse events a user would.

#include <QApplication>
#include <QMouseEvent>
#include <QTest>
#include <QVBoxLayout>
#include <QWidget>
#include <gtest/gtest.h>
#include <memory>

#include "skin/controls/TSeSkinForm.h"
#include "skin/engine/TSeSkinEngine.h"
#include "skin/model/TSeSkinObject.h"
#include "skin/model/TSeSystemButton.h"
#include "tests/support/StoredSkin.h"

namespace frametest {

// The default skin's measures: borders left 4, right 5, bottom 5, caption 22.
constexpr int kLeft = 4;
constexpr int kRight = 5;
constexpr int kTop = 22;
constexpr int kBottom = 5;

struct FrameWindow {
    std::unique_ptr<skin::TSeSkinEngine> engine;
    std::unique_ptr<QWidget> window;
    QWidget* client = nullptr;
    skin::TSeSkinForm* frame = nullptr;

    explicit FrameWindow(bool withSkin = true, bool load = true) {
        engine = std::make_unique<skin::TSeSkinEngine>();
        if (withSkin)
            engine->readSkinStream(testsupport::storedSkinStream(QUARVEL_DEFAULT_SKIN_PATH));
        window = std::make_unique<QWidget>();
        window->setWindowTitle(QStringLiteral("Frame test"));
        frame = new skin::TSeSkinForm(window.get());
        frame->setSkinObject(QStringLiteral("ToolWindow"));
        frame->setSkinEngine(engine.get());
        auto* layout = new QVBoxLayout(window.get());
        layout->setContentsMargins(0, 0, 0, 0);
        client = new QWidget(window.get());
        client->setObjectName(QStringLiteral("ClientWidget"));
        layout->addWidget(client);
        window->setGeometry(100, 80, 400, 300);
        // No notification area on the test platform: say there is one unless told not to.
        frame->trayAvailable = [] { return true; };
        frame->workArea = [] { return QRect(0, 0, 800, 560); };
        frame->screenArea = [] { return QRect(0, 0, 800, 600); };
        if (load)
            frame->loaded();
        window->show();
        QApplication::processEvents();
    }
    ~FrameWindow() {
        window.reset();
        engine.reset();
    }

    skin::TSeSystemButton* button(skin::TSeAction action) {
        skin::TSeSystemButton* found = nullptr;
        if (skin::TSeSkinObject* tree = frame->skinTree()) {
            tree->forEachInTree([&](skin::TSeSkinObject& o) {
                auto* b = dynamic_cast<skin::TSeSystemButton*>(&o);
                if (b && b->Action == action && b->visible())
                    found = b;
            });
        }
        return found;
    }
    QPoint centreOf(skin::TSeAction action) {
        skin::TSeSystemButton* b = button(action);
        return b ? b->boundsRect().center() : QPoint(-1, -1);
    }
    QImage grab() { return window->grab().toImage().convertToFormat(QImage::Format_RGB32); }
};

// A mouse event delivered to the window as the platform would, with the buttons held.
inline void send(QWidget* w, QEvent::Type type, QPoint at, Qt::MouseButton button,
                 Qt::MouseButtons held) {
    QMouseEvent e(type, QPointF(at), QPointF(w->mapToGlobal(at)), button, held, Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}
inline void press(QWidget* w, QPoint at) {
    send(w, QEvent::MouseButtonPress, at, Qt::LeftButton, Qt::LeftButton);
}
inline void dragTo(QWidget* w, QPoint at) {
    send(w, QEvent::MouseMove, at, Qt::NoButton, Qt::LeftButton);
}
inline void hoverTo(QWidget* w, QPoint at) {
    send(w, QEvent::MouseMove, at, Qt::NoButton, Qt::NoButton);
}
inline void release(QWidget* w, QPoint at) {
    send(w, QEvent::MouseButtonRelease, at, Qt::LeftButton, Qt::NoButton);
}
inline void doubleClick(QWidget* w, QPoint at) {
    press(w, at);
    release(w, at);
    send(w, QEvent::MouseButtonDblClick, at, Qt::LeftButton, Qt::LeftButton);
    release(w, at);
}

} // namespace frametest
