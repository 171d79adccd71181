#include "net/TNetHTTP.h"
#include "net/CutToken.h"
#include "net/ENetException.h"
#include "net/TNetInflateStream.h"
#include "net/TNetSSLConnectionIntercept.h"
#include "net/TNetStream.h"
#include "net/TNetURI.h"

#include <algorithm>
#include <charconv>
#include <optional>

namespace net {

namespace {

int statusNumber(const std::string& text) {
    int value = 0;
    const char* end = text.data() + text.size();
    const auto result = std::from_chars(text.data(), end, value);
    if (text.empty() || result.ec != std::errc() || result.ptr != end)
        throw EConvertError(text);
    return value;
}

bool isControl(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte <= 0x20 || byte == 0x7F;
}

bool hasControlBytes(const std::string& text) {
    return std::any_of(text.begin(), text.end(), isControl);
}

std::string escapeControlBytes(const std::string& text) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (const char c : text) {
        if (isControl(c)) {
            const auto byte = static_cast<unsigned char>(c);
            out += '%';
            out += kHex[byte >> 4];
            out += kHex[byte & 15];
        } else {
            out += c;
        }
    }
    return out;
}

// The port of a URL, -1 when it names none. A port that cannot be one is refused: quietly
// going to port 80 instead would fetch from a server nobody asked for.
int portNumber(const std::string& text) {
    if (text.empty())
        return -1;
    int value = 0;
    const char* end = text.data() + text.size();
    const auto result = std::from_chars(text.data(), end, value);
    if (result.ec != std::errc() || result.ptr != end || value < 1 || value > 65535)
        throw ENetInvalidURL("Invalid port in URL; ports go from 1 to 65535.");
    return value;
}

std::string durationText(int ms) {
    if (ms % 1000 == 0)
        return std::to_string(ms / 1000) + (ms == 1000 ? " second" : " seconds");
    return std::to_string(ms) + " milliseconds";
}

// Header values are the server's text; only a short, printable piece goes into a message.
std::string quoted(const std::string& text) {
    std::string out;
    for (const char c : text.substr(0, 64))
        out += isControl(c) && c != ' ' ? '?' : c;
    return "\"" + out + (text.size() > 64 ? "...\"" : "\"");
}

// Whatever ends a request, the bounds of its phases end with it.
class PhaseBounds {
public:
    explicit PhaseBounds(TNetTCPConnection& connection) : connection_(connection) {}
    ~PhaseBounds() {
        connection_.ClearDeadline();
        connection_.StopRateWatch();
    }
    PhaseBounds(const PhaseBounds&) = delete;
    PhaseBounds& operator=(const PhaseBounds&) = delete;

private:
    TNetTCPConnection& connection_;
};

// A body nobody asked to keep still has to leave the connection.
class DiscardStream final : public TNetStream {
public:
    int64_t Position() const override { return position_; }
    void SetPosition(int64_t position) override { position_ = position; }
    int64_t Size() const override { return position_; }
    void SetSize(int64_t) override {}
    void Write(const char*, std::size_t count) override {
        position_ += static_cast<int64_t>(count);
    }
    std::size_t Read(char*, std::size_t) override { return 0; }

private:
    int64_t position_ = 0;
};

} // namespace

TNetHTTP::TNetHTTP() {
    Port = 80;
}

const char* TNetHTTP::VersionText(TNetHTTPProtocolVersion version) {
    return version == TNetHTTPProtocolVersion::pv1_0 ? "1.0" : "1.1";
}

void TNetHTTP::DownloadTo(const std::string& URL, TNetStream& Stream) {
    PerformRequest(TNetHTTPMethod::rmGet, URL, {}, &Stream);
}

void TNetHTTP::Head(const std::string& URL) {
    PerformRequest(TNetHTTPMethod::rmHead, URL, {}, nullptr);
}

void TNetHTTP::Post(const std::string& URL, TNetRequestSource Source, TNetStream* Stream) {
    PerformRequest(TNetHTTPMethod::rmPost, URL, Source, Stream);
}

