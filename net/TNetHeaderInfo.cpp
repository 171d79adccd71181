#include "net/TNetHeaderInfo.h"
#include "net/CutToken.h"
#include "net/ENetException.h"

#include <charconv>

namespace net {

namespace {

// A whole-text decimal, or nothing.
bool readDecimal(const std::string& text, int64_t& value) {
    if (text.empty())
        return false;
    const char* end = text.data() + text.size();
    const auto result = std::from_chars(text.data(), end, value);
    return result.ec == std::errc() && result.ptr == end;
}

uint64_t convertUnsigned(const std::string& text) {
    int64_t value = 0;
    if (!readDecimal(text, value) || value < 0)
        throw EConvertError(text);
    return static_cast<uint64_t>(value);
}

// "5" and "05" are one length; texts that are no number must match as they stand.
bool sameLength(const std::string& a, const std::string& b) {
    int64_t x = 0;
    int64_t y = 0;
    if (readDecimal(a, x) && readDecimal(b, y))
        return x == y;
    return a == b;
}

// Reads a header into a field and takes it (with its continuations) out of the list.
std::string takeValue(TNetHeaderList& lines, const std::string& name) {
    const std::string value = lines.ValueOf(name);
    lines.StoreValue(name, {});
    return value;
}

} // namespace

void TNetHeaderInfo::RestoreDefaults() {
    AcceptCharSet.clear();
    AcceptEncoding.clear();
    AcceptLanguage.clear();
    Connection.clear();
    ContentEncoding.clear();
    ContentLanguage.clear();
    ContentLength = 0;
    ContentRangeEnd = 0;
    ContentRangeStart = 0;
    ContentType.clear();
    ContentVersion.clear();
    Date = 0;
    Expires = 0;
    ExtraHeaders.Clear();
    From.clear();
    LastModified = 0;
    Location.clear();
    Password.clear();
    ProxyAuthenticate.clear();
    ProxyPassword.clear();
    ProxyPort = 0;
    ProxyServer.clear();
    ProxyUsername.clear();
    Referer.clear();
    Server.clear();
    Username.clear();
    WWWAuthenticate.clear();
    HasContentLength = false;
    Accept = "text/html, */*";
    UserAgent = "Mozilla/3.0 (compatible; Quarvel Library)";
}

void TNetHeaderInfo::WriteTo(TNetHeaderList& Lines) const {
    Lines.Clear();
    auto add = [&Lines](const char* name, const std::string& value) {
        if (!value.empty())
            Lines.Add(std::string(name) + ": " + value);
    };
    add("Accept", Accept);
    add("Accept-Charset", AcceptCharSet);
    add("Accept-Encoding", AcceptEncoding);
    add("Accept-Language", AcceptLanguage);
    add("From", From);
    add("Referer", Referer);
    add("User-Agent", UserAgent);
    add("Connection", Connection);
    add("Content-Version", ContentVersion);
    add("Content-Encoding", ContentEncoding);
    add("Content-Language", ContentLanguage);
    add("Content-Type", ContentType);
    if (ContentLength != 0)
        Lines.Add("Content-Length: " + std::to_string(ContentLength));
    if (ContentRangeStart != 0 || ContentRangeEnd != 0) {
        std::string range = "Range: bytes=" + std::to_string(ContentRangeStart) + "-";
        if (ContentRangeEnd != 0)
            range += std::to_string(ContentRangeEnd);
        Lines.Add(range);
    }
    if (!Username.empty())
        Lines.Add("Authorization: Basic " + Base64(Username + ":" + Password));
    if (!ProxyServer.empty() && !ProxyUsername.empty())
        Lines.Add("Proxy-Authorization: Basic " + Base64(ProxyUsername + ":" + ProxyPassword));
    for (const auto& line : ExtraHeaders.Lines())
        Lines.Add(line);
}

void TNetHeaderInfo::ParseFrom(TNetHeaderList& Lines) {
    ExtraHeaders.Clear();
    Location = takeValue(Lines, "Location");
    Server = takeValue(Lines, "Server");
    Connection = takeValue(Lines, "Connection");
    ContentVersion = takeValue(Lines, "Content-Version");
    WWWAuthenticate = takeValue(Lines, "WWWAuthenticate");
    ContentEncoding = takeValue(Lines, "Content-Encoding");
    ContentLanguage = takeValue(Lines, "Content-Language");
    ContentType = takeValue(Lines, "Content-Type");

    // Every Content-Length line, and every value of a comma list in one, must agree: with two
    // different lengths nobody can tell where the body ends, and a guess could store the
    // wrong bytes or read the next response into this one.
    std::string length;
    bool lengthPresent = false;
    while (Lines.FindName("Content-Length") >= 0) {
        std::string values = takeValue(Lines, "Content-Length");
        do {
            const std::string value = TrimBlanks(CutToken(values, ",", true));
            if (lengthPresent && !sameLength(value, length))
                throw ENetProtocolError("Conflicting Content-Length values.");
            length = value;
            lengthPresent = true;
        } while (!values.empty());
    }
    int64_t parsed = 0;
    // A negative or unreadable length is no length at all.
    HasContentLength = lengthPresent && readDecimal(length, parsed) && parsed >= 0;
    ContentLength = HasContentLength ? parsed : 0;

    if (Lines.FindName("Content-Range") >= 0) {
        std::string range = takeValue(Lines, "Content-Range");
        CutToken(range, " ", true);
        ContentRangeStart = convertUnsigned(TrimBlanks(CutToken(range, "-", true)));
        ContentRangeEnd = convertUnsigned(TrimBlanks(CutToken(range, "/", true)));
    }
    Date = ReadHttpDate(takeValue(Lines, "Date"));
    LastModified = ReadHttpDate(takeValue(Lines, "Last-Modified"));
    Expires = ReadHttpDate(takeValue(Lines, "Expires"));
    ProxyAuthenticate = takeValue(Lines, "Proxy-Authenticate");
    for (const auto& line : Lines.Lines())
        ExtraHeaders.Add(line);
}

std::string TNetHeaderInfo::Base64(const std::string& bytes) {
    static constexpr char kAlphabet[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    out.reserve((bytes.size() + 2) / 3 * 4);
    std::size_t i = 0;
    for (; i + 2 < bytes.size(); i += 3) {
        const uint32_t v = static_cast<uint8_t>(bytes[i]) << 16 |
                           static_cast<uint8_t>(bytes[i + 1]) << 8 |
                           static_cast<uint8_t>(bytes[i + 2]);
        out += kAlphabet[v >> 18 & 63];
        out += kAlphabet[v >> 12 & 63];
        out += kAlphabet[v >> 6 & 63];
        out += kAlphabet[v & 63];
    }
    if (i + 1 == bytes.size()) {
        const uint32_t v = static_cast<uint8_t>(bytes[i]) << 16;
        out += kAlphabet[v >> 18 & 63];
        out += kAlphabet[v >> 12 & 63];
        out += "==";
    } else if (i + 2 == bytes.size()) {
        const uint32_t v = static_cast<uint8_t>(bytes[i]) << 16 | static_cast<uint8_t>(bytes[i + 1])
                                                                      << 8;
        out += kAlphabet[v >> 18 & 63];
        out += kAlphabet[v >> 12 & 63];
        out += kAlphabet[v >> 6 & 63];
        out += '=';
    }
    return out;
}

} // namespace net
