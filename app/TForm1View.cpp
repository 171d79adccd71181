#include "app/TForm1.h"

#include "app/DockPanel.h"
#include "app/ErrorReport.h"
#include "app/KeyboardPreview.h"
#include "app/LayoutCommands.h"
#include "app/PictureSoundCommands.h"
#include "app/ProjectorConversion.h"
#include "app/TForm2.h"
#include "app/ToolsCommands.h"
#include "flash/host/TShockwaveFlash.h"
#include "skin/controls/TSeSkinItem.h"
#include "skin/controls/TSeSkinMessage.h"
#include "skin/controls/TSeSkinPanel.h"
#include "skin/controls/TSeSkinToolBar.h"

#include <QMetaObject>
#include <exception>

// The window's handlers for picture and sound, panels and full screen, capture and the
// multi-picture view, projector conversion, the about window and the keyboard. Each hands
// the work to the command object for its subject.

namespace app {

void TForm1::showError(const std::exception& error) {
    errors_->report(ErrorReport::messageOf(error));
}

void TForm1::FormKeyDown(int key) {
    if (key == vk::Escape) {
        if (layout_->isFullScreen()) {
            layout_->FullScreenOff();
        } else {
            close();
            // The control goes once the key has been delivered: it may be the key's target.
            QMetaObject::invokeMethod(
                this, [this] { flash_->DestroyWindow(); }, Qt::QueuedConnection);
        }
        return;
    }
    for (const KeyBinding& binding : keyTable_)
        if (binding.key == key && binding.item)
            binding.item->Click();
}

void TForm1::Timer3Timer() {
    layout_->Timer3Timer();
}
void TForm1::Timer4Timer() {
    tools_->Timer4Timer();
}

// Picture and sound.
void TForm1::CustomItem25Click(QObject*) {
    pictureSound_->ZoomIn();
}
void TForm1::CustomItem26Click(QObject*) {
    pictureSound_->ZoomOut();
}
void TForm1::CustomItem51Click(QObject*) {
    pictureSound_->ChooseQuality(*CustomItem51);
}
void TForm1::CustomItem52Click(QObject*) {
    pictureSound_->ChooseQuality(*CustomItem52);
}
void TForm1::CustomItem53Click(QObject*) {
    pictureSound_->ChooseQuality(*CustomItem53);
}
void TForm1::SeSkinTrackBar5Change(QObject*) {
    pictureSound_->BackgroundColorChanged();
}
void TForm1::SeSkinTrackBar6Change(QObject*) {
    pictureSound_->BackgroundColorChanged();
}
void TForm1::SeSkinTrackBar1Change(QObject*) {
    pictureSound_->MasterChanged();
}
void TForm1::SeSkinTrackBar2Change(QObject*) {
    pictureSound_->LeftChanged();
}
void TForm1::SeSkinTrackBar3Change(QObject*) {
    pictureSound_->RightChanged();
}
void TForm1::CustomItem28Click(QObject*) {
    pictureSound_->VolumeUp();
}
void TForm1::CustomItem29Click(QObject*) {
    pictureSound_->VolumeDown();
}

// Panels and full screen.
void TForm1::CustomItem41Click(QObject*) {
    layout_->Toggle(*CustomItem41, *SeSkinToolBar1);
}
void TForm1::CustomItem45Click(QObject*) {
    layout_->Toggle(*CustomItem45, *Panel2);
    FormResize(this);
}
void TForm1::CustomItem40Click(QObject*) {
    layout_->Toggle(*CustomItem40, *SeSkinPanel5);
}
void TForm1::CustomItem42Click(QObject*) {
    layout_->Toggle(*CustomItem42, *SeSkinPanel4);
}
void TForm1::CustomItem43Click(QObject*) {
    layout_->Toggle(*CustomItem43, *SeSkinPanel3);
}
void TForm1::CustomItem44Click(QObject*) {
    layout_->Toggle(*CustomItem44, *SeSkinPanel1);
}
void TForm1::CustomItem55Click(QObject*) {
    layout_->RedockLeft();
}
void TForm1::CustomItem56Click(QObject*) {
    layout_->RedockRight();
}
void TForm1::SeSkinPanel5BeforeRoll(QObject*) {
    layout_->PlaylistBeforeRoll();
}
void TForm1::CustomItem38Click(QObject*) {
    layout_->ToggleFullScreen();
}

// Capture and the multi-picture view.
void TForm1::CustomItem66Click(QObject*) {
    try {
        tools_->Capture();
    } catch (const std::exception& e) {
        showError(e);
    }
}
void TForm1::SeSkinSpeedButton7Click(QObject*) {
    CustomItem66->Click();
}
void TForm1::CustomItem67Click(QObject*) {
    tools_->ToggleMultiPicture();
}

// Projector conversion.
void TForm1::CustomItem16Click(QObject*) {
    try {
        ProjectorConversion(
            {*openDialog_, *SeSkinMessage1, [this](const QString& path) { OpenMovie(path); }})
            .run();
    } catch (const std::exception& e) {
        showError(e);
    }
}

// About.
void TForm1::CustomItem21Click(QObject*) {
    Form2->exec();
}

} // namespace app
