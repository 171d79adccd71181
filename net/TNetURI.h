#pragma once

#include <string>

namespace net {

struct TNetUrlParts {
    std::string Scheme;
    std::string Host;
    std::string Path;
    std::string Document;
    std::string Port;
    std::string Fragment;
};

class TNetURI {
public:
    // Splits without decoding: backslashes count as slashes, the query stays in Path and
    // Document as written, the fragment is cut off. An IPv6 literal host keeps its brackets
    // ("[::1]"), so it can go into a Host line as it is.
    static TNetUrlParts SplitUrl(const std::string& URL);
};

} // namespace net
