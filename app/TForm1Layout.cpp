#include "app/TForm1.h"

#include "app/DockPanel.h"
#include "app/LayoutCommands.h"
#include "app/PictureSoundCommands.h"
#include "app/PlaybackCommands.h"
#include "app/TForm2.h"
#include "app/ToolsCommands.h"
#include "flash/host/TShockwaveFlash.h"
#include "playlist/TDropFilelistbox1.h"
#include "skin/controls/TAlignLayout.h"
#include "skin/controls/TSeSkinForm.h"
#include "skin/controls/TSeSkinItem.h"
#include "skin/controls/TSeSkinMenuBar.h"
#include "skin/controls/TSeSkinMessage.h"
#include "skin/controls/TSeSkinPanel.h"
#include "skin/controls/TSeSkinPopupMenu.h"
#include "skin/controls/TSeSkinSpeedButton.h"
#include "skin/controls/TSeSkinSplitter.h"
#include "skin/controls/TSeSkinStatusBar.h"
#include "skin/controls/TSeSkinToolBar.h"
#include "skin/controls/TSeSkinTrackBar.h"

#include <QEvent>

// The window's panels and controls as the form lays them out, and how they follow the
// window's size.

namespace app {

namespace {

using skin::TAlign;

// Runs a handler after every resize of the watched widget.
class ResizeWatcher : public QObject {
public:
    ResizeWatcher(QWidget* watched, std::function<void()> onResize)
        : QObject(watched), onResize_(std::move(onResize)) {
        watched->installEventFilter(this);
    }
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Resize)
            onResize_();
        return false;
    }

private:
    std::function<void()> onResize_;
};

skin::TSeSkinPanel* makeRollingPanel(QWidget* parent, const char* name, const QString& caption,
                                     int normalHeight, bool rolled) {
    auto* panel = new skin::TSeSkinPanel(parent);
    panel->setObjectName(QLatin1String(name));
    panel->setCaption(caption);
    panel->setAnimateRoll(true);
    panel->setButtonKind(skin::TSePanelButtonKind::pbkRoll);
    panel->setBevelWidth(1);
    panel->setBorderWidth(3);
    panel->setParentRoll(false);
    panel->resize(parent->width(), normalHeight);
    panel->setNormalHeight(normalHeight);
    panel->loadRolled(rolled);
    new skin::TAlignLayout(panel);
    return panel;
}

skin::TSeSkinTrackBar* makeBar(QWidget* panel, const char* name, int max, int position,
                               int height) {
    auto* bar = new skin::TSeSkinTrackBar(panel);
    bar->setObjectName(QLatin1String(name));
    bar->setMin(0);
    bar->setMax(max);
    bar->setPosition(position);
    bar->setShowTicks(false);
    // Levels read at a glance when the part below the thumb is highlighted.
    bar->setIntervalHighlightType(skin::TIntervalHighlight::htLowInterval);
    bar->resize(bar->width(), height);
    static_cast<skin::TAlignLayout*>(panel->layout())->addControl(bar, TAlign::alTop);
    return bar;
}

} // namespace

