#include "net/TNetHTTP.h"
#include "net/CutToken.h"
#include "net/ENetException.h"
#include "net/TNetSSLConnectionIntercept.h"
#include "net/TNetStream.h"
#include "net/TNetURI.h"

#include <algorithm>
#include <charconv>

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

int portNumber(const std::string& text) {
    int value = 0;
    const char* end = text.data() + text.size();
    const auto result = std::from_chars(text.data(), end, value);
    if (text.empty() || result.ec != std::errc() || result.ptr != end || value < 0 || value > 65535)
        return -1;
    return value;
}

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
    if (hasControlBytes(parts.Host) || hasControlBytes(parts.Scheme))
        throw ENetProtocolError("Invalid URL.");
    requestPath_ = escapeControlBytes(parts.Path);
    std::string target = requestPath_ + escapeControlBytes(parts.Document);
    if (SelectTarget(parts.Scheme, parts.Host, portNumber(parts.Port))) {
        // The port stays in the absolute target: without it the proxy would go to port 80.
        const int port = portNumber(parts.Port);
        target = (parts.Scheme.empty() ? SchemeName : parts.Scheme) + "://" +
                 (parts.Host.empty() ? HostName : parts.Host) +
                 (port >= 0 ? ":" + std::to_string(port) : std::string()) + target;
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
    head += "Host: " + HostName + "\r\n";
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
    // answer and carries no body; it is skipped.
    do {
        StatusLine = ReadLine();
        closeAfter = StatusLine.size() >= 8 && SameText(StatusLine.substr(5, 3), "1.0");
        CutToken(StatusLine, " ", true);
        std::string rest = StatusLine;
        StatusCode = statusNumber(CutToken(rest, " ", true));
        ReadResponseHeaders();
    } while (StatusCode / 100 == 1 && StatusCode != 101);

    const bool redirect = (StatusCode / 100 == 3 && StatusCode != 304) || !Reply.Location.empty();
    if (redirect) {
        ReadResponseBody(Stream);
        std::string location = Reply.Location;
        if (HandleRedirects && RedirectDepth < RedirectMaximum) {
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
    std::string status = ReadLine();
    while (!ReadLine().empty()) {
    }
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
    std::size_t total = 0;
    for (;;) {
        std::string line = ReadLine();
        if (line.empty())
            break;
        total += line.size();
        if (total > MaxHeaderBytes)
            throw ENetProtocolError("Response header too long.");
        HeaderLines.Add(line);
    }
    Reply.ParseFrom(HeaderLines);
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
    const std::string encoding = UpperCase(Reply.ExtraHeaders.ValueOf("Transfer-Encoding"));
    // Chunked framing wins over a length sent beside it; the length would count the framing.
    if (encoding.find("CHUNKED") != std::string::npos) {
        ReportStatus(TNetStatus::stText, "Chunk Started");
        for (;;) {
            const int64_t size = ReadChunkSize();
            if (size <= 0)
                break;
            ReadBodyInto(target, size, false);
            ReadLine();
        }
        // Trailer lines, if any, up to the empty line that ends the message.
        while (!ReadLine().empty()) {
        }
        if (target.Size() > target.Position())
            target.SetSize(target.Position());
    } else if (Reply.ContentLength != 0) {
        ReadBodyInto(target, Reply.ContentLength, false);
    } else {
        ReadBodyInto(target, -1, true);
    }
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
