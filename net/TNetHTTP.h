#pragma once

#include "net/TNetHeaderInfo.h"
#include "net/TNetHeaderList.h"
#include "net/TNetTCPClient.h"
#include "net/TNetURI.h"

#include <atomic>
#include <functional>
#include <string>
#include <variant>
#include <vector>

namespace net {

class TNetStream;

enum class TNetHTTPProtocolVersion { pv1_0, pv1_1 };
enum class TNetHTTPMethod { rmHead, rmGet, rmPost };

class TNetHTTP;
using TNetHTTPOnRedirectEvent =
    std::function<void(TNetHTTP& Sender, std::string& dest, int& NumRedirect, bool& Handled)>;
// What a POST sends: lines (each sent with CR LF) or a stream from its start.
using TNetRequestSource =
    std::variant<std::monostate, const std::vector<std::string>*, TNetStream*>;

// The HTTP/1.0 and 1.1 client. One request at a time, on the calling thread, which also runs
// every event. A request that returns normally has received its whole body and a 2xx status;
// everything else (a broken transfer, a timeout, a bound broken, a non-2xx status, a TLS
// failure, a URL it will not fetch) raises. A gzip or deflate body arrives decoded.
//
// From a worker thread (TNetFileDownload keeps an unfinished file under NAME.part):
//     TNetFileDownload download(path);
//     try { download.Run(http, url); /* complete: offer to play */ }
//     catch (const std::exception&) { /* failed: NAME.part holds exactly what arrived */ }
// OnWorkBegin / OnWork / OnWorkEnd run on that worker and come once per counted body, once
// per chunk of a chunked body and once for a body read until close; OnWorkEnd also comes
// when a read fails. So OnWorkEnd never says "done": only DownloadTo returning does.
// Abort() may be called from any other thread to stop a transfer (e.g. on shutdown).
class TNetHTTP : public TNetTCPClient {
public:
    TNetHTTP();

    bool HandleRedirects = false;
    TNetHTTPProtocolVersion ProtocolVersion = TNetHTTPProtocolVersion::pv1_1;
    int RedirectMaximum = 15;
    TNetHeaderInfo Request{this};
    TNetHTTPOnRedirectEvent OnRedirect;

    // The last response.
    TNetHeaderInfo Reply{this};
    TNetHeaderList HeaderLines;
    int StatusCode = 0;
    std::string StatusLine;
    int RedirectDepth = 0;
    std::string HostName;
    std::string SchemeName;
    std::string TunnelHost;
    int TunnelPort = 0;
    std::string TunnelVersion;
    // Bounds on what a server can make a request wait for or hold. The header bounds cover
    // everything before the body: the status line and header lines of the response and of
    // any interim (1xx) replies before it, counted from the moment the request went out.
    // The trailer after a chunked body gets the same bounds of its own. A body must bring at
    // least MinTransferRate bytes a second, measured over every RateWindow milliseconds
    // (beside the connection's IdleTimeout for a silence). Times in milliseconds; 0 or less
    // turns a bound off. Each broken bound raises ENetLimitExceeded.
    std::size_t MaxHeaderBytes = 8u << 20;
    std::size_t MaxHeaderLines = 1000;
    int HeaderTimeout = 120000;
    int64_t MinTransferRate = 100;
    int RateWindow = 60000;
    // Largest body a gzip or deflate Content-Encoding may expand to (an SWF file cannot be
    // larger than its 32-bit length field).
    int64_t MaxDecodedSize = int64_t{1} << 32;

    // GET URL; the body goes into Stream from its current position.
    void DownloadTo(const std::string& URL, TNetStream& Stream);
    void Head(const std::string& URL);
    void Post(const std::string& URL, TNetRequestSource Source, TNetStream* Stream);

    // Raises ENetInvalidURL for a URL no request would be made for: another scheme than
    // http or https, a port outside 1 to 65535, no host. Every request checks this first;
    // callers may check before they prepare anything.
    void CheckURL(const std::string& URL) const;

    void PerformRequest(TNetHTTPMethod Method, const std::string& URL, TNetRequestSource Source,
                        TNetStream* Stream);
    bool SelectTarget(const std::string& Scheme, const std::string& Host, int Port);
    void ReadResponseHeaders();
    void ReadResponseBody(TNetStream* Stream);
    int64_t ReadChunkSize();
    bool ConfirmRedirect(std::string& Location, int Count);
    void OpenTunnel();

    static const char* VersionText(TNetHTTPProtocolVersion version);

protected:
    std::string interceptHostName() const override;

private:
    void performOnce(TNetHTTPMethod Method, const std::string& URL, TNetRequestSource Source,
                     TNetStream* Stream);
    void checkUrlParts(const TNetUrlParts& parts) const;
    void connectionDecision(bool closeAfter);
    // Reads header lines up to the empty line into lines, counting each against the bounds
    // of the header block under way (headerLinesRead_, headerBytesRead_).
    void readHeaderBlock(TNetHeaderList& lines, const char* what);
    void countHeaderLine(std::size_t length, const char* what);
    std::string hostLine(const std::string& scheme, int urlPort) const;
    std::string absoluteLocation(const std::string& location) const;
    bool responseHasNoBody() const;

    TNetHTTPMethod method_ = TNetHTTPMethod::rmGet;
    std::atomic<bool> busy_{false};
    std::string requestPath_;
    std::size_t headerLinesRead_ = 0;
    std::size_t headerBytesRead_ = 0;
};

} // namespace net