void TNetHTTP::PerformRequest(TNetHTTPMethod Method, const std::string& URL,
                              TNetRequestSource Source, TNetStream* Stream) {
    // Two threads in one client would share one socket and one input buffer; the second is
    // turned away instead.
    if (busy_.exchange(true))
        throw ENetClientBusy();
    struct Release {
        std::atomic<bool>& flag;
        ~Release() { flag = false; }
    } release{busy_};
    PhaseBounds bounds(*this);
    try {
        performOnce(Method, URL, Source, Stream);
    } catch (const ENetProtocolReplyError&) {
        // The whole reply was read, so the connection is still in step.
        RedirectDepth = 0;
        throw;
    } catch (...) {
        // Anything else may leave part of a reply unread; the connection cannot be reused.
        RedirectDepth = 0;
        try {
            CloseConnection();
        } catch (...) {
        }
        throw;
    }
}

void TNetHTTP::performOnce(TNetHTTPMethod Method, const std::string& URL, TNetRequestSource Source,
                           TNetStream* Stream) {
    ++RedirectDepth;
    method_ = Method;
    // A URL pasted from the clipboard often brings a line break along; inside the request it
    // would end the request line early, so the ends are trimmed and control bytes escaped.
    const TNetUrlParts parts = TNetURI::SplitUrl(TrimBlanks(URL));
    checkUrlParts(parts);
    const int urlPort = portNumber(parts.Port);
    requestPath_ = escapeControlBytes(parts.Path);
    std::string target = requestPath_ + escapeControlBytes(parts.Document);
    std::string host;
    if (SelectTarget(parts.Scheme, parts.Host, urlPort)) {
        const std::string scheme = parts.Scheme.empty() ? SchemeName : parts.Scheme;
        host = hostLine(scheme, urlPort);
        // The port stays in the absolute target: without it the proxy would go to port 80.
        target = scheme + "://" + (parts.Host.empty() ? HostName : parts.Host) +
                 (urlPort >= 0 ? ":" + std::to_string(urlPort) : std::string()) + target;
    } else {
        host = hostLine(InterceptEnabled ? "https" : "http", Port);
    }

    CheckPeerClosed(false, false);
    if (IsConnected()) {
        // A kept-alive connection the server has since closed is noticed here and replaced,
        // instead of failing the request that would have gone out on it.
        CheckPeerClosedQuietly(false);
        input_.Clear();
    }
    if (!IsConnected())
        OpenConnection();

    HeaderLines.Clear();
    if (Method == TNetHTTPMethod::rmPost) {
        if (const auto* lines = std::get_if<const std::vector<std::string>*>(&Source);
            lines && *lines) {
            int64_t length = 0;
            for (const auto& line : **lines)
                length += static_cast<int64_t>(line.size()) + 2;
            Request.ContentLength = length;
        } else if (auto* stream = std::get_if<TNetStream*>(&Source); stream && *stream) {
            Request.ContentLength = (*stream)->Size();
        } else {
            throw ENetObjectTypeNotSupported();
        }
    } else {
        Request.ContentLength = 0;
    }
    Request.WriteTo(HeaderLines);

    // The request goes out in one send: the same bytes as line by line, without waiting on
    // the peer's acknowledgements between small segments.
    static const char* const kVerbs[] = {"HEAD ", "GET ", "POST "};
    std::string head = kVerbs[static_cast<int>(Method)] + target + " HTTP/" +
                       VersionText(ProtocolVersion) + "\r\n";
    head += "Host: " + host + "\r\n";
    head += HeaderLines.Text();
    head += "\r\n";
    WriteText(head);

    if (Method == TNetHTTPMethod::rmPost) {
        if (const auto* lines = std::get_if<const std::vector<std::string>*>(&Source);
            lines && *lines)
            SendLines(**lines);
        else if (auto* stream = std::get_if<TNetStream*>(&Source); stream && *stream)
            SendStream(**stream, true, 0);
    }

    bool closeAfter = false;
    // An interim "100 Continue" (or other 1xx but a protocol switch) comes before the real
    // answer and carries no body; it is skipped. However many come, they share the bounds
    // of one header.
    SetDeadline(HeaderTimeout,
                "No complete response header within " + durationText(HeaderTimeout) + ".");
    headerLinesRead_ = 0;
    headerBytesRead_ = 0;
    do {
        StatusLine = ReadLine();
        countHeaderLine(StatusLine.size(), "Response header");
        closeAfter = StatusLine.size() >= 8 && SameText(StatusLine.substr(5, 3), "1.0");
        CutToken(StatusLine, " ", true);
        std::string rest = StatusLine;
        StatusCode = statusNumber(CutToken(rest, " ", true));
        ReadResponseHeaders();
    } while (StatusCode / 100 == 1 && StatusCode != 101);
    ClearDeadline();

    // Only a 3xx status redirects. A Location beside a 2xx names the resource made or found
    // (201 Created, a 200 from a content server) and the body at hand is still the answer.
    const bool redirect = StatusCode / 100 == 3 && StatusCode != 304;
    if (redirect) {
        ReadResponseBody(Stream);
        std::string location = Reply.Location;
        if (HandleRedirects && RedirectDepth < RedirectMaximum) {
            if (location.empty())
                throw ENetProtocolReplyError(StatusCode, StatusLine); // nowhere to go
            if (Stream)
                Stream->SetPosition(0);
            if (ConfirmRedirect(location, RedirectDepth)) {
                if (ProtocolVersion == TNetHTTPProtocolVersion::pv1_0 || closeAfter)
                    CloseConnection();
                performOnce(Method, absoluteLocation(location), Source, Stream);
            }
        } else {
            // Out of redirects while following them: the body at hand is a redirect page,
            // not what was asked for, so it must not pass as success.
            if (HandleRedirects || !ConfirmRedirect(location, RedirectDepth))
                throw ENetProtocolReplyError(StatusCode, StatusLine);
            Reply.Location = location;
        }
    } else {
        ReadResponseBody(Stream);
        if (StatusCode / 100 != 2) {
            if (InterceptEnabled)
                CloseConnection();
            throw ENetProtocolReplyError(StatusCode, StatusLine);
        }
    }
    connectionDecision(closeAfter);
    RedirectDepth = 0;
}

