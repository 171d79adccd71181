#pragma once

// What can be learnt of an MP3 file without decoding it: the ID3 tags it carries (version 2
// at its start, else version 1 at its end) and its length, found by walking its frame
// headers. Files come from anywhere: every size is checked against the bytes present.

#include <QByteArray>
#include <QString>
#include <vector>

namespace swf::media {

struct Id3Frame {
    QString id;   // four letters, as ID3 2.3 names them ("TIT2", "COMM")
    QString text; // a text frame's first value, a comment's text
};

class Mp3Info {
public:
    // The text and comment frames, in file order; empty when the file has no tag.
    static std::vector<Id3Frame> id3(const QByteArray& mp3);
    // Whether the file has any ID3 tag at all.
    static bool hasId3(const QByteArray& mp3);
    // The length of the audio in milliseconds from the frames' own headers; -1 when no MPEG
    // audio frame is found.
    static double durationMs(const QByteArray& mp3);
    // Bytes taken by an ID3 2 tag at the start (0 when there is none).
    static qsizetype id3v2Size(const QByteArray& mp3);
};

} // namespace swf::media
