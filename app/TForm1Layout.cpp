#include "app/TForm1.h"

#include "app/PlaybackCommands.h"
#include "flash/host/TShockwaveFlash.h"
#include "skin/controls/TSeSkinItem.h"
#include "skin/controls/TSeSkinMessage.h"
#include "skin/controls/TSeSkinStatusBar.h"
#include "skin/controls/TSeSkinTrackBar.h"

#include <QMenuBar>
#include <QVBoxLayout>

// The window's panels and controls, and how they follow the window's size.

namespace app {

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

void TForm1::FormResize(QObject*) {
    if (flash_->widget()) {
        flash_->SetBounds(Panel1->rect());
        flash_->SetFocus();
    }
    // The third status panel takes what the first two leave of the window's width.
    skin::TSeStatusPanels& panels = SeSkinStatusBar1->Panels();
    panels[2].setWidth(frameGeometry().width() - panels[0].Width() - panels[1].Width());
}

} // namespace app
