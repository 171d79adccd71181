#pragma once

// The whole display tree of one running movie: its levels (_level0 is the movie itself,
// loadMovieNum adds others), the order in which clips take their turn each frame, the mouse
// and keyboard as the movie sees them, and the movie's way out to its host (pages, fscommand,
// loading, messages). The Player owns one and drives it from its tick; script reaches
// everything here through the ScriptHost it is given.

#include "swf/PlayerHost.h"
#include "swf/display/DisplayObject.h"
#include "swf/display/StageQuality.h"

#include <QByteArray>
#include <QPointF>
#include <QRectF>
#include <QString>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <vector>

namespace swf {

class Button;
class Movie;
class MovieClip;
class PlayerHost;
class ScriptHost;
class SoundHost;
class VideoHost;

class Stage {
public:
    explicit Stage(std::shared_ptr<const Movie> movie);
    ~Stage();
    Stage(const Stage&) = delete;
    Stage& operator=(const Stage&) = delete;

    // Neither is owned; either may be null. Both must outlive the Stage or be reset first.
    void setHost(PlayerHost* host) { host_ = host; }
    PlayerHost* host() const { return host_; }
    void setScriptHost(ScriptHost* script) { script_ = script; }
    ScriptHost* scriptHost() const { return script_; }
    // Where frames report their sounds; null plays nothing. Not owned.
    void setSoundHost(SoundHost* sound) { sound_ = sound; }
    SoundHost* soundHost() const { return sound_; }
    // What decodes placed video; null shows none. Not owned.
    void setVideoHost(VideoHost* video) { video_ = video; }
    VideoHost* videoHost() const { return video_; }

    // ---- levels ----
    MovieClip& root() const; // _level0
    MovieClip* level(int number) const;
    const std::map<int, std::shared_ptr<MovieClip>>& levels() const { return levels_; }
    const Movie& movie() const { return *movie_; }
    int swfVersion() const;
    // Instance names compare without regard to case before SWF 7.
    bool caseSensitiveNames() const { return swfVersion() >= 7; }
    QRectF stageRect() const; // twips
    // Where the movie came from: a local path or a URL; relative loads resolve against it.
    void setMovieUrl(const QString& url) { movieUrl_ = url; }
    const QString& movieUrl() const { return movieUrl_; }
    QString resolveUrl(const QString& relative) const;

    // ---- frames ----
    // One frame of the whole tree in Flash's order: every clip (newest first) hears
    // enterFrame and steps its timeline, queueing frame actions; then the queue runs, and
    // what left the tree hears unload and goes.
    void advanceFrame();
    // At its last frame the main timeline goes back to the first when set (the control's
    // Loop), or stops there.
    void setMainTimelineLoops(bool on) { mainLoops_ = on; }
    bool mainTimelineLoops() const { return mainLoops_; }

    // One quality for every level; high, as Flash starts.
    void setQuality(RenderQuality quality) { quality_ = quality; }
    RenderQuality quality() const { return quality_; }
    // Runs what script queued (no-op without a script host).
    void runQueuedActions();
    uint64_t tick() const { return tick_; }
    // Player calls this once, when the first frame is shown.
    void start();

    // ---- finding things ----
    // "_level0.a.b", "_root.a", "/a/b", "a/b", "../c", "a.b" relative to relativeTo (the
    // root when null). Null when nothing is there.
    DisplayObject* findTarget(const QString& path, DisplayObject* relativeTo) const;
    // The topmost object whose shape is under the stage point (for _droptarget and hit
    // tests); ignores what is excluded and its children.
    DisplayObject* topmostAt(QPointF stageTwips, const DisplayObject* excluded = nullptr) const;

    // ---- the per-movie instance budget ----
    // Every node counts against it before it is made; past it nothing more is made and the
    // host hears once why. Sprites that place themselves cannot multiply without end.
    bool reserveInstance();
    void releaseInstance();
    std::size_t instanceCount() const { return instances_; }
    void setInstanceBudget(std::size_t n) { instanceBudget_ = n; }
    std::size_t instanceBudget() const { return instanceBudget_; }
    static constexpr std::size_t kDefaultInstanceBudget = 100'000;
    // Set once the budget was exhausted: what the movie was refused, said plainly.
    const QString& budgetError() const { return budgetError_; }

    // ---- mouse and keyboard, stage twips ----
    void mouseMove(QPointF stageTwips);
    void mouseDown(QPointF stageTwips);
    void mouseUp(QPointF stageTwips);
    // The mouse left the movie's window.
    void mouseLeave();
    // The wheel turned by lines (positive: away from the user) with the mouse at a point.
    void mouseWheel(QPointF stageTwips, int lines);
    // keyCode is Flash's key code (Key.getCode), ascii the character (Key.getAscii, 0 if none).
    void keyDown(int keyCode, int ascii);
    void keyUp(int keyCode, int ascii);
    // Text an input method committed (Chinese typing): it goes to the focused input field.
    void textInput(const QString& text);
    QPointF mousePosition() const { return mouse_; }
    bool mouseButtonDown() const { return mouseDown_; }
    bool isKeyDown(int keyCode) const { return keysDown_.count(keyCode) > 0; }
    int lastKeyCode() const { return lastKey_; }
    int lastAscii() const { return lastAscii_; }
    enum class Cursor { Arrow, Hand };
    Cursor cursor() const;
    // Mouse.hide()/show().
    void setMouseHidden(bool hidden) { mouseHidden_ = hidden; }
    bool mouseHidden() const { return mouseHidden_; }
    // The button or clip acting as one under the mouse, if any.
    DisplayObject* hovered() const { return hovered_.lock().get(); }

