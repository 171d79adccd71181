#pragma once

#include "net/TNetComponent.h"
#include "net/TNetHTTP.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace nettest {

// A file path in a fresh folder that goes away with the object.
class TempFile {
public:
    TempFile() {
        char pattern[] = "/tmp/quarvel-net-test-XXXXXX";
        dir_ = ::mkdtemp(pattern);
        path_ = dir_ + "/download.swf";
    }
    ~TempFile() {
        std::error_code ignored;
        std::filesystem::remove_all(dir_, ignored);
    }
    const std::string& path() const { return path_; }
    std::string bytes() const {
        std::ifstream in(path_, std::ios::binary);
        std::ostringstream out;
        out << in.rdbuf();
        return out.str();
    }

private:
    std::string dir_;
    std::string path_;
};

// The work events of a client as text: "begin N", "work N", "end".
struct WorkRecorder {
    std::vector<std::string> events;
    std::vector<std::string> status;
    void attach(net::TNetHTTP& http) {
        http.OnWorkBegin = [this](net::TNetComponent&, net::TWorkMode mode, int64_t max) {
            if (mode == net::TWorkMode::workRead)
                events.push_back("begin " + std::to_string(max));
        };
        http.OnWork = [this](net::TNetComponent&, net::TWorkMode mode, int64_t count) {
            if (mode == net::TWorkMode::workRead)
                events.push_back("work " + std::to_string(count));
        };
        http.OnWorkEnd = [this](net::TNetComponent&, net::TWorkMode mode) {
            if (mode == net::TWorkMode::workRead)
                events.push_back("end");
        };
        http.OnStatus = [this](net::TNetComponent&, net::TNetStatus, const std::string& text) {
            status.push_back(text);
        };
    }
};

// The message of the exception of type E that f raises, or a text saying what happened
// instead, so a wrong outcome shows in the comparison.
template <class E, class F> std::string messageOf(F&& f) {
    try {
        f();
    } catch (const E& e) {
        return e.what();
    } catch (const std::exception& e) {
        return std::string("unexpected: ") + e.what();
    }
    return "no exception";
}

inline std::string expectedGet(const std::string& target, const std::string& host) {
    return "GET " + target + " HTTP/1.1\r\nHost: " + host +
           "\r\nAccept: text/html, */*\r\nUser-Agent: Mozilla/3.0 (compatible; Quarvel "
           "Library)\r\n\r\n";
}

} // namespace nettest
