#pragma once

// What a download worker shares with the commands that started it. Both hold it through a
// shared pointer, so it outlives whichever of them goes first: the worker and the client's
// progress events only ever touch this, never the commands or the window, and the commands
// are reached only through `commands` under the lock, which the commands clear before they
// go.

#include <atomic>
#include <cstdint>
#include <mutex>

namespace app {

class NetworkCommands;

struct DownloadLink {
    std::mutex mutex;
    NetworkCommands* commands = nullptr; // under `mutex`; null once the commands are going

    // The client's latest progress, written on the worker and shown by the commands' own
    // timer, so a fast transfer cannot flood the user-interface thread.
    std::atomic<uint64_t> runs{0}; // OnWorkBegin count: a new body or chunk began
    std::atomic<int64_t> workCountMax{0};
    std::atomic<int64_t> workCount{0};
};

} // namespace app
