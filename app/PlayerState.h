#pragma once

#include <QString>

namespace app {

// The player's program-wide playback state. Written on the user-interface thread only; a play
// worker reads the movie path after it was written and before the worker was created.
struct PlayerState {
    QString currentMoviePath;
    bool singleFileLoop = false;
    bool randomLoop = false;
    bool seekPressed = false;
    bool seekDragged = false;
};

} // namespace app
