#pragma once

// A movie clip: the root of each level, every placed sprite, and the clips script makes. It
// has a timeline (possibly empty), children by depth, its drawing-API picture, and the
// frame state script controls with play/stop/goto.

#include "swf/display/DisplayObject.h"
#include "swf/display/Drawing.h"
#include "swf/format/Result.h"
#include "swf/format/Timeline.h"

#include <QByteArray>
#include <functional>
#include <map>
#include <memory>
#include <vector>

namespace swf {

class TextField;

class MovieClip final : public DisplayObject {
public:
    // A clip running timeline (the movie's main timeline or a sprite's) from movie's
    // dictionary. character is the sprite's definition, null for a level's root. timeline
    // may be null for an empty clip.
    MovieClip(Stage& stage, std::shared_ptr<const Movie> movie, const Timeline* timeline,
              std::shared_ptr<const Character> character);
    ~MovieClip() override;

    const Movie* movie() const override { return movie_.get(); }
    const std::shared_ptr<const Movie>& movieShared() const { return movie_; }
    // A level's root: its movie's main timeline.
    bool isLevelRoot() const { return levelRoot_; }
    int levelNumber() const { return levelNumber_; } // valid for a level's root

    // ---- frames, 1-based as script counts them ----
    // 0 before the first frame was shown; a clip without frames (createEmptyMovieClip, an
    // unloaded clip) is on its one empty frame, as Flash reports it.
    int currentFrame() const { return framesLoaded() == 0 && !levelRoot_ ? 1 : current_ + 1; }
    int totalFrames() const; // at least 1, as Flash reports
    int framesLoaded() const;
    // The frame a label names (compared without regard to case), or 0.
    int frameOfLabel(const QString& label) const;
    // The label of the current frame or the last labelled frame before it; empty if none.
    QString currentLabel() const;
    // The DoAction blocks of a frame (1-based), for call(frame); empty when there is none.
    std::vector<ActionCode> frameActions(int frame) const;
    bool isPlaying() const { return playing_; }
    void play() { playing_ = true; }
    void stop() { playing_ = false; }
    // Shows frame (clamped to the frames loaded; out of range is ignored as Flash does),
    // queueing its frame actions, then plays or stops.
    void gotoFrame(int frame, bool andPlay);
    // false when no frame has that label (the clip stays where it is).
    bool gotoLabel(const QString& label, bool andPlay);
    void nextFrame(); // stops, as Flash
    void prevFrame();

    // ---- children ----
    const std::map<int, std::shared_ptr<DisplayObject>>& children() const { return children_; }
    DisplayObject* childAtDepth(int depth) const;
    // Case-insensitive before SWF 7, as Flash compares instance names; the first by depth
    // when several share a name.
    DisplayObject* childByName(const QString& name, bool caseSensitive) const;
    int nextHighestDepth() const;

    // ---- clips made by script; failures carry a message for the debugger/trace ----
    // attachMovie: a new instance of the exported symbol at depth (replacing what is there).
    Result<MovieClip*> attachMovie(const QString& exportName, const QString& newName, int depth);
    // Places character id at depth: the engine's own way for script to make any symbol.
    Result<DisplayObject*> attachCharacter(uint16_t characterId, const QString& newName, int depth);
    Result<MovieClip*> createEmptyMovieClip(const QString& newName, int depth);
    // A text field of the given rectangle (pixels) at depth; drawing is the text engine's.
    Result<TextField*> createTextField(const QString& newName, int depth, QRectF pixels);
    // attachBitmap: shows image (shared with the BitmapData, so later changes show).
    Result<DisplayObject*> attachBitmap(std::shared_ptr<const QImage> image, int depth,
                                        bool smoothing);
    // duplicateMovieClip: a copy of this clip beside it in its parent at depth, with the same
    // matrix, colour transform, clip actions and drawing; it starts at frame 1.
    Result<MovieClip*> duplicate(const QString& newName, int depth);
    // removeMovieClip: only clips whose depth lies in the script range go; true if removed.
    bool removeByScript();
    // Removes the child at depth from the tree (whatever made it).
    void removeChildAt(int depth);
    // swapDepths with a depth (moving whatever is there to this clip's depth) or with a sibling.
    // Either way the clip is no longer driven by its timeline's placement.
    bool swapDepths(int depth);
    bool swapDepths(DisplayObject& sibling);
    // Replaces this clip's content with another movie's main timeline (loadMovie). The clip
    // keeps its name, depth, matrix and place; its children, drawing and frame state go.
    void replaceContent(std::shared_ptr<const Movie> movie);
    // unloadMovie: empties the clip (no frames, no children).
    void unloadContent();

