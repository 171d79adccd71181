#pragma once

#include <cstdint>
#include <string>

namespace net {

class TNetHTTP;

// A download into a file that never passes for complete before it is. The body goes into
// NAME.part beside the target; only once the whole body has arrived with a 2xx status does
// that file take the target's name, replacing whatever was there. A transfer that fails (or
// a program killed half way) leaves the target as it was and NAME.part holding exactly what
// arrived; a .part file that received nothing is removed.
class TNetFileDownload {
public:
    explicit TNetFileDownload(std::string target);

    static std::string PartPathOf(const std::string& target) { return target + ".part"; }

    const std::string& Target() const { return target_; }
    const std::string& PartPath() const { return part_; }

    // Raises whatever DownloadTo raises, or std::runtime_error when the file cannot be
    // created, written or renamed (the network is not touched when it cannot be created).
    void Run(TNetHTTP& http, const std::string& url);

    // After Run raised: the bytes kept in PartPath(), 0 when no file was left behind.
    int64_t KeptBytes() const { return kept_; }

private:
    std::string target_;
    std::string part_;
    int64_t kept_ = 0;
};

} // namespace net
