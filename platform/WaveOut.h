#pragma once

// The wave-out volume of the player's audio output, exchanged the way the Windows multimedia
// functions do it: one 32-bit value for device 0, the left channel in the low 16 bits and the
// right channel in the high 16 bits, each 0 to 65,535. The value is kept for the process; the
// control's sound mixer reads it through waveOutVolume() when it mixes.

#include <cstdint>

namespace platform {

// Results of the functions, as the multimedia API numbers them.
inline constexpr int MMSYSERR_NOERROR = 0;
inline constexpr int MMSYSERR_BADDEVICEID = 2;
inline constexpr int MMSYSERR_INVALPARAM = 11;

// The device volume of a process that never changed it: both channels at full.
inline constexpr uint32_t kFullWaveOutVolume = 0xFFFFFFFFu;

int waveOutGetVolume(unsigned device, uint32_t* volume);
int waveOutSetVolume(unsigned device, uint32_t volume);

// The current volume of device 0, for the mixer (lock-free).
uint32_t waveOutVolume();
// Channel gains of a packed value, 0.0 to 1.0.
double leftChannelGain(uint32_t volume);
double rightChannelGain(uint32_t volume);

// What the player's sound controls talk to: device 0 of the wave-out functions, or a stand-in
// in tests.
class WaveOutDevice {
public:
    virtual ~WaveOutDevice() = default;
    // Returns the packed volume; when the device cannot be read the value is 0.
    virtual uint32_t GetVolume() = 0;
    virtual void SetVolume(uint32_t volume) = 0;
};

// Device 0 of the process.
class SystemWaveOut final : public WaveOutDevice {
public:
    uint32_t GetVolume() override;
    void SetVolume(uint32_t volume) override;
};

} // namespace platform
