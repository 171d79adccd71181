// bench_http [SIZE_MIB] [ROUNDS]: starts nginx on a free 127.0.0.1 port with a temporary
// configuration, serves a file of SIZE_MIB (1024) MiB, downloads it with netget and with curl
// ROUNDS (2) times each, alternating, and prints each run, the best throughputs, their ratio
// and netget's peak resident memory. Everything it made is removed at the end.
#include "tests/support/Processes.h"
#include <arpa/inet.h>
#include <csignal>
#include <fcntl.h>
#include <netinet/in.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace {

namespace fs = std::filesystem;

int freePort() {
    return testsupport::unusedLoopbackPort();
}

bool accepting(int port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const bool ok = ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    ::close(fd);
    return ok;
}

pid_t spawn(const std::vector<std::string>& args, const std::string& quietOutput = {}) {
    std::vector<char*> argv;
    for (const auto& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (!quietOutput.empty())
        posix_spawn_file_actions_addopen(&actions, 1, quietOutput.c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0644);
    pid_t pid = 0;
    const int rc = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0)
        throw std::runtime_error("cannot start " + args[0]);
    return pid;
}

struct Run {
    double seconds = 0;
    long maxRssKiB = 0;
    int status = 0;
};

Run timed(const std::vector<std::string>& args, const std::string& output) {
    const auto start = std::chrono::steady_clock::now();
    const pid_t pid = spawn(args, output);
    int status = 0;
    rusage usage{};
    ::wait4(pid, &status, 0, &usage);
    Run run;
    run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    run.maxRssKiB = usage.ru_maxrss;
    run.status = status;
    return run;
}

void writeBigFile(const fs::path& path, long long mebibytes) {
    std::vector<char> block(1 << 20);
    for (std::size_t i = 0; i < block.size(); ++i)
        block[i] = static_cast<char>((i * 2654435761u) >> 13);
    std::ofstream out(path, std::ios::binary);
    for (long long i = 0; i < mebibytes; ++i) {
        block[0] = static_cast<char>(i);
        out.write(block.data(), static_cast<std::streamsize>(block.size()));
    }
    if (!out)
        throw std::runtime_error("cannot write " + path.string());
}

} // namespace

int main(int argc, char** argv) {
    const long long mebibytes = argc > 1 ? std::atoll(argv[1]) : 1024;
    const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 2;
    char pattern[] = "/tmp/quarvel-bench-http-XXXXXX";
    if (!::mkdtemp(pattern)) {
        std::perror("mkdtemp");
        return 1;
    }
    const fs::path dir = pattern;
    pid_t nginx = -1;
    int result = 0;
    try {
        fs::create_directories(dir / "www");
        fs::create_directories(dir / "temp");
        std::printf("creating a %lld MiB file...\n", mebibytes);
        std::fflush(stdout);
        writeBigFile(dir / "www" / "big.bin", mebibytes);

        const int port = freePort();
        const std::string d = dir.string();
        {
            std::ofstream conf(dir / "nginx.conf");
            conf << "daemon off;\nmaster_process off;\nworker_processes 1;\n"
                 << "pid " << d << "/nginx.pid;\nerror_log " << d << "/error.log;\n"
                 << "events { worker_connections 64; }\n"
                 << "http {\n  access_log off;\n  sendfile on;\n  tcp_nopush on;\n"
                 << "  default_type application/octet-stream;\n"
                 << "  client_body_temp_path " << d << "/temp/body;\n"
                 << "  proxy_temp_path " << d << "/temp/proxy;\n"
                 << "  fastcgi_temp_path " << d << "/temp/fastcgi;\n"
                 << "  uwsgi_temp_path " << d << "/temp/uwsgi;\n"
                 << "  scgi_temp_path " << d << "/temp/scgi;\n"
                 << "  server {\n    listen 127.0.0.1:" << port << ";\n    root " << d
                 << "/www;\n  }\n}\n";
        }
        const std::string nginxBinary = fs::exists("/usr/sbin/nginx") ? "/usr/sbin/nginx" : "nginx";
        nginx = spawn({nginxBinary, "-e", d + "/error.log", "-p", d, "-c", d + "/nginx.conf"});
        for (int i = 0; i < 100 && !accepting(port); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        if (!accepting(port)) {
            std::ifstream log(dir / "error.log");
            std::string line;
            while (std::getline(log, line))
                std::fprintf(stderr, "nginx: %s\n", line.c_str());
            throw std::runtime_error("nginx did not start");
        }

        const std::string url = "http://127.0.0.1:" + std::to_string(port) + "/big.bin";
        const std::string target = d + "/download.bin";
        const double bytes = static_cast<double>(mebibytes) * 1024 * 1024;
        double bestNetget = 1e300, bestCurl = 1e300;
        long peakRss = 0;
        for (int round = 0; round < rounds; ++round) {
            const Run n = timed({NETGET_PATH, url, target}, d + "/netget.out");
            const auto nSize = fs::file_size(target);
            fs::remove(target);
            const Run c = timed({"curl", "-s", "-o", target, url}, {});
            const auto cSize = fs::file_size(target);
            fs::remove(target);
            if (n.status != 0 || c.status != 0 || nSize != bytes || cSize != bytes)
                throw std::runtime_error("a download failed or came out short");
            std::printf("round %d: netget %.3f s (%.1f MiB/s, peak RSS %.1f MiB), curl %.3f s "
                        "(%.1f MiB/s)\n",
                        round + 1, n.seconds, mebibytes / n.seconds, n.maxRssKiB / 1024.0,
                        c.seconds, mebibytes / c.seconds);
            bestNetget = std::min(bestNetget, n.seconds);
            bestCurl = std::min(bestCurl, c.seconds);
            peakRss = std::max(peakRss, n.maxRssKiB);
        }
        std::printf("netget: %.1f MiB/s\ncurl:   %.1f MiB/s\nratio netget/curl: %.3f\n"
                    "netget peak resident memory: %.1f MiB\n",
                    mebibytes / bestNetget, mebibytes / bestCurl, bestCurl / bestNetget,
                    peakRss / 1024.0);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "bench_http: %s\n", e.what());
        result = 1;
    }
    if (nginx > 0) {
        ::kill(nginx, SIGTERM);
        ::waitpid(nginx, nullptr, 0);
    }
    std::error_code ignored;
    fs::remove_all(dir, ignored);
    return result;
}
