#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace net {

enum class TWorkMode { workRead, workWrite };

enum class TNetStatus {
    stResolving,
    stConnecting,
    stConnected,
    stDisconnecting,
    stDisconnected,
    stText
};

// Base of the network components: the status event and the nested progress spans that turn
// into the work events. Events run on whichever thread does the transfer.
class TNetComponent {
public:
    using TNetStatusEvent = std::function<void(TNetComponent& axSender, TNetStatus axStatus,
                                               const std::string& asStatusText)>;
    using TWorkBeginEvent =
        std::function<void(TNetComponent& Sender, TWorkMode AWorkMode, int64_t AWorkCountMax)>;
    using TWorkEvent =
        std::function<void(TNetComponent& Sender, TWorkMode AWorkMode, int64_t AWorkCount)>;
    using TWorkEndEvent = std::function<void(TNetComponent& Sender, TWorkMode AWorkMode)>;

    TNetComponent() = default;
    virtual ~TNetComponent() = default;
    TNetComponent(const TNetComponent&) = delete;
    TNetComponent& operator=(const TNetComponent&) = delete;

    TNetStatusEvent OnStatus;
    TWorkBeginEvent OnWorkBegin;
    TWorkEvent OnWork;
    TWorkEndEvent OnWorkEnd;

    void StartProgress(TWorkMode mode, int64_t max);
    void AdvanceProgress(TWorkMode mode, int64_t count);
    void FinishProgress(TWorkMode mode);
    void ReportStatus(TNetStatus kind, const std::string& argument = {});

    static std::string StatusText(TNetStatus kind, const std::string& argument);

private:
    struct Progress {
        int64_t position = 0;
        int64_t maximum = 0;
        int level = 0;
    };
    Progress progress_[2];
};

} // namespace net
