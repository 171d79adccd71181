#include "app/TForm1.h"

#include "app/AppIcon.h"
#include "app/ErrorReport.h"
#include "app/NetworkCommands.h"
#include "app/PlaybackCommands.h"
#include "app/RightClickFilter.h"
#include "app/TForm2.h"
#include "flash/host/TShockwaveFlash.h"
#include "net/TNetHTTP.h"
#include "platform/FileAssociation.h"
#include "platform/IniLocation.h"
#include "playlist/FileDialog.h"
#include "playlist/PlaylistCommands.h"
#include "playlist/PlaylistHost.h"
#include "playlist/TDropFilelistbox1.h"
#include "skin/controls/TSeSkinButton.h"
#include "skin/controls/TSeSkinForm.h"
#include "skin/controls/TSeSkinItem.h"
#include "skin/controls/TSeSkinMenuBar.h"
#include "skin/controls/TSeSkinMessage.h"
#include "skin/controls/TSeSkinPanel.h"
#include "skin/controls/TSeSkinPopupMenu.h"
#include "skin/controls/TSeSkinProgressBar.h"
#include "skin/controls/TSeSkinSpeedButton.h"
#include "skin/controls/TSeSkinSplitter.h"
#include "skin/controls/TSeSkinStatusBar.h"
#include "skin/controls/TSeSkinToolBar.h"
#include "skin/controls/TSeSkinTrackBar.h"
#include "skin/engine/TSeSkinEngine.h"
#include "skin/format/SkinFile.h"
#include "skin/model/TSeSkinSource.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFile>
#include <QFileInfo>
#include <QMenu>
#include <QMenuBar>
#include <QResizeEvent>
#include <QScreen>
#include <QVBoxLayout>

static void initDefaultSkinResource() {
    Q_INIT_RESOURCE(default_skin);
}

