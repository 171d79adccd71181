#pragma once

// Test tones and the encoders that turn them into the data of sound tags.

#include <QByteArray>
#include <cstdint>
#include <optional>
#include <vector>

namespace mediatest {

// frames samples of a sine (interleaved copies when channels is 2), amplitude of full scale.
std::vector<int16_t> sine(double hz, int rate, int frames, double amplitude = 0.5,
                          int channels = 1);
QByteArray pcm16(const std::vector<int16_t>& samples);
QByteArray pcm8(const std::vector<int16_t>& samples);
// The ADPCM flavour of the tags, codeBits 2 to 5.
QByteArray adpcm(const std::vector<int16_t>& samples, int channels, int codeBits = 4);
// Raw MP3 frames from libavcodec's encoder; nullopt when this libavcodec has none.
std::optional<QByteArray> mp3(const std::vector<int16_t>& samples, int rate, int channels);
// Nellymoser packets; nullopt when there is no encoder.
std::optional<QByteArray> nellymoser(const std::vector<int16_t>& samples, int rate);

// One channel (0 or 1) of interleaved samples.
std::vector<int16_t> channel(const std::vector<int16_t>& interleaved, int channels, int which);
// Frequency from zero crossings over samples [from, to).
double frequency(const std::vector<int16_t>& mono, int rate, std::size_t from, std::size_t to);
double rms(const std::vector<int16_t>& mono, std::size_t from, std::size_t to);
double peak(const std::vector<int16_t>& mono, std::size_t from, std::size_t to);

} // namespace mediatest
