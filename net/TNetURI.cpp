#include "net/TNetURI.h"
#include "net/CutToken.h"

#include <algorithm>

namespace net {

TNetUrlParts TNetURI::SplitUrl(const std::string& URL) {
    TNetUrlParts parts;
    std::string text = URL;
    std::replace(text.begin(), text.end(), '\\', '/');

    const auto schemeEnd = text.find("://");
    if (schemeEnd != std::string::npos) {
        parts.Scheme = text.substr(0, schemeEnd);
        text.erase(0, schemeEnd + 3);
        std::string authority = CutToken(text, "/", true);
        if (!authority.empty() && authority.front() == '[' &&
            authority.find(']') != std::string::npos) {
            const auto close = authority.find(']');
            parts.Host = authority.substr(0, close + 1);
            std::string rest = authority.substr(close + 1);
            if (!rest.empty() && rest.front() == ':')
                parts.Port = rest.substr(1);
        } else {
            const auto colon = authority.find(':');
            parts.Host = authority.substr(0, colon);
            if (colon != std::string::npos)
                parts.Port = authority.substr(colon + 1);
        }
    }

    const auto lastSlash = text.rfind('/');
    if (lastSlash != std::string::npos) {
        parts.Path = text.substr(0, lastSlash + 1);
        parts.Document = text.substr(lastSlash + 1);
    } else {
        parts.Document = text;
    }
    if (parts.Path.empty() || parts.Path.front() != '/')
        parts.Path = std::string("/") + parts.Path;

    const auto hash = parts.Document.find('#');
    if (hash != std::string::npos) {
        parts.Fragment = parts.Document.substr(hash + 1);
        parts.Document.erase(hash);
    }
    return parts;
}

} // namespace net
