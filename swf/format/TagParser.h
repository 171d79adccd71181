#pragma once

// Reads one tag of the tag stream into the movie: definitions go into the dictionary, control
// tags into the frames of the timeline being read (the main one or a sprite's).

#include "swf/format/Reader.h"
#include "swf/format/Result.h"

#include <cstdint>
#include <vector>

namespace swf {

class Movie;
struct Timeline;

namespace tag {
enum : uint16_t {
    End = 0,
    ShowFrame = 1,
    DefineShape = 2,
    PlaceObject = 4,
    RemoveObject = 5,
    DefineBits = 6,
    DefineButton = 7,
    JPEGTables = 8,
    SetBackgroundColor = 9,
    DoAction = 12,
    StartSound = 15,
    DefineSound = 14,
    DefineButtonSound = 17,
    SoundStreamHead = 18,
    SoundStreamBlock = 19,
    DefineButtonCxform = 23,
    Protect = 24,
    DefineBitsLossless = 20,
    DefineBitsJPEG2 = 21,
    DefineShape2 = 22,
    PlaceObject2 = 26,
    RemoveObject2 = 28,
    DefineShape3 = 32,
    DefineButton2 = 34,
    DefineBitsJPEG3 = 35,
    DefineBitsLossless2 = 36,
    DefineSprite = 39,
    FrameLabel = 43,
    DefineMorphShape = 46,
    ExportAssets = 56,
    EnableDebugger = 58,
    DoInitAction = 59,
    EnableDebugger2 = 64,
    FileAttributes = 69,
    PlaceObject3 = 70,
    SoundStreamHead2 = 45,
    StartSound2 = 89,
    DefineScalingGrid = 78,
    DefineShape4 = 83,
    DefineMorphShape2 = 84,
    DefineBitsJPEG4 = 90,
    DefineFont = 10,
    DefineText = 11,
    DefineFontInfo = 13,
    DefineText2 = 33,
    DefineEditText = 37,
    DefineFont2 = 48,
    DefineFontInfo2 = 62,
    DefineFontAlignZones = 73,
    CSMTextSettings = 74,
    DefineFont3 = 75,
    DefineFontName = 88,
    DefineVideoStream = 60,
    VideoFrame = 61,
};
}

// Steps over a PlaceObject3 or button filter list; false when it is damaged.
bool skipFilterList(Reader& r);

class MovieBudget;
struct ClipActionRecord;

// The clip actions at the end of PlaceObject2/3: SWF 5 movies store 16-bit event masks, later
// ones 32-bit. Each handler is charged to budget as a record. Returns false for a damaged list;
// out then holds the handlers read before the damage.
bool readClipActions(Reader& r, int swfVersion, std::vector<ClipActionRecord>& out,
                     MovieBudget& budget);

class TagParser {
public:
    explicit TagParser(Movie& movie) : movie_(movie) {}

    // body is exactly the tag's data. nesting is 0 for the main timeline.
    Result<void> parse(uint16_t code, Reader body, Timeline& timeline, int nesting = 0);

private:
    Result<void> parsePlace(uint16_t code, Reader& r, Timeline& timeline);
    Result<void> parseSprite(Reader& r, int nesting);
    Result<void> parseDefinition(uint16_t code, Reader& r);
    Result<void> parseButtonCxform(Reader& r);
    Result<void> parseExports(Reader& r);
    Result<void> parseSoundControl(uint16_t code, Reader& r, Timeline& timeline);
    Result<void> parseTextDefinition(uint16_t code, Reader& r);
    Result<void> parseVideoFrame(Reader& r);
    // The budget's message when it ran out, else the given one.
    Error failure(Error e) const;

    Movie& movie_;
};

} // namespace swf
