#pragma once

// Writes what a movie shows and plays into a video file with libavformat: H.264 and AAC in
// .mp4, .mov and .mkv, VP9 and Opus in .webm. Each frame brings its picture and the sound
// mixed while it was on show (16-bit stereo), so picture and sound stay in step by
// construction. The file is finished properly however the export ends, so a movie that breaks
// partway leaves a file that plays up to its last good frame.

#include "swf/format/Result.h"

#include <QImage>
#include <QSize>
#include <QString>
#include <cstdint>
#include <memory>

class VideoExporter {
public:
    // size is the picture's; odd sides are rounded up, as 4:2:0 video needs even ones.
    static swf::Result<std::unique_ptr<VideoExporter>> open(const QString& path, QSize size,
                                                            double frameRate, int audioRate);
    ~VideoExporter();
    VideoExporter(const VideoExporter&) = delete;
    VideoExporter& operator=(const VideoExporter&) = delete;

    // One frame: its picture and the interleaved stereo samples heard while it shows.
    swf::Result<void> addFrame(const QImage& picture, const int16_t* samples, int sampleFrames);
    // Flushes the encoders and writes the file's index. Called by the destructor if needed.
    swf::Result<void> finish();

    int framesWritten() const { return frames_; }

private:
    struct State;
    VideoExporter();
    swf::Result<void> openStreams(const QString& path, QSize size, double frameRate, int audioRate);
    swf::Result<void> encodeAudio(bool flush);
    swf::Result<void> drain(bool video);

    std::unique_ptr<State> d_;
    int frames_ = 0;
    bool finished_ = false;
};
