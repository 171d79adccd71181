#include "app/PictureSoundCommands.h"

#include "platform/WaveOut.h"
#include "skin/controls/TSeSkinItem.h"
#include "skin/controls/TSeSkinTrackBar.h"

#include <algorithm>

namespace app {

PictureSoundCommands::PictureSoundCommands(PictureSoundParts parts, QObject* parent)
    : QObject(parent), p_(std::move(parts)) {}

void PictureSoundCommands::ZoomIn() {
    p_.zoom(zoomBase_ - 20);
}

void PictureSoundCommands::ZoomOut() {
    p_.zoom(zoomBase_ + 20);
}

int PictureSoundCommands::qualityValue(const skin::TSeSkinItem& item) const {
    if (&item == &p_.qualityHigh)
        return 3;
    if (&item == &p_.qualityMedium)
        return 1;
    if (&item == &p_.qualityLow)
        return 2;
    return -1;
}

void PictureSoundCommands::ChooseQuality(skin::TSeSkinItem& item) {
    const int value = qualityValue(item);
    if (value < 0)
        return;
    item.setChecked(true);
    for (skin::TSeSkinItem* other : {&p_.qualityHigh, &p_.qualityMedium, &p_.qualityLow})
        if (other != &item)
            other->setChecked(false);
    p_.setQuality(value);
}

void PictureSoundCommands::BackgroundColorChanged() {
    const int red = p_.red.Position() & 0xFF;
    const int green = p_.green.Position() & 0xFF;
    const int blue = p_.blue.Position() & 0xFF;
    p_.setBackgroundColor(red + green * 256 + blue * 65536);
}

void PictureSoundCommands::MasterChanged() {
    const uint32_t channel = channelValue(p_.master.Position());
    p_.waveOut.SetVolume(channel | (channel << 16));
}

void PictureSoundCommands::LeftChanged() {
    const uint32_t volume = p_.waveOut.GetVolume();
    p_.waveOut.SetVolume((volume & 0xFFFF0000u) | (channelValue(p_.left.Position()) & 0xFFFFu));
}

void PictureSoundCommands::RightChanged() {
    const uint32_t volume = p_.waveOut.GetVolume();
    p_.waveOut.SetVolume((volume & 0x0000FFFFu) | (channelValue(p_.right.Position()) << 16));
}

void PictureSoundCommands::VolumeUp() {
    // Compared with 255, not with the bar's maximum: the bar clamps, and at the top it writes
    // the full master volume once more.
    if (p_.master.Position() < 255)
        p_.master.setPosition(p_.master.Position() + 2);
}

void PictureSoundCommands::VolumeDown() {
    if (p_.master.Position() > 0)
        p_.master.setPosition(p_.master.Position() - 2);
}

void PictureSoundCommands::MasterFromDevice() {
    const uint32_t volume = p_.waveOut.GetVolume();
    const int left = static_cast<int>((volume >> 8) & 0xFFu);
    const int right = static_cast<int>((volume >> 24) & 0xFFu);
    p_.master.setPosition(std::max(left, right));
}

} // namespace app
