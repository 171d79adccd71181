#pragma once

#include "net/TNetHeaderInfo.h"
#include "net/TNetHeaderList.h"
#include "net/TNetTCPClient.h"

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
// everything else (a broken transfer, a timeout, a non-2xx status, a TLS failure) raises.
//
// From a worker thread:
//     TNetFileStream file(path, TNetFileStream::Mode::Create);
//     try { http.DownloadTo(url, file); /* complete: offer to play */ }
//     catch (const std::exception&) { /* failed: file holds exactly what arrived */ }
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
    // Upper bound of the whole header block of a response.
    std::size_t MaxHeaderBytes = 8u << 20;

    // GET URL; the body goes into Stream from its current position.
    void DownloadTo(const std::string& URL, TNetStream& Stream);
    void Head(const std::string& URL);
    void Post(const std::string& URL, TNetRequestSource Source, TNetStream* Stream);

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
    void connectionDecision(bool closeAfter);
    std::string absoluteLocation(const std::string& location) const;
    bool responseHasNoBody() const;

    TNetHTTPMethod method_ = TNetHTTPMethod::rmGet;
    std::atomic<bool> busy_{false};
    std::string requestPath_;
};

} // namespace net
