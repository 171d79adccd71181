#pragma once

// A playlist box on a panel, the two shared dialogs answered by a script, and a main window
// stand-in that records what the commands ask of it.

#include "playlist/FileDialog.h"
#include "playlist/PlaylistCommands.h"
#include "playlist/PlaylistHost.h"
#include "playlist/TDropFilelistbox1.h"

#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QUrl>
#include <deque>
#include <gtest/gtest.h>
#include <stdexcept>

namespace playlisttest {

using namespace playlist;

class ScriptedDialogs : public FileDialogProvider {
public:
    // The next dialog returns these files; an empty list means the user cancels.
    void answer(const QStringList& files) { answers_.push_back(files); }

    std::optional<QStringList> run(const FileDialogRequest& request) override {
        requests.push_back(request);
        if (answers_.empty())
            return std::nullopt;
        QStringList files = answers_.front();
        answers_.pop_front();
        if (files.isEmpty())
            return std::nullopt;
        return files;
    }

    std::vector<FileDialogRequest> requests;

private:
    std::deque<QStringList> answers_;
};

class RecordingHost : public PlaylistHost {
public:
    void playMovie(const QString& location, QThread::Priority priority) override {
        log.append(QStringLiteral("play %1 %2").arg(location).arg(int(priority)));
        if (failPlay)
            throw std::runtime_error("the worker could not start");
    }
    void processPendingEvents() override { log.append("events"); }
    void setPlaylistTimerEnabled(bool enabled) override {
        log.append(enabled ? "timer on" : "timer off");
    }
    void relayout() override { log.append("relayout"); }
    void downloadMovie() override { log.append("download"); }
    void showError(const QString& message) override { log.append("error " + message); }
    void showStatus(const QString& message) override { log.append("status " + message); }

    QStringList log;
    bool failPlay = false;
};

inline QString play(const QString& location, QThread::Priority priority) {
    return QStringLiteral("play %1 %2").arg(location).arg(int(priority));
}

class PlaylistFixture : public ::testing::Test {
protected:
    PlaylistFixture() {
        setUpOpenDialog1(openDialog);
        setUpSaveDialog1(saveDialog);
        openDialog.setProvider(&dialogs);
        saveDialog.setProvider(&dialogs);
        panel.setToolTip(QStringLiteral("支持文件拖放"));
        panel.resize(300, 300);
        box->setGeometry(0, 0, 300, 300);
        setUpDropFilelistbox11(*box);
        commands.connectToBox();
        panel.show();
    }

    void addLines(const QStringList& lines) {
        for (const QString& l : lines)
            box->addLine(l);
    }

    // Drags `urls` over the box and releases them; true when the box took the drop.
    bool drop(const QList<QUrl>& urls, Qt::DropActions actions = Qt::CopyAction | Qt::MoveAction,
              Qt::DropAction* taken = nullptr) {
        QMimeData data;
        data.setUrls(urls);
        const QPoint pos(10, 10);
        QDragEnterEvent enter(pos, actions, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(box->viewport(), &enter);
        if (!enter.isAccepted())
            return false;
        QDropEvent release(QPointF(pos), actions, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(box->viewport(), &release);
        if (taken)
            *taken = release.dropAction();
        return release.isAccepted();
    }
    bool dropFiles(const QStringList& paths) {
        QList<QUrl> urls;
        for (const QString& p : paths)
            urls.append(QUrl::fromLocalFile(p));
        return drop(urls);
    }

    QPoint lineCentre(int row) {
        box->doItemsLayout();
        const QRect r = box->visualItemRect(box->item(row));
        // Right of the check box, on the text.
        return QPoint(r.left() + 60, r.center().y());
    }
    void mouse(QEvent::Type type, QPoint pos, Qt::MouseButton button = Qt::LeftButton) {
        QMouseEvent event(type, QPointF(pos), QPointF(box->viewport()->mapToGlobal(pos)), button,
                          type == QEvent::MouseButtonRelease ? Qt::NoButton : button,
                          Qt::NoModifier);
        QApplication::sendEvent(box->viewport(), &event);
    }
    void click(int row, Qt::MouseButton button = Qt::LeftButton) {
        const QPoint p = lineCentre(row);
        mouse(QEvent::MouseButtonPress, p, button);
        mouse(QEvent::MouseButtonRelease, p, button);
    }
    void doubleClickAt(QPoint p) {
        mouse(QEvent::MouseButtonPress, p);
        mouse(QEvent::MouseButtonRelease, p);
        mouse(QEvent::MouseButtonDblClick, p);
        mouse(QEvent::MouseButtonRelease, p);
    }
    void doubleClick(int row) { doubleClickAt(lineCentre(row)); }
    void key(int k) {
        QKeyEvent press(QEvent::KeyPress, k, Qt::NoModifier);
        QApplication::sendEvent(box, &press);
        QKeyEvent release(QEvent::KeyRelease, k, Qt::NoModifier);
        QApplication::sendEvent(box, &release);
    }

    QWidget panel;
    TDropFilelistbox1* box = new TDropFilelistbox1(&panel);
    TOpenDialog openDialog;
    TSaveDialog saveDialog;
    ScriptedDialogs dialogs;
    RecordingHost host;
    PlaylistCommands commands{*box, openDialog, saveDialog, host};
};

} // namespace playlisttest