void TNetHTTP::CheckURL(const std::string& URL) const {
    checkUrlParts(TNetURI::SplitUrl(TrimBlanks(URL)));
}

void TNetHTTP::checkUrlParts(const TNetUrlParts& parts) const {
    if (hasControlBytes(parts.Host) || hasControlBytes(parts.Scheme))
        throw ENetInvalidURL("Invalid URL.");
    if (!parts.Scheme.empty() && !SameText(parts.Scheme, "http") &&
        !SameText(parts.Scheme, "https"))
        throw ENetInvalidURL("Unsupported URL scheme " + quoted(parts.Scheme) +
                             "; only http and https are fetched.");
    // A URL without a scheme goes to the host of the request before it; with neither there
    // is nobody to ask.
    if (parts.Host.empty() && (!parts.Scheme.empty() || Host.empty()))
        throw ENetInvalidURL("Invalid URL: it names no host.");
    portNumber(parts.Port);
}

void TNetHTTP::connectionDecision(bool closeAfter) {
    if (ProtocolVersion == TNetHTTPProtocolVersion::pv1_0 || closeAfter)
        CloseConnection();
    else if (SameText(TrimBlanks(Reply.Connection), "CLOSE") && IsConnected())
        CloseConnection();
    else
        CheckPeerClosedQuietly(false);
}

std::string TNetHTTP::absoluteLocation(const std::string& location) const {
    if (location.find("://") != std::string::npos)
        return location;
    // A relative location is relative to the request just made, not to port 80.
    const std::string scheme = SchemeName.empty() ? "http" : SchemeName;
    const int defaultPort = SameText(scheme, "https") ? 443 : 80;
    std::string base = scheme + "://" + HostName;
    if (Port != defaultPort)
        base += ":" + std::to_string(Port);
    if (!location.empty() && (location.front() == '/' || location.front() == '\\'))
        return base + location;
    return base + requestPath_ + location;
}