void TForm1::createControls() {
    auto* layout = new skin::TAlignLayout(this);
    SeSkinMenuBar1->resize(width(), 21);
    layout->addControl(SeSkinMenuBar1, TAlign::alTop);
    menuBar_ = SeSkinMenuBar1;
    createToolBar();
    layout->addControl(SeSkinToolBar1, TAlign::alTop);

    SeSkinStatusBar1 = new skin::TSeSkinStatusBar(this);
    SeSkinStatusBar1->setObjectName(QStringLiteral("SeSkinStatusBar1"));
    SeSkinStatusBar1->resize(width(), 22);
    for (int width : {100, 500, 50})
        SeSkinStatusBar1->Panels().Add().setWidth(width);
    SeSkinStatusBar1->Panels()[0].setText(PlaybackCommands::waitingText());
    SeSkinStatusBar1->Panels()[1].setText(PlaybackCommands::bannerText());
    layout->addControl(SeSkinStatusBar1, TAlign::alBottom);

    createControlPanel();
    layout->addControl(Panel2, TAlign::alLeft);

    SeSkinSplitter1 = new skin::TSeSkinSplitter(this);
    SeSkinSplitter1->setObjectName(QStringLiteral("SeSkinSplitter1"));
    SeSkinSplitter1->resize(4, height());
    SeSkinSplitter1->setMinSize(1);
    SeSkinSplitter1->setAutoSnap(true);
    layout->addControl(SeSkinSplitter1, TAlign::alLeft);

    auto* moviePanel = new QFrame(this);
    moviePanel->setObjectName(QStringLiteral("Panel1"));
    moviePanel->setFrameStyle(QFrame::Box | QFrame::Plain);
    moviePanel->setLineWidth(1);
    moviePanel->setAutoFillBackground(true);
    QPalette pal = moviePanel->palette();
    pal.setColor(QPalette::Window, pal.color(QPalette::ButtonText));
    moviePanel->setPalette(pal);
    moviePanel->setContextMenuPolicy(Qt::CustomContextMenu);
    Panel1 = moviePanel;
    layout->addControl(Panel1, TAlign::alClient);
    auto* movieLayout = new skin::TAlignLayout(Panel1);
    // Creating the control may throw; nothing of the window outlives a failed creation.
    flash_ = std::make_unique<flash::TShockwaveFlash>(Panel1);
    flash_->widget()->setObjectName(QStringLiteral("ShockwaveFlash1"));
    // What a movie has to tell the person watching (a script stopped for running too long)
    // goes to the wide status panel, where the player's own notes appear.
    flash_->OnStatusText = [this](const QString& text) {
        if (SeSkinStatusBar1)
            SeSkinStatusBar1->Panels()[1].setText(text);
    };
    movieLayout->addControl(flash_->widget(), TAlign::alClient);
    connect(Panel1, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
        if (!SeSkinPopupMenu1->isOpen())
            ShowMovieMenu(Panel1->mapToGlobal(pos));
    });

    SeSkinMessage1 = new skin::TSeSkinMessage(this);
    SeSkinMessage1->setObjectName(QStringLiteral("SeSkinMessage1"));
    QFont boxFont(QStringLiteral("MS Sans Serif"));
    boxFont.setPixelSize(11);
    SeSkinMessage1->setButtonFont(boxFont);
    SeSkinMessage1->setMessageFont(boxFont);
    Form2 = new TForm2(this);

    Timer1.setInterval(100);
    Timer2.setInterval(200);
    Timer3.setInterval(1000);
    Timer4.setInterval(10);
    Timer5.setInterval(1000);
    connect(&Timer1, &QTimer::timeout, this, guarded(&TForm1::Timer1Timer));
    connect(&Timer2, &QTimer::timeout, this, guarded(&TForm1::Timer2Timer));
    connect(&Timer3, &QTimer::timeout, this, guarded(&TForm1::Timer3Timer));
    connect(&Timer4, &QTimer::timeout, this, guarded(&TForm1::Timer4Timer));
    connect(&Timer5, &QTimer::timeout, this, guarded(&TForm1::Timer5Timer));
    Timer3.start();
    Timer5.start();

    createViewCommands();
    createKeyTable();
    // The view's start values; nothing here depends on the rest of the window's start, and
    // running it again later changes nothing.
    RestoreViewSettings();
    new ResizeWatcher(Panel1, [this] { runGuarded([this] { Panel1Resize(Panel1); }); });
    new ResizeWatcher(Panel2, [this] { runGuarded([this] { FormResize(Panel2); }); });
}

void TForm1::createToolBar() {
    SeSkinToolBar1 = new skin::TSeSkinToolBar(this);
    SeSkinToolBar1->setObjectName(QStringLiteral("SeSkinToolBar1"));
    SeSkinToolBar1->resize(width(), 29);
    SeSkinToolBar1->setBorderWidth(2);
    struct Button {
        const char* caption;
        skin::TSeSkinSpeedButton* TForm1::*member;
        void (TForm1::*handler)(QObject*);
        const char* name;
    };
    const Button buttons[] = {
        {"打开文件", &TForm1::SeSkinSpeedButton1, &TForm1::SeSkinSpeedButton1Click,
         "SeSkinSpeedButton1"},
        {"Internet播放", &TForm1::SeSkinSpeedButton2, &TForm1::SeSkinSpeedButton2Click,
         "SeSkinSpeedButton2"},
        {"格式转换", &TForm1::SeSkinSpeedButton3, &TForm1::CustomItem16Click, "SeSkinSpeedButton3"},
        {"网络下载", &TForm1::SeSkinSpeedButton8, &TForm1::SeSkinSpeedButton8Click,
         "SeSkinSpeedButton8"},
        {"抓取图片", &TForm1::SeSkinSpeedButton7, &TForm1::SeSkinSpeedButton7Click,
         "SeSkinSpeedButton7"},
    };
    for (const Button& b : buttons) {
        skin::TSeSkinSpeedButton* button =
            SeSkinToolBar1->addButton(QString::fromUtf8(b.caption), QSize(91, 25));
        button->setObjectName(QLatin1String(b.name));
        button->OnClick = guarded(b.handler);
        this->*(b.member) = button;
    }
}