    // ---- focus (Selection) ----
    DisplayObject* focus() const { return focus_.lock().get(); }
    // Null clears; returns false when the object cannot take focus.
    bool setFocus(DisplayObject* object);
    // Tab and Shift+Tab: the next focusable object by tabIndex, or by position when no
    // object has one. True if the focus moved.
    bool tabToNext(bool backwards);
    std::vector<DisplayObject*> tabOrder() const;
    // The yellow rectangle Flash draws around what the keyboard moved the focus to.
    bool focusRectVisible() const { return focusRect_ && focus() && !focus()->asTextField(); }

    // ---- dragging ----
    void startDrag(MovieClip& clip, bool lockCenter, std::optional<QRectF> bounds);
    void stopDrag();
    MovieClip* dragged() const;

    // ---- the way out ----
    void trace(const QString& line);
    // getURL: http(s) and mailto pages go to the host's browser; "_levelN" targets load the
    // movie into that level; javascript: and other schemes are ignored. A relative URL is
    // resolved against the movie's location.
    void getUrl(const QString& url, const QString& target);
    // fscommand: only quit, fullscreen, allowscale, showmenu and trapallkeys reach the host.
    void fsCommand(const QString& command, const QString& args);
    void statusMessage(const QString& text);
    // loadMovie/loadMovieNum/unloadMovie: read through the host (with the movie size limit)
    // and applied when the bytes arrive; a failed load leaves the target as it was.
    // finished, when given, hears how it ended once the movie is in place (or failed): the
    // bytes read, or false when nothing could be read or played.
    using LoadFinished = std::function<void(bool ok, qint64 bytes)>;
    void loadMovie(MovieClip& target, const QString& url, LoadFinished finished = {});
    void loadMovieNum(int level, const QString& url, LoadFinished finished = {});
    void unloadMovieNum(int level);
    // loadVariables and friends: done gets the bytes (or ok false), on a later frame.
    using Loaded = std::function<void(bool ok, const QByteArray& bytes)>;
    void loadData(const QString& url, Loaded done);
    static constexpr qint64 kMaxLoadedVariablesBytes = 16ll * 1024 * 1024;
    // Applies loads that completed; the Player calls it at the start of each frame.
    void applyFinishedLoads();

    // ---- the tree's own bookkeeping ----
    void clipCreated(MovieClip& clip);
    // "instance1", "instance2" ...: the names Flash gives clips placed without one.
    QString nextInstanceName() { return QStringLiteral("instance%1").arg(++instanceNames_); }
    // object (and everything under it) left the tree: it hears unload and its script side is
    // told once the queue has run.
    void objectLeft(DisplayObject& object);
    // A new node: Construct/Initialize now, Load queued. For clips made by the timeline and
    // by script alike.
    void objectJoined(DisplayObject& object);

private:
    struct PendingLoad;
    void collectRemoved();
    void updateHover(bool buttonChanged);
    // Moves object to a button state (0 up, 1 over, 2 down) and tells script of condition.
    void transition(DisplayObject& object, uint16_t condition, int state);
    // The sound DefineButtonSound gives the transition, heard as the button's parent's.
    void playButtonSound(Button& button, uint16_t condition);
    void afterInput();
    void moveDragged();
    bool focusable(DisplayObject& object) const;
    DisplayObject* topmostLeafAt(QPointF stageTwips) const;
    DisplayObject* mouseTargetAt(QPointF stageTwips) const;
    bool actsAsButton(DisplayObject& object) const;
    void broadcastClipEvent(uint32_t event, int keyCode = 0);
    void placeLoadedMovie(const std::shared_ptr<MovieClip>& target, int level,
                          std::shared_ptr<const Movie> movie);

    std::shared_ptr<const Movie> movie_;
    PlayerHost* host_ = nullptr;
    ScriptHost* script_ = nullptr;
    SoundHost* sound_ = nullptr;
    VideoHost* video_ = nullptr;
    std::map<int, std::shared_ptr<MovieClip>> levels_;
    QString movieUrl_;
    uint64_t tick_ = 1;
    bool mainLoops_ = true;
    RenderQuality quality_ = RenderQuality::High;
    int instanceNames_ = 0;
    bool started_ = false;

    // Clips in the order they were made; each frame walks it newest first.
    std::vector<std::weak_ptr<MovieClip>> execution_;
    std::vector<std::shared_ptr<DisplayObject>> leaving_;

    std::size_t instances_ = 0;
    std::size_t instanceBudget_ = kDefaultInstanceBudget;
    QString budgetError_;

    QPointF mouse_;
    bool mouseDown_ = false;
    bool mouseInside_ = false;
    std::set<int> keysDown_;
    int lastKey_ = 0;
    int lastAscii_ = 0;
    bool mouseHidden_ = false;
    std::weak_ptr<DisplayObject> hovered_;
    std::weak_ptr<DisplayObject> pressed_;
    std::weak_ptr<DisplayObject> focus_;
    bool focusRect_ = false;
    std::weak_ptr<MovieClip> dragged_;
    QPointF dragOffset_;
    std::optional<QRectF> dragBounds_;

    std::vector<std::shared_ptr<PendingLoad>> loads_;
    // Reads local files when no host was given (tests, tools).
    PlayerHost fallbackHost_;
};

} // namespace swf