namespace app {

TForm1::TForm1(QStringList arguments, QString settingsFile, QWidget* parent)
    : QWidget(parent), arguments_(std::move(arguments)), settingsFile_(std::move(settingsFile)) {
    errors_ = new ErrorReport([this](const QString& message) { showErrorBox(message); }, this);
    setWindowTitle(QStringLiteral("Quarvel系列_FLASH播放器"));
    setWindowIcon(applicationIcon());
    setObjectName(QStringLiteral("Form1"));
    resize(595, 391);
    // The window opens centred on the desktop.
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    if (settingsFile_.isEmpty())
        settingsFile_ = platform::IniLocation::flashIniPath();
    loadSkin();
    createFrame();
    createMenus();
    createPlaylist();
    createControls();
    wirePlayback();
    wirePlaylist();
    createNetwork();
    skinControls();
    FormCreate();
}

TForm1::~TForm1() {
    stopPeriodicWork();
    // The control goes before its panel so that no call reaches a half-destroyed window.
    flash_.reset();
    // A download still running at the end is broken off. The commands go before the client
    // they listen to; a worker that would not end keeps the client until the process ends.
    if (network_) {
        const bool ended = network_->shutDown();
        delete network_;
        network_ = nullptr;
        if (!ended)
            static_cast<void>(netHttp_.release());
    }
}

void TForm1::wirePlayback() {
    PlaybackParts parts{
        *flash_, *SeSkinStatusBar1, *SeSkinTrackBar4, Timer1,        Timer2,
        Timer5,  *CustomItem49,     *CustomItem64,    *CustomItem65, *SeSkinMessage1};
    parts.formResize = [this](QObject* sender) { FormResize(sender); };
    parts.addDialogSelection = [this] {
        playlist_->addDialogSelection(playlist::PlaylistCommands::EntryForm::File);
    };
    parts.addDialogSelectionAsLocations = [this] {
        playlist_->addDialogSelection(playlist::PlaylistCommands::EntryForm::Location);
    };
    parts.playlistLineCount = [this] { return DropFilelistbox11->lineCount(); };
    parts.highlightPlaylistLine = [this](int index) { DropFilelistbox11->setItemIndex(index); };
    parts.playHighlightedEntry = [this](QObject* sender) { DropFilelistbox11DblClick(sender); };
    playback_ = new PlaybackCommands(std::move(parts), state_, this);

    SeSkinTrackBar4->OnMouseDown = [this](auto...) {
        runGuarded([this] { SeSkinTrackBar4MouseDown(); });
    };
    SeSkinTrackBar4->OnMouseMove = [this](auto...) {
        runGuarded([this] { SeSkinTrackBar4MouseMove(); });
    };
    SeSkinTrackBar4->OnMouseUp = [this](auto...) {
        runGuarded([this] { SeSkinTrackBar4MouseUp(); });
    };
    SeSkinTrackBar4->OnChange = guarded(&TForm1::SeSkinTrackBar4Change);
}

void TForm1::FormCreate() {
    // A movie named on the command line plays at once; anything else there is ignored.
    if (!arguments_.isEmpty() && QFileInfo(arguments_.first()).isFile())
        OpenMovie(QFileInfo(arguments_.first()).absoluteFilePath());
    platform::RegisterFileType(QStringLiteral(".swf"), QCoreApplication::applicationFilePath(),
                               QStringLiteral("swf file"), QString(), 0, true);
    platform::ExportDesktopAssociation(QCoreApplication::applicationFilePath(),
                                       applicationIconFiles());
    RestoreSettings();
}

void TForm1::RestoreSettings() {
    // A right-button press on the movie opens the player's menu, never the control's own.
    rightClickFilter_ = std::make_unique<RightClickFilter>(
        [this](QObject* target) {
            QWidget* control = flash_->widget();
            auto* w = qobject_cast<QWidget*>(target);
            return control && w && (w == control || control->isAncestorOf(w));
        },
        guarded(&TForm1::ShowMovieMenu));
    qApp->installEventFilter(rightClickFilter_.get());
    state_.seekPressed = false;
    state_.seekDragged = false;
    playlist_->LoadPlayList(settingsFile_);
}

void TForm1::loadSkin() {
    initDefaultSkinResource();
    QFile packed(QStringLiteral(":/SKIN"));
    skinStream_ = QByteArray(1, '\x02') +
                  (packed.open(QIODevice::ReadOnly) ? packed.readAll() : QByteArray());
    SeSkinEngine1 = new skin::TSeSkinEngine(this);
    SeSkinEngine1->setObjectName(QStringLiteral("SeSkinEngine1"));
    try {
        SeSkinEngine1->readSkinStream(skinStream_);
    } catch (const std::exception&) {
        // A damaged skin leaves the controls with their own look; the player works on.
    }
}

void TForm1::createFrame() {
    // The window wears the skin's frame; the skin has no "ToolWindow" object, so the frame
    // is drawn with its "Form".
    SeSkinForm1 = new skin::TSeSkinForm(this);
    SeSkinForm1->setObjectName(QStringLiteral("SeSkinForm1"));
    using Icon = skin::TSeBorderIcon;
    SeSkinForm1->setBorderIcons(
        skin::TSeBorderIcons(Icon::kbiClose) | skin::TSeBorderIcons(Icon::kbiSystemMenu) |
        skin::TSeBorderIcons(Icon::kbiMinimize) | skin::TSeBorderIcons(Icon::kbiMaximize) |
        skin::TSeBorderIcons(Icon::kbiRollup) | skin::TSeBorderIcons(Icon::kbiTray));
    SeSkinForm1->setBorderStyle(skin::TSeBorderStyle::kbsStandard);
    SeSkinForm1->setPerformance(skin::TSeFormPerformance::ksfpNoBuffer);
    SeSkinForm1->setStayOnTop(false);
    SeSkinForm1->setWindowState(skin::TSeWindowState::kwsNormal);
    SeSkinForm1->setSkinObject(QStringLiteral("ToolWindow"));
}

skin::TSeSkinSource& TForm1::skinSource() {
    return SeSkinEngine1->source();
}

namespace {
// Every control of a kind inside the window, wherever the layout put it.
template <typename Control> void pointAtEngine(QWidget* form, skin::TSeSkinEngine* engine) {
    for (Control* control : form->findChildren<Control*>())
        control->setSkinEngine(engine);
}
} // namespace

void TForm1::skinControls() {
    // As a form loader would: the controls learn of the engine once all of them exist, then
    // the engine reports the skin it read. Menus hand the engine on to their entries' windows.
    // The track bars are left without one, so they keep their own look whatever the skin.
    pointAtEngine<skin::TSeSkinPanel>(this, SeSkinEngine1);
    pointAtEngine<skin::TSeSkinSpeedButton>(this, SeSkinEngine1);
    pointAtEngine<skin::TSeSkinSplitter>(this, SeSkinEngine1);
    pointAtEngine<skin::TSeSkinProgressBar>(this, SeSkinEngine1);
    pointAtEngine<skin::TSeSkinStatusBar>(this, SeSkinEngine1);
    pointAtEngine<skin::TSeSkinMenuBar>(this, SeSkinEngine1);
    pointAtEngine<skin::TSeSkinToolBar>(this, SeSkinEngine1);
    pointAtEngine<skin::TSeSkinButton>(this, SeSkinEngine1);
    if (SeSkinPopupMenu1)
        SeSkinPopupMenu1->setSkinEngine(SeSkinEngine1);
    SeSkinForm1->MenuBar = SeSkinMenuBar1;
    SeSkinForm1->setSkinEngine(SeSkinEngine1);
    Form2->setSkinEngine(SeSkinEngine1);
    if (SeSkinMessage1)
        SeSkinMessage1->setSkinEngine(SeSkinEngine1);
    SeSkinEngine1->loaded();
    SeSkinForm1->loaded();
}

void TForm1::ShowMovieMenu(const QPoint& globalPos) {
    if (SeSkinPopupMenu1)
        SeSkinPopupMenu1->Popup(globalPos);
}

void TForm1::FormClose() {
    try {
        playlist_->SavePlayList(settingsFile_);
    } catch (...) {
        // Closing never stops because the list could not be saved.
    }
}

void TForm1::closeEvent(QCloseEvent* event) {
    FormClose();
    // Closing the window ends the program: nothing periodic may run on while the control
    // and the window go.
    stopPeriodicWork();
    QWidget::closeEvent(event);
}

void TForm1::stopPeriodicWork() {
    for (QTimer* timer : {&Timer1, &Timer2, &Timer3, &Timer4, &Timer5})
        timer->stop();
    if (playback_)
        playback_->shutDown();
}

void TForm1::runGuarded(const std::function<void()>& handler) {
    errors_->guard(handler);
}

void TForm1::showErrorBox(const QString& message) {
    if (SeSkinMessage1)
        SeSkinMessage1->MessageDlg(message, skin::TMsgDlgType::mtError, skin::mbOK, 0);
}

void TForm1::CustomItem3Click(QObject*) {
    close();
}

void TForm1::CustomItem24Click(QObject*) {
    stopPeriodicWork();
    flash_->DestroyWindow();
    close();
}

void TForm1::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    FormResize(this);
}