void TForm1::createControlPanel() {
    Panel2 = new DockPanel(this);
    Panel2->setObjectName(QStringLiteral("Panel2"));
    Panel2->resize(181, height());
    Panel2->setToolTip(QStringLiteral("可以拖放"));
    // Undocked, it is a window of its own and is named like its menu entry.
    Panel2->setCaption(QStringLiteral("主控区"));
    auto* inner = new skin::TAlignLayout(Panel2);

    // Stacked from the bottom edge upwards in this order; the playlist fills the rest.
    SeSkinPanel3 =
        makeRollingPanel(Panel2, "SeSkinPanel3", QStringLiteral("  视频控制区_背景色"), 158, true);
    inner->addControl(SeSkinPanel3, TAlign::alBottom);
    SeSkinPanel1 = makeRollingPanel(Panel2, "SeSkinPanel1", QStringLiteral("  进度区"), 123, false);
    SeSkinPanel1->resize(SeSkinPanel1->width(), 53);
    inner->addControl(SeSkinPanel1, TAlign::alBottom);
    SeSkinPanel4 =
        makeRollingPanel(Panel2, "SeSkinPanel4", QStringLiteral(" 音频控制区"), 214, true);
    inner->addControl(SeSkinPanel4, TAlign::alBottom);
    SeSkinPanel5 =
        makeRollingPanel(Panel2, "SeSkinPanel5", QStringLiteral("  播放列表"), 90, false);
    SeSkinPanel5->setToolTip(QStringLiteral("支持文件拖放"));
    inner->addControl(SeSkinPanel5, TAlign::alClient);
    static_cast<skin::TAlignLayout*>(SeSkinPanel5->layout())
        ->addControl(DropFilelistbox11, TAlign::alClient);

    // Volume: a caption button above each bar.
    auto volumeRow = [this](const char* buttonName, const QString& caption, const char* barName,
                            int position) {
        auto* label = new skin::TSeSkinSpeedButton(SeSkinPanel4);
        label->setObjectName(QLatin1String(buttonName));
        label->setCaption(caption);
        label->setFlat(true);
        label->resize(label->width(), 20);
        static_cast<skin::TAlignLayout*>(SeSkinPanel4->layout())->addControl(label, TAlign::alTop);
        return std::pair{label, makeBar(SeSkinPanel4, barName, 100, position, 42)};
    };
    std::tie(SeSkinSpeedButton4, SeSkinTrackBar1) =
        volumeRow("SeSkinSpeedButton4", QStringLiteral("主音量"), "SeSkinTrackBar1", 1);
    std::tie(SeSkinSpeedButton5, SeSkinTrackBar2) =
        volumeRow("SeSkinSpeedButton5", QStringLiteral("左声道"), "SeSkinTrackBar2", 3);
    std::tie(SeSkinSpeedButton6, SeSkinTrackBar3) =
        volumeRow("SeSkinSpeedButton6", QStringLiteral("右声道"), "SeSkinTrackBar3", 3);

    SeSkinTrackBar4 = new skin::TSeSkinTrackBar(SeSkinPanel1);
    SeSkinTrackBar4->setObjectName(QStringLiteral("SeSkinTrackBar4"));
    SeSkinTrackBar4->setMin(0);
    SeSkinTrackBar4->setMax(10);
    SeSkinTrackBar4->setPosition(0);
    SeSkinTrackBar4->setShowTicks(false);
    // The part of the movie already played is highlighted.
    SeSkinTrackBar4->setIntervalHighlightType(skin::TIntervalHighlight::htLowInterval);
    static_cast<skin::TAlignLayout*>(SeSkinPanel1->layout())
        ->addControl(SeSkinTrackBar4, TAlign::alClient);

    SeSkinTrackBar5 = makeBar(SeSkinPanel3, "SeSkinTrackBar5", 255, 0, 43);
    SeSkinTrackBar6 = makeBar(SeSkinPanel3, "SeSkinTrackBar6", 255, 0, 43);
    SeSkinTrackBar7 = makeBar(SeSkinPanel3, "SeSkinTrackBar7", 255, 0, 43);
}

