#include "app/TForm1.h"

#include "app/PlaybackCommands.h"
#include "flash/host/TShockwaveFlash.h"
#include "skin/controls/TSeSkinItem.h"
#include "skin/controls/TSeSkinMessage.h"
#include "skin/controls/TSeSkinStatusBar.h"
#include "skin/controls/TSeSkinTrackBar.h"

#include <QFileInfo>
#include <QMenuBar>
#include <QResizeEvent>
#include <QVBoxLayout>

namespace app {

TForm1::TForm1(QStringList arguments, QWidget* parent)
    : QWidget(parent), arguments_(std::move(arguments)) {
    setWindowTitle(QStringLiteral("Quarvel系列_FLASH播放器"));
    setObjectName(QStringLiteral("Form1"));
    resize(595, 391);
    createMenus();
    createControls();
    wirePlayback();
    FormCreate();
}

TForm1::~TForm1() {
    Timer1.stop();
    Timer2.stop();
    Timer5.stop();
    // The control goes before its panel so that no call reaches a half-destroyed window.
    flash_.reset();
}

void TForm1::createMenus() {
    MainMenu = new skin::TSeSkinItem(QString(), this);
    MainMenu->setObjectName(QStringLiteral("SeSkinMenuBar1"));
    skin::TSeSkinItem* control = MainMenu->Add(QStringLiteral("控制"));
    skin::TSeSkinItem* progress = control->Add(QStringLiteral("进度控制"));
    CustomItem31 = progress->Add(QStringLiteral("快进(Pd)"),
                                 [this](QObject* s) { CustomItem31Click(s); });
    CustomItem32 = progress->Add(QStringLiteral("快退(Pu)"),
                                 [this](QObject* s) { CustomItem32Click(s); });
    CustomItem33 = progress->Add(QStringLiteral("到文件头(H)"),
                                 [this](QObject* s) { CustomItem33Click(s); });
    skin::TSeSkinItem* playControl = control->Add(QStringLiteral("播放控制"));
    CustomItem64 = playControl->Add(QStringLiteral("单个文件循环"),
                                    [this](QObject* s) { CustomItem64Click(s); });
    CustomItem65 = playControl->Add(QStringLiteral("随机循环"),
                                    [this](QObject* s) { CustomItem65Click(s); });
    // Entries of the movie's context menu that playback keeps as state.
    CustomItem49 = new skin::TSeSkinItem(QStringLiteral("播放/暂停(P)"), this);
    CustomItem49->OnClick = [this](QObject* s) { CustomItem49Click(s); };
    CustomItem50 = new skin::TSeSkinItem(QStringLiteral("停止播放(S)"), this);
    CustomItem50->OnClick = [this](QObject* s) { CustomItem50Click(s); };
    for (auto [item, name] : {std::pair{CustomItem31, "CustomItem31"}, {CustomItem32, "CustomItem32"},
                              {CustomItem33, "CustomItem33"}, {CustomItem49, "CustomItem49"},
                              {CustomItem50, "CustomItem50"}, {CustomItem64, "CustomItem64"},
                              {CustomItem65, "CustomItem65"}})
        item->setObjectName(QLatin1String(name));
}

void TForm1::createControls() {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    menuBar_ = new QMenuBar(this);
    for (int i = 0; i < MainMenu->Count(); ++i) {
        QMenu* menu = menuBar_->addMenu(MainMenu->Items(i)->Caption());
        MainMenu->Items(i)->populate(menu);
    }
    layout->addWidget(menuBar_);

    Panel1 = new QWidget(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setAutoFillBackground(true);
    layout->addWidget(Panel1, 1);
    // Creating the control may throw; nothing of the window outlives a failed creation.
    flash_ = std::make_unique<flash::TShockwaveFlash>(Panel1);
    flash_->widget()->setObjectName(QStringLiteral("ShockwaveFlash1"));

    SeSkinTrackBar4 = new skin::TSeSkinTrackBar(this);
    SeSkinTrackBar4->setObjectName(QStringLiteral("SeSkinTrackBar4"));
    SeSkinTrackBar4->setMin(0);
    SeSkinTrackBar4->setMax(10);
    SeSkinTrackBar4->setPosition(0);
    SeSkinTrackBar4->setShowTicks(false);
    SeSkinTrackBar4->setFixedHeight(24);
    layout->addWidget(SeSkinTrackBar4);

    SeSkinStatusBar1 = new skin::TSeSkinStatusBar(this);
    SeSkinStatusBar1->setObjectName(QStringLiteral("SeSkinStatusBar1"));
    for (int width : {100, 500, 50})
        SeSkinStatusBar1->Panels().Add().setWidth(width);
    SeSkinStatusBar1->Panels()[0].setText(PlaybackCommands::waitingText());
    SeSkinStatusBar1->Panels()[1].setText(PlaybackCommands::bannerText());
    layout->addWidget(SeSkinStatusBar1);

    SeSkinMessage1 = new skin::TSeSkinMessage(this);

    Timer1.setInterval(100);
    Timer2.setInterval(200);
    Timer5.setInterval(1000);
    connect(&Timer1, &QTimer::timeout, this, &TForm1::Timer1Timer);
    connect(&Timer2, &QTimer::timeout, this, &TForm1::Timer2Timer);
    connect(&Timer5, &QTimer::timeout, this, &TForm1::Timer5Timer);
    Timer5.start();
}

void TForm1::wirePlayback() {
    PlaybackParts parts{*flash_,        *SeSkinStatusBar1, *SeSkinTrackBar4, Timer1, Timer2, Timer5,
                        *CustomItem49,  *CustomItem64,     *CustomItem65,    *SeSkinMessage1};
    parts.formResize = [this](QObject* sender) { FormResize(sender); };
    playback_ = new PlaybackCommands(std::move(parts), state_, this);

    SeSkinTrackBar4->OnMouseDown = [this](auto...) { SeSkinTrackBar4MouseDown(); };
    SeSkinTrackBar4->OnMouseMove = [this](auto...) { SeSkinTrackBar4MouseMove(); };
    SeSkinTrackBar4->OnMouseUp = [this](auto...) { SeSkinTrackBar4MouseUp(); };
    SeSkinTrackBar4->OnChange = [this](QObject* s) { SeSkinTrackBar4Change(s); };
}

void TForm1::FormCreate() {
    // A movie named on the command line plays at once; anything else there is ignored.
    if (!arguments_.isEmpty() && QFileInfo(arguments_.first()).isFile())
        OpenMovie(QFileInfo(arguments_.first()).absoluteFilePath());
}

void TForm1::FormResize(QObject*) {
    if (flash_->widget()) {
        flash_->SetBounds(Panel1->rect());
        flash_->SetFocus();
    }
    // The third status panel takes what the first two leave of the window's width.
    skin::TSeStatusPanels& panels = SeSkinStatusBar1->Panels();
    panels[2].setWidth(frameGeometry().width() - panels[0].Width() - panels[1].Width());
}

void TForm1::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    FormResize(this);
}

void TForm1::OpenMovie(const QString& path, bool lowestPriority) {
    state_.currentMoviePath = path;
    playback_->startPlayWorker(lowestPriority);
}

void TForm1::PlayMovie(const QString& statusText) { playback_->PlayDirect(statusText); }

void TForm1::Timer1Timer() { playback_->Timer1Timer(); }
void TForm1::Timer2Timer() { playback_->Timer2Timer(); }
void TForm1::Timer5Timer() { playback_->Timer5Timer(); }
void TForm1::CustomItem49Click(QObject*) { playback_->PlayPauseCommand(); }
void TForm1::CustomItem50Click(QObject*) { playback_->StopCommand(); }
void TForm1::CustomItem33Click(QObject*) { playback_->FromStartCommand(); }
void TForm1::CustomItem31Click(QObject*) { playback_->ForwardCommand(); }
void TForm1::CustomItem32Click(QObject*) { playback_->BackCommand(); }
void TForm1::CustomItem64Click(QObject*) { playback_->ToggleSingleFileLoop(); }
void TForm1::CustomItem65Click(QObject*) { playback_->ToggleRandomLoop(); }
void TForm1::SeSkinTrackBar4MouseDown() { playback_->SeekMouseDown(); }
void TForm1::SeSkinTrackBar4MouseMove() { playback_->SeekMouseMove(); }
void TForm1::SeSkinTrackBar4MouseUp() { playback_->SeekMouseUp(); }
void TForm1::SeSkinTrackBar4Change(QObject*) { playback_->SeekChange(); }

} // namespace app
