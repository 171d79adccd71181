#pragma once

// The picture controls (zoom, rendering quality, background colour of the Flash control) and
// the sound controls (master, left and right volume of wave-out device 0).

#include <QObject>
#include <cstdint>
#include <functional>

namespace platform {
class WaveOutDevice;
}
namespace skin {
class TSeSkinItem;
class TSeSkinTrackBar;
} // namespace skin

namespace app {

struct PictureSoundParts {
    // The Flash control's Zoom, Quality and BackgroundColor.
    std::function<void(int factor)> zoom;
    std::function<void(int quality)> setQuality;
    std::function<void(int color)> setBackgroundColor;
    skin::TSeSkinItem& qualityHigh;   // CustomItem51 高
    skin::TSeSkinItem& qualityMedium; // CustomItem52 中
    skin::TSeSkinItem& qualityLow;    // CustomItem53 低
    skin::TSeSkinTrackBar& red;       // SeSkinTrackBar5
    skin::TSeSkinTrackBar& green;     // SeSkinTrackBar6
    skin::TSeSkinTrackBar& blue;      // SeSkinTrackBar7
    skin::TSeSkinTrackBar& master;    // SeSkinTrackBar1
    skin::TSeSkinTrackBar& left;      // SeSkinTrackBar2
    skin::TSeSkinTrackBar& right;     // SeSkinTrackBar3
    platform::WaveOutDevice& waveOut;
};

class PictureSoundCommands : public QObject {
    Q_OBJECT
public:
    explicit PictureSoundCommands(PictureSoundParts parts, QObject* parent = nullptr);

    // The zoom base the zoom commands work from; 100 once the window has restored it.
    int zoomBase() const { return zoomBase_; }
    void setZoomBase(int base) { zoomBase_ = base; }

    void ZoomIn();  // CustomItem25Click
    void ZoomOut(); // CustomItem26Click
    // Puts the check mark on the chosen quality item (off the others) and writes its value.
    void ChooseQuality(skin::TSeSkinItem& item);
    void BackgroundColorChanged(); // SeSkinTrackBar5Change, SeSkinTrackBar6Change
    void MasterChanged();          // SeSkinTrackBar1Change
    void LeftChanged();            // SeSkinTrackBar2Change
    void RightChanged();           // SeSkinTrackBar3Change
    void VolumeUp();               // CustomItem28Click
    void VolumeDown();             // CustomItem29Click
    // Sets the master bar from the louder channel of the device.
    void MasterFromDevice();

    // The value written to the control's Quality for a quality item (-1 for another item).
    int qualityValue(const skin::TSeSkinItem& item) const;
    // The bar position p as a channel value.
    static uint32_t channelValue(int position) { return static_cast<uint32_t>(position) << 8; }

private:
    PictureSoundParts p_;
    int zoomBase_ = 100;
};

} // namespace app