void TForm1::createViewCommands() {
    waveOut_ = std::make_unique<platform::SystemWaveOut>();
    flash::TShockwaveFlash& flash = *flash_;
    PictureSoundParts picture{[&flash](int factor) { flash.Zoom(factor); },
                              [&flash](int quality) { flash.set_Quality(quality); },
                              [&flash](int color) { flash.set_BackgroundColor(color); },
                              *CustomItem51,
                              *CustomItem52,
                              *CustomItem53,
                              *SeSkinTrackBar5,
                              *SeSkinTrackBar6,
                              *SeSkinTrackBar7,
                              *SeSkinTrackBar1,
                              *SeSkinTrackBar2,
                              *SeSkinTrackBar3,
                              *waveOut_};
    pictureSound_ = new PictureSoundCommands(std::move(picture), this);

    ToolsParts tools{flash, *Panel1, *saveDialog_, *CustomItem67, *CustomItem38, Timer4, {}, {}};
    tools.formResize = [this] { FormResize(this); };
    tools.panel1Resize = [this] { Panel1Resize(Panel1); };
    tools_ = new ToolsCommands(std::move(tools), this);

    LayoutParts parts{*this,
                      *static_cast<skin::TAlignLayout*>(layout()),
                      *SeSkinMenuBar1,
                      *SeSkinToolBar1,
                      *SeSkinStatusBar1,
                      *Panel2,
                      *SeSkinSplitter1,
                      *Panel1,
                      *SeSkinPanel5,
                      flash,
                      *CustomItem45,
                      *CustomItem54,
                      *CustomItem38,
                      *CustomItem67,
                      {},
                      {}};
    parts.multiPictureOn = [this] { return tools_->multiPicture(); };
    parts.layoutGrid = [this] { tools_->layoutGrid(); };
    parts.showFrame = [this](bool shown) {
        // Full screen starts from the normal window, whatever state the frame was in.
        if (!shown)
            SeSkinForm1->setWindowState(skin::TSeWindowState::kwsNormal);
        SeSkinForm1->setFrameHidden(!shown);
    };
    layout_ = new LayoutCommands(std::move(parts), this);

    SeSkinTrackBar1->OnChange = guarded(&TForm1::SeSkinTrackBar1Change);
    SeSkinTrackBar2->OnChange = guarded(&TForm1::SeSkinTrackBar2Change);
    SeSkinTrackBar3->OnChange = guarded(&TForm1::SeSkinTrackBar3Change);
    // Red and blue share a handler, green has its own; both compute the whole colour.
    SeSkinTrackBar5->OnChange = guarded(&TForm1::SeSkinTrackBar5Change);
    SeSkinTrackBar6->OnChange = guarded(&TForm1::SeSkinTrackBar6Change);
    SeSkinTrackBar7->OnChange = guarded(&TForm1::SeSkinTrackBar5Change);
    SeSkinPanel5->OnBeforeRoll = guarded(&TForm1::SeSkinPanel5BeforeRoll);
    // The control panel starts docked, so there is nothing to dock again.
    CustomItem54->setEnabled(false);
}

void TForm1::RestoreViewSettings() {
    tools_->clearMultiPictureFlag();
    pictureSound_->MasterFromDevice();
    flash_->set_BackgroundColor(0);
    for (skin::TSeSkinItem* on :
         {CustomItem39, CustomItem40, CustomItem41, CustomItem51, CustomItem44, CustomItem45})
        on->setChecked(true);
    for (skin::TSeSkinItem* off : {CustomItem42, CustomItem43})
        off->setChecked(false);
    pictureSound_->setZoomBase(100);
    SeSkinPanel3->hide();
    SeSkinPanel4->hide();
}

void TForm1::FormResize(QObject*) {
    if (layout_)
        layout_->FormResize();
}

void TForm1::Panel1Resize(QObject*) {
    if (tools_)
        tools_->Panel1Resize();
}

} // namespace app
