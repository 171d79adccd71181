// netget URL FILE: downloads URL into FILE with the player's own HTTP client, the way its
// download command does (no redirects followed, HTTPS verified), and prints the status line.
// The bytes go into FILE.part until the whole body is there; a failed transfer leaves FILE
// as it was and says how much of it FILE.part holds.
#include "net/ENetException.h"
#include "net/TNetFileDownload.h"
#include "net/TNetHTTP.h"
#include "net/TNetSSLConnectionIntercept.h"

#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <exception>
#include <limits>
#include <memory>
#include <optional>
#include <string>

namespace {

int usage(const char* problem = nullptr) {
    if (problem)
        std::fprintf(stderr, "netget: %s\n", problem);
    std::fprintf(stderr,
                 "usage: netget [OPTIONS] URL FILE\n"
                 "  --ca FILE                also trust the authorities in this PEM file\n"
                 "  --timeout SECONDS        give up after this long without a byte (60)\n"
                 "  --header-timeout SECONDS give up when the response header takes longer "
                 "(120)\n"
                 "  --min-rate BYTES         give up when the body brings fewer bytes a second "
                 "(100)\n"
                 "  --rate-window SECONDS    ...measured over this long (60)\n"
                 "  A time of 0 waits without limit; a rate of 0 accepts any speed. The\n"
                 "  TLS handshake gets the header time too (60 unless given).\n"
                 "The body goes into FILE.part, which becomes FILE once it is complete.\n");
    return 2;
}

// Whole or decimal seconds ("2", "0.25") as milliseconds. Values beyond what a wait can take
// are clamped to the longest one (about 24 days) instead of wrapping round to a short or
// negative time; anything that is not a plain non-negative number is refused.
std::optional<int> parseSeconds(const std::string& text) {
    constexpr int64_t kMaxMs = std::numeric_limits<int>::max();
    int64_t ms = 0;
    std::size_t at = 0;
    bool digits = false;
    for (; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at) {
        digits = true;
        ms = std::min(kMaxMs, ms * 10 + (text[at] - '0') * 1000);
    }
    if (at < text.size() && text[at] == '.') {
        int64_t scale = 100;
        for (++at; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at) {
            digits = true;
            ms = std::min(kMaxMs, ms + (text[at] - '0') * scale);
            scale /= 10;
        }
    }
    if (!digits || at != text.size())
        return std::nullopt;
    return static_cast<int>(ms);
}

std::optional<int64_t> parseCount(const std::string& text) {
    constexpr int64_t kMax = std::numeric_limits<int64_t>::max();
    int64_t value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        const int digit = c - '0';
        value = value > (kMax - digit) / 10 ? kMax : value * 10 + digit;
    }
    if (text.empty())
        return std::nullopt;
    return value;
}

} // namespace

int main(int argc, char** argv) {
    std::signal(SIGPIPE, SIG_IGN);
    std::string ca;
    std::optional<int> handshakeTimeout;
    net::TNetHTTP http;
    http.IdleTimeout = 60000;
    int at = 1;
    for (; at < argc && std::strncmp(argv[at], "--", 2) == 0; ++at) {
        const std::string option = argv[at];
        if (at + 1 >= argc)
            return usage(("option " + option + " needs a value").c_str());
        const std::string value = argv[++at];
        if (option == "--ca") {
            ca = value;
        } else if (option == "--timeout" || option == "--header-timeout" ||
                   option == "--rate-window") {
            const auto ms = parseSeconds(value);
            if (!ms)
                return usage(
                    (option + " takes a number of seconds, not \"" + value + "\"").c_str());
            (option == "--timeout"          ? http.IdleTimeout
             : option == "--header-timeout" ? http.HeaderTimeout
                                            : http.RateWindow) = *ms;
            if (option == "--header-timeout")
                handshakeTimeout = *ms;
        } else if (option == "--min-rate") {
            const auto rate = parseCount(value);
            if (!rate)
                return usage(("--min-rate takes a number of bytes, not \"" + value + "\"").c_str());
            http.MinTransferRate = *rate;
        } else {
            return usage(("unknown option " + option).c_str());
        }
    }
    if (argc - at != 2)
        return usage();
    const std::string url = argv[at];
    net::TNetFileDownload download(argv[at + 1]);

    try {
        auto ssl = std::make_shared<net::TNetSSLConnectionIntercept>();
        if (!ca.empty())
            ssl->AddTrustedCertificateFile(ca);
        if (handshakeTimeout)
            ssl->HandshakeTimeout = *handshakeTimeout;
        http.Intercept = ssl;
        try {
            download.Run(http, url);
        } catch (const net::ENetProtocolReplyError& e) {
            std::printf("%s\n", http.StatusLine.c_str());
            std::fflush(stdout);
            throw;
        }
        std::printf("%s\n", http.StatusLine.c_str());
        return 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "netget: %s\n", e.what());
        if (download.KeptBytes() > 0)
            std::fprintf(stderr, "netget: the %lld %s that arrived %s in %s\n",
                         static_cast<long long>(download.KeptBytes()),
                         download.KeptBytes() == 1 ? "byte" : "bytes",
                         download.KeptBytes() == 1 ? "is" : "are", download.PartPath().c_str());
        return 1;
    }
}
