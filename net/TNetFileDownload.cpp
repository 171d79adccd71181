#include "net/TNetFileDownload.h"
#include "net/TNetHTTP.h"
#include "net/TNetStream.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <stdexcept>
#include <unistd.h>

namespace net {

TNetFileDownload::TNetFileDownload(std::string target)
    : target_(std::move(target)), part_(PartPathOf(target_)) {}

void TNetFileDownload::Run(TNetHTTP& http, const std::string& url) {
    kept_ = 0;
    // A URL that cannot be fetched must not cost the .part of an earlier attempt.
    http.CheckURL(url);
    TNetFileStream file(part_, TNetFileStream::Mode::Create);
    try {
        http.DownloadTo(url, file);
        file.Close();
    } catch (...) {
        try {
            kept_ = file.Size();
            file.Close();
            if (kept_ == 0)
                ::unlink(part_.c_str());
        } catch (...) {
        }
        throw;
    }
    if (std::rename(part_.c_str(), target_.c_str()) != 0) {
        const int error = errno;
        try {
            TNetFileStream kept(part_, TNetFileStream::Mode::OpenRead);
            kept_ = kept.Size();
        } catch (...) {
        }
        throw std::runtime_error("Cannot rename \"" + part_ + "\" to \"" + target_ +
                                 "\": " + std::strerror(error));
    }
}

} // namespace net