    // ---- drawing API ----
    Drawing& drawing() { return drawing_; }
    const Drawing& drawing() const { return drawing_; }

    // ---- drag ----
    // startDrag: follows the mouse from now on (the stage keeps one dragged clip at a time).
    // bounds are in the parent's space, twips.
    void startDrag(bool lockCenter, std::optional<QRectF> bounds);
    void stopDrag();
    // _droptarget: the slash path of what lies under the clip when last dragged, or "".
    QString dropTarget() const;
    void setDropTarget(const QString& slashPath);

    // ---- clip actions of its placement (onClipEvent handlers) ----
    const std::shared_ptr<const std::vector<ClipActionRecord>>& clipActions() const {
        return clipActions_;
    }
    void setClipActions(std::shared_ptr<const std::vector<ClipActionRecord>> actions) {
        clipActions_ = std::move(actions);
    }
    // The clipevent bits any of its handlers listens for.
    uint32_t clipEventMask() const;

    // ---- frame processing, driven by the stage ----
    // One tick of this clip: next frame when playing (looping at the end, except a level's
    // root, which the Player loops), then nothing else; children advance on their own turn.
    void advance();
    // True when the last frame was reached and not left this tick (for the Player's loop).
    bool atLastFrame() const;
    uint64_t bornTick() const { return bornTick_; }
    // Instances of the timeline placed by this clip (for the per-movie budget).
    QRectF localBounds() const override;
    bool containsLocalPoint(QPointF localTwips) const override;

    // The tree's own operations; not for script.
    // A new node for character from movie's dictionary, counted against the stage's budget;
    // null when the budget is spent, the character cannot be shown, or nesting (the clips
    // around the new one) is too deep.
    static std::shared_ptr<DisplayObject> instantiate(Stage& stage,
                                                      const std::shared_ptr<const Movie>& movie,
                                                      const std::shared_ptr<const Character>& c,
                                                      int nesting);
    static constexpr int kMaxNesting = 32;
    // How deep script may nest the clips and fields it makes.
    static constexpr int kMaxScriptNesting = 256;
    void setLevelRoot(int level);
    void setBornTick(uint64_t tick) { bornTick_ = tick; }
    void showFirstFrame();
    // Inserts child at depth, replacing (and removing) what was there.
    void insertChild(int depth, std::shared_ptr<DisplayObject> child);
    // Moves child to a new depth (used by swapDepths), displacing nothing.
    void moveChild(int fromDepth, int toDepth);

protected:
    void onRemoved() override;

private:
    // With queueScripts, the frame's DoAction blocks are queued where they stand among its
    // placements.
    void applyFrame(int frame, bool queueScripts = false);
    void place(const PlaceCommand& cmd, int frame);
    bool replacesOnPlace(uint16_t characterId) const;
    void runFrameScripts(int frame);
    void queueFrameActions(const Frame& f, std::size_t& next, std::size_t upToCommand);
    // The sounds of the frame shown and, with a stream, where the stream stands.
    void reportFrameSounds(int frame);
    void runInitActions(int frame);
    void gotoFrameIndex(int frame);
    bool checkNewDepth(int depth, QString* error) const;

    std::shared_ptr<const Movie> movie_;
    const Timeline* timeline_ = nullptr;
    bool levelRoot_ = false;
    int levelNumber_ = 0;
    int current_ = -1;
    bool playing_ = true;
    uint64_t bornTick_ = 0;
    std::vector<bool> initActionsDone_;
    std::vector<int> removedThisFrame_; // timeline depths the frame being applied emptied
    std::map<int, std::shared_ptr<DisplayObject>> children_;
    Drawing drawing_;
    std::shared_ptr<const std::vector<ClipActionRecord>> clipActions_;
    QString dropTarget_;
    bool registered_ = false; // in the stage's frame walk

    friend class Stage;
};

} // namespace swf