bool TNetHTTP::SelectTarget(const std::string& Scheme, const std::string& Host, int aPort) {
    const bool https = SameText(Scheme, "HTTPS");
    auto* ssl = dynamic_cast<TNetSSLConnectionIntercept*>(Intercept.get());
    auto moveTo = [this](const std::string& host, int port) {
        if ((!SameText(this->Host, host) || this->Port != port) && IsConnected())
            CloseConnection();
        this->Host = host;
        this->Port = port;
    };
    // Switching between plain and TLS never reuses the connection of the other kind.
    auto setTls = [this](bool on) {
        if (InterceptEnabled != on && IsConnected())
            CloseConnection();
        InterceptEnabled = on;
    };

    if (!Request.ProxyServer.empty()) {
        moveTo(Request.ProxyServer, Request.ProxyPort);
        if (!Host.empty())
            HostName = Host;
        if (!Scheme.empty())
            SchemeName = Scheme;
        TunnelHost = Host;
        TunnelPort = aPort == -1 ? 443 : aPort;
        TunnelVersion = VersionText(ProtocolVersion);
        if (ssl)
            ssl->OnConnect = [this] { OpenTunnel(); };
        setTls(https && ssl);
        return true;
    }

    if (https && !ssl)
        throw ENetInterceptPropInvalid();
    if (ssl)
        ssl->OnConnect = nullptr;
    setTls(https);
    if (!Host.empty()) {
        if ((!SameText(this->Host, Host) || this->Port != aPort) && IsConnected())
            CloseConnection();
        this->Host = Host;
        HostName = Host;
        if (!Scheme.empty())
            SchemeName = Scheme;
    } else {
        HostName = this->Host;
    }
    Port = aPort == -1 ? (https ? 443 : 80) : aPort;
    return false;
}

std::string TNetHTTP::interceptHostName() const {
    return Request.ProxyServer.empty() || TunnelHost.empty() ? Host : TunnelHost;
}

void TNetHTTP::OpenTunnel() {
    InterceptEnabled = false;
    WriteText("CONNECT " + TunnelHost + ":" + std::to_string(TunnelPort) + " HTTP/" +
              TunnelVersion + "\r\n\r\n");
    // The proxy's answer: a status line and headers up to an empty line.
    headerLinesRead_ = 0;
    headerBytesRead_ = 0;
    SetDeadline(HeaderTimeout,
                "No complete proxy answer within " + durationText(HeaderTimeout) + ".");
    std::string status = ReadLine();
    TNetHeaderList answer;
    readHeaderBlock(answer, "Proxy answer");
    ClearDeadline();
    InterceptEnabled = true;
    CutToken(status, " ", true);
    std::string rest = status;
    const int code = statusNumber(CutToken(rest, " ", true));
    if (code / 100 != 2)
        throw ENetProtocolReplyError(code, status);
}

bool TNetHTTP::ConfirmRedirect(std::string& Location, int Count) {
    bool handled = HandleRedirects;
    if (OnRedirect) {
        int copy = Count;
        OnRedirect(*this, Location, copy, handled);
    }
    return handled;
}

void TNetHTTP::ReadResponseHeaders() {
    HeaderLines.Clear();
    readHeaderBlock(HeaderLines, "Response header");
    Reply.ParseFrom(HeaderLines);
}

void TNetHTTP::countHeaderLine(std::size_t length, const char* what) {
    headerBytesRead_ += length;
    if (headerBytesRead_ > MaxHeaderBytes)
        throw ENetProtocolError(std::string(what) + " too long.");
    if (++headerLinesRead_ > MaxHeaderLines)
        throw ENetLimitExceeded(std::string(what) + " has more than " +
                                std::to_string(MaxHeaderLines) + " lines.");
}

void TNetHTTP::readHeaderBlock(TNetHeaderList& lines, const char* what) {
    for (;;) {
        std::string line = ReadLine();
        if (line.empty())
            break;
        countHeaderLine(line.size(), what);
        lines.Add(line);
    }
}

