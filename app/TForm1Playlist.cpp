// The main window's playlist: the drop-file box, the shared dialogs, the box's menu, and what
// the playlist commands ask of the window.

#include "app/PlaybackCommands.h"
#include "app/TForm1.h"
#include "playlist/FileDialog.h"
#include "playlist/PlaylistCommands.h"
#include "playlist/PlaylistHost.h"
#include "playlist/PlaylistMenu.h"
#include "playlist/TDropFilelistbox1.h"
#include "skin/controls/TSeSkinMessage.h"
#include "skin/controls/TSeSkinStatusBar.h"

namespace app {

class TForm1::PlaylistWindow final : public playlist::PlaylistHost {
public:
    explicit PlaylistWindow(TForm1& form) : form_(form) {}
    void playMovie(const QString& location, QThread::Priority priority) override {
        form_.OpenMovie(location, priority == QThread::LowestPriority);
    }
    void setPlaylistTimerEnabled(bool enabled) override {
        if (enabled)
            form_.Timer5.start();
        else
            form_.Timer5.stop();
    }
    void relayout() override { form_.FormResize(&form_); }
    void downloadMovie() override { form_.CustomItem69Click(&form_); }
    void showError(const QString& message) override {
        form_.SeSkinMessage1->MessageDlg(message, skin::TMsgDlgType::mtError, skin::mbOK, 0);
    }
    void showStatus(const QString& message) override {
        form_.SeSkinStatusBar1->Panels()[1].setText(message);
    }

private:
    TForm1& form_;
};

void TForm1::createPlaylist() {
    DropFilelistbox11 = new playlist::TDropFilelistbox1(this);
    DropFilelistbox11->setObjectName(QStringLiteral("DropFilelistbox11"));
    playlist::setUpDropFilelistbox11(*DropFilelistbox11);
    openDialog_ = std::make_unique<playlist::TOpenDialog>(this);
    saveDialog_ = std::make_unique<playlist::TSaveDialog>(this);
    playlist::setUpOpenDialog1(*openDialog_);
    playlist::setUpSaveDialog1(*saveDialog_);
}

void TForm1::wirePlaylist() {
    playlistHost_ = std::make_unique<PlaylistWindow>(*this);
    playlist_ = new playlist::PlaylistCommands(*DropFilelistbox11, *openDialog_, *saveDialog_,
                                               *playlistHost_, this);
    DropFilelistbox11->setOnDropFiles(guarded(&TForm1::DropFilelistbox11DropFiles));
    connect(DropFilelistbox11, &playlist::TCheckListBox::Click, this,
            [this] { runGuarded([this] { DropFilelistbox11Click(DropFilelistbox11); }); });
    connect(DropFilelistbox11, &playlist::TCheckListBox::DblClick, this,
            [this] { runGuarded([this] { DropFilelistbox11DblClick(DropFilelistbox11); }); });
    connect(DropFilelistbox11, &playlist::TCheckListBox::KeyDown, this,
            [this](int key, Qt::KeyboardModifiers) {
                runGuarded([this, key] { DropFilelistbox11KeyDown(key); });
            });
    SeSkinPopupMenu2 = new playlist::PlaylistMenu(*playlist_, this);
    SeSkinPopupMenu2->attachTo(*DropFilelistbox11);
}

void TForm1::SeSkinSpeedButton1Click(QObject*) {
    playlist_->open();
}
void TForm1::DropFilelistbox11DblClick(QObject*) {
    playlist_->playEntry();
}
void TForm1::DropFilelistbox11Click(QObject*) {
    playlist_->showPathHint();
}
void TForm1::DropFilelistbox11DropFiles(QObject*, const QStringList& names) {
    playlist_->dropFiles(names);
}
void TForm1::DropFilelistbox11KeyDown(int key) {
    playlist_->keyDown(key);
}

} // namespace app