void TForm1::OpenMovie(const QString& path, bool lowestPriority) {
    state_.currentMoviePath = path;
    playback_->startPlayWorker(lowestPriority);
}

void TForm1::PlayMovie(const QString& statusText) {
    playback_->PlayDirect(statusText);
}

void TForm1::Timer1Timer() {
    playback_->Timer1Timer();
}
void TForm1::Timer2Timer() {
    playback_->Timer2Timer();
}
void TForm1::Timer5Timer() {
    playback_->Timer5Timer();
}
void TForm1::CustomItem49Click(QObject*) {
    playback_->PlayPauseCommand();
}
void TForm1::CustomItem50Click(QObject*) {
    playback_->StopCommand();
}
void TForm1::CustomItem33Click(QObject*) {
    playback_->FromStartCommand();
}
void TForm1::CustomItem31Click(QObject*) {
    playback_->ForwardCommand();
}
void TForm1::CustomItem32Click(QObject*) {
    playback_->BackCommand();
}
void TForm1::CustomItem64Click(QObject*) {
    playback_->ToggleSingleFileLoop();
}
void TForm1::CustomItem65Click(QObject*) {
    playback_->ToggleRandomLoop();
}
void TForm1::SeSkinTrackBar4MouseDown() {
    playback_->SeekMouseDown();
}
void TForm1::SeSkinTrackBar4MouseMove() {
    playback_->SeekMouseMove();
}
void TForm1::SeSkinTrackBar4MouseUp() {
    playback_->SeekMouseUp();
}
void TForm1::SeSkinTrackBar4Change(QObject*) {
    playback_->SeekChange();
}

} // namespace app