std::string TNetHTTP::hostLine(const std::string& scheme, int port) const {
    // Name-based virtual hosts tell their sites apart by this line, so a server on any port
    // but the scheme's own must see the port here too.
    const int defaultPort = SameText(scheme, "https") ? 443 : 80;
    if (port < 0 || port == defaultPort)
        return HostName;
    return HostName + ":" + std::to_string(port);
}

bool TNetHTTP::responseHasNoBody() const {
    // These never carry a body whatever their headers say; waiting for one would hang on a
    // kept-alive connection.
    return method_ == TNetHTTPMethod::rmHead || StatusCode / 100 == 1 || StatusCode == 204 ||
           StatusCode == 304 || (Reply.HasContentLength && Reply.ContentLength == 0);
}

void TNetHTTP::ReadResponseBody(TNetStream* Stream) {
    DiscardStream discard;
    TNetStream& target = Stream ? *Stream : discard;
    if (responseHasNoBody()) {
        if (target.Size() > target.Position())
            target.SetSize(target.Position());
        return;
    }

    // A compressed body is stored as what it stands for; a coding we cannot undo is never
    // stored as if it were the file. An error page keeps its bytes as they came.
    std::optional<TNetInflateStream> inflater;
    if (Stream) {
        switch (TNetInflateStream::CodingOf(Reply.ContentEncoding)) {
        case TNetInflateStream::Coding::Identity:
            break;
        case TNetInflateStream::Coding::Gzip:
            inflater.emplace(target, TNetInflateStream::Format::Gzip, MaxDecodedSize);
            break;
        case TNetInflateStream::Coding::Deflate:
            inflater.emplace(target, TNetInflateStream::Format::Deflate, MaxDecodedSize);
            break;
        case TNetInflateStream::Coding::Unsupported:
            if (StatusCode / 100 == 2)
                throw ENetProtocolError("Unsupported Content-Encoding " +
                                        quoted(Reply.ContentEncoding) + ".");
            break;
        }
    }
    TNetStream& sink = inflater ? static_cast<TNetStream&>(*inflater) : target;

    StartRateWatch(MinTransferRate, RateWindow,
                   "Transfer too slow: fewer than " + std::to_string(MinTransferRate) +
                       " bytes a second over " + durationText(RateWindow) + ".");
    const std::string encoding = UpperCase(Reply.ExtraHeaders.ValueOf("Transfer-Encoding"));
    // Chunked framing wins over a length sent beside it; the length would count the framing.
    if (encoding.find("CHUNKED") != std::string::npos) {
        ReportStatus(TNetStatus::stText, "Chunk Started");
        for (;;) {
            const int64_t size = ReadChunkSize();
            if (size <= 0)
                break;
            ReadBodyInto(sink, size, false);
            ReadLine();
        }
        StopRateWatch();
        if (inflater)
            inflater->Finish();
        // Trailer lines, if any, up to the empty line that ends the message; they are not
        // used, but a server must not be able to send them for ever.
        SetDeadline(HeaderTimeout,
                    "No complete chunk trailer within " + durationText(HeaderTimeout) + ".");
        headerLinesRead_ = 0;
        headerBytesRead_ = 0;
        TNetHeaderList trailer;
        readHeaderBlock(trailer, "Chunk trailer");
        ClearDeadline();
        if (target.Size() > target.Position())
            target.SetSize(target.Position());
        return;
    }
    if (Reply.ContentLength != 0)
        ReadBodyInto(sink, Reply.ContentLength, false);
    else
        ReadBodyInto(sink, -1, true);
    StopRateWatch();
    if (inflater)
        inflater->Finish();
}

int64_t TNetHTTP::ReadChunkSize() {
    std::string line = ReadLine();
    // An extension after ";" and blanks round the number are not part of the size.
    std::string digits = TrimBlanks(CutToken(line, ";", false));
    digits = CutToken(digits, " ", false);
    digits = CutToken(digits, "\t", false);
    int64_t size = 0;
    const char* end = digits.data() + digits.size();
    const auto result = std::from_chars(digits.data(), end, size, 16);
    if (digits.empty() || result.ec != std::errc() || result.ptr != end || size < 0)
        throw ENetProtocolError("Invalid chunk size.");
    return size;
}

} // namespace net
