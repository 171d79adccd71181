#include "net/TNetComponent.h"

namespace net {

void TNetComponent::StartProgress(TWorkMode mode, int64_t max) {
    Progress& p = progress_[static_cast<int>(mode)];
    if (++p.level == 1) {
        p.maximum = max;
        p.position = 0;
        if (OnWorkBegin)
            OnWorkBegin(*this, mode, max);
    }
}

void TNetComponent::AdvanceProgress(TWorkMode mode, int64_t count) {
    Progress& p = progress_[static_cast<int>(mode)];
    if (p.level >= 1) {
        p.position += count;
        if (OnWork)
            OnWork(*this, mode, p.position);
    }
}

void TNetComponent::FinishProgress(TWorkMode mode) {
    Progress& p = progress_[static_cast<int>(mode)];
    if (p.level == 1 && OnWorkEnd)
        OnWorkEnd(*this, mode);
    if (p.level > 0)
        --p.level;
}

std::string TNetComponent::StatusText(TNetStatus kind, const std::string& argument) {
    switch (kind) {
    case TNetStatus::stResolving:
        return "Resolving hostname " + argument + ".";
    case TNetStatus::stConnecting:
        return "Connecting to " + argument + ".";
    case TNetStatus::stConnected:
        return "Connected.";
    case TNetStatus::stDisconnecting:
        return "Disconnecting from " + argument + ".";
    case TNetStatus::stDisconnected:
        return "Not connected.";
    case TNetStatus::stText:
        return argument;
    }
    return argument;
}

void TNetComponent::ReportStatus(TNetStatus kind, const std::string& argument) {
    if (OnStatus)
        OnStatus(*this, kind, StatusText(kind, argument));
}

} // namespace net
