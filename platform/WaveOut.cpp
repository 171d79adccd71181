#include "platform/WaveOut.h"

#include <atomic>

namespace platform {

namespace {
std::atomic<uint32_t>& deviceVolume() {
    static std::atomic<uint32_t> volume{kFullWaveOutVolume};
    return volume;
}
} // namespace

int waveOutGetVolume(unsigned device, uint32_t* volume) {
    if (device != 0)
        return MMSYSERR_BADDEVICEID;
    if (!volume)
        return MMSYSERR_INVALPARAM;
    *volume = deviceVolume().load(std::memory_order_relaxed);
    return MMSYSERR_NOERROR;
}

int waveOutSetVolume(unsigned device, uint32_t volume) {
    if (device != 0)
        return MMSYSERR_BADDEVICEID;
    deviceVolume().store(volume, std::memory_order_relaxed);
    return MMSYSERR_NOERROR;
}

uint32_t waveOutVolume() {
    return deviceVolume().load(std::memory_order_relaxed);
}

double leftChannelGain(uint32_t volume) {
    return (volume & 0xFFFFu) / 65535.0;
}
double rightChannelGain(uint32_t volume) {
    return (volume >> 16) / 65535.0;
}

uint32_t SystemWaveOut::GetVolume() {
    uint32_t volume = 0;
    if (waveOutGetVolume(0, &volume) != MMSYSERR_NOERROR)
        return 0;
    return volume;
}

void SystemWaveOut::SetVolume(uint32_t volume) {
    waveOutSetVolume(0, volume);
}

} // namespace platform
