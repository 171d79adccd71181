// netget URL FILE: downloads URL into FILE with the player's own HTTP client, the way its
// download command does (no redirects followed, HTTPS verified), and prints the status line.
#include "net/ENetException.h"
#include "net/TNetHTTP.h"
#include "net/TNetSSLConnectionIntercept.h"
#include "net/TNetStream.h"

#include <csignal>
#include <cstdio>
#include <cstring>
#include <exception>
#include <memory>
#include <string>

namespace {

int usage() {
    std::fprintf(stderr, "usage: netget [--ca FILE] [--timeout SECONDS] URL FILE\n"
                         "  --ca FILE          also trust the authorities in this PEM file\n"
                         "  --timeout SECONDS  give up after this long without a byte (60)\n");
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    std::signal(SIGPIPE, SIG_IGN);
    std::string ca;
    int timeoutSeconds = 60;
    int at = 1;
    for (; at < argc && std::strncmp(argv[at], "--", 2) == 0; ++at) {
        const std::string option = argv[at];
        if (option == "--ca" && at + 1 < argc) {
            ca = argv[++at];
        } else if (option == "--timeout" && at + 1 < argc) {
            timeoutSeconds = std::atoi(argv[++at]);
        } else {
            return usage();
        }
    }
    if (argc - at != 2)
        return usage();
    const std::string url = argv[at];
    const std::string path = argv[at + 1];

    try {
        net::TNetHTTP http;
        auto ssl = std::make_shared<net::TNetSSLConnectionIntercept>();
        if (!ca.empty())
            ssl->AddTrustedCertificateFile(ca);
        http.Intercept = ssl;
        http.IdleTimeout = timeoutSeconds * 1000;

        net::TNetFileStream file(path, net::TNetFileStream::Mode::Create);
        try {
            http.DownloadTo(url, file);
        } catch (const net::ENetProtocolReplyError& e) {
            std::printf("%s\n", http.StatusLine.c_str());
            std::fflush(stdout);
            throw;
        }
        std::printf("%s\n", http.StatusLine.c_str());
        return 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "netget: %s\n", e.what());
        return 1;
    }
}
