#pragma once

#include "net/HttpDate.h"
#include "net/TNetHeaderList.h"

#include <cstdint>
#include <string>

namespace net {

class TNetHTTP;

// The named header fields of one direction (what we send, or what came back) plus a list
// for all others.
class TNetHeaderInfo {
public:
    explicit TNetHeaderInfo(TNetHTTP* owner = nullptr) : Owner(owner) { RestoreDefaults(); }

    std::string Accept;
    std::string AcceptCharSet;
    std::string AcceptEncoding;
    std::string AcceptLanguage;
    std::string Connection;
    std::string ContentEncoding;
    std::string ContentLanguage;
    int64_t ContentLength = 0;
    uint64_t ContentRangeEnd = 0;
    uint64_t ContentRangeStart = 0;
    std::string ContentType;
    std::string ContentVersion;
    TDateTime Date = 0;
    TDateTime Expires = 0;
    TNetHeaderList ExtraHeaders;
    std::string From;
    TDateTime LastModified = 0;
    std::string Location;
    std::string Password;
    std::string ProxyAuthenticate;
    std::string ProxyPassword;
    int ProxyPort = 0;
    std::string ProxyServer;
    std::string ProxyUsername;
    std::string Referer;
    std::string Server;
    std::string UserAgent;
    std::string Username;
    std::string WWWAuthenticate;
    TNetHTTP* Owner = nullptr;

    // Set by ParseFrom: a Content-Length line was there and read as a length (0 included),
    // which is how an empty body is told from one that runs until the server closes.
    bool HasContentLength = false;

    void RestoreDefaults();
    void WriteTo(TNetHeaderList& Lines) const;
    void ParseFrom(TNetHeaderList& Lines);

    static std::string Base64(const std::string& bytes);
};

} // namespace net
