// avm1run: runs the scripts of a movie's main timeline without drawing anything, printing
// each trace line. A quick loop for working on the script machine against real movies; the
// full player (with its display tree) is what swfrender --trace runs.
//
//   avm1run MOVIE.swf [FRAMES]

#include "swf/PlayerHost.h"
#include "swf/avm1/Interpreter.h"
#include "swf/avm1/MovieClipObject.h"
#include "swf/avm1/Vm.h"
#include "swf/format/Decompressor.h"

#include <QCoreApplication>
#include <QFile>
#include <cstdio>
#include <map>

using namespace swf::avm1;

namespace {

struct FrameScripts {
    std::vector<QByteArray> actions;
    std::vector<QByteArray> initActions;
    QString label;
};

struct MovieScripts {
    int version = 0;
    double frameRate = 12;
    std::vector<FrameScripts> frames;
};

bool readMovie(const QByteArray& file, MovieScripts& out, QString& error) {
    if (file.size() < 8) {
        error = QStringLiteral("too short");
        return false;
    }
    const char sig = file[0];
    out.version = static_cast<uint8_t>(file[3]);
    const uint32_t length = static_cast<uint8_t>(file[4]) | (static_cast<uint8_t>(file[5]) << 8) |
                            (static_cast<uint8_t>(file[6]) << 16) |
                            (static_cast<uint32_t>(static_cast<uint8_t>(file[7])) << 24);
    QByteArray body;
    const uint32_t limit = std::min<uint32_t>(length, 256u << 20);
    if (sig == 'F') {
        body = file.mid(8);
    } else if (sig == 'C') {
        auto z = swf::Decompressor::zlib(limit);
        auto r =
            z->feed(reinterpret_cast<const uint8_t*>(file.constData()) + 8, file.size() - 8, body);
        if (!r.ok()) {
            error = r.error().message;
            return false;
        }
    } else if (sig == 'Z' && file.size() > 17) {
        auto z = swf::Decompressor::lzma(reinterpret_cast<const uint8_t*>(file.constData()) + 12,
                                         limit - 8);
        if (!z.ok()) {
            error = z.error().message;
            return false;
        }
        auto r = z.value()->feed(reinterpret_cast<const uint8_t*>(file.constData()) + 17,
                                 file.size() - 17, body);
        if (!r.ok()) {
            error = r.error().message;
            return false;
        }
    } else {
        error = QStringLiteral("not a movie");
        return false;
    }
    if (body.isEmpty()) {
        error = QStringLiteral("empty");
        return false;
    }
    const auto* d = reinterpret_cast<const uint8_t*>(body.constData());
    const int n = body.size();
    const int nbits = d[0] >> 3;
    int pos = (5 + 4 * nbits + 7) / 8;
    if (pos + 4 > n)
        return false;
    out.frameRate = d[pos + 1] + d[pos] / 256.0;
    if (out.frameRate <= 0)
        out.frameRate = 12;
    pos += 4;
    FrameScripts current;
    while (pos + 2 <= n) {
        const int code = (d[pos] | (d[pos + 1] << 8)) >> 6;
        int len = (d[pos] | (d[pos + 1] << 8)) & 0x3f;
        pos += 2;
        if (len == 0x3f) {
            if (pos + 4 > n)
                break;
            len = d[pos] | (d[pos + 1] << 8) | (d[pos + 2] << 16) | (d[pos + 3] << 24);
            pos += 4;
        }
        if (len < 0 || pos + len > n)
            len = n - pos;
        const QByteArray payload = body.mid(pos, len);
        pos += len;
        if (code == 0)
            break;
        if (code == 1) {
            out.frames.push_back(current);
            current = FrameScripts();
        } else if (code == 12) {
            current.actions.push_back(payload);
        } else if (code == 59 && payload.size() > 2) {
            current.initActions.push_back(payload.mid(2));
        } else if (code == 43) {
            current.label = QString::fromUtf8(payload.left(payload.indexOf('\0')));
        }
    }
    if (!current.actions.empty() || !current.initActions.empty())
        out.frames.push_back(current);
    return true;
}

class PrintHost : public swf::PlayerHost {
public:
    void trace(const QString& line) override {
        std::fputs(line.toUtf8().constData(), stdout);
        std::fputc('\n', stdout);
    }
    void statusMessage(const QString& text) override {
        std::fprintf(stderr, "status: %s\n", text.toUtf8().constData());
    }
};

// The main timeline, enough for frame scripts: frame state and the frame actions queue.
class RootClip : public ClipBridge, public DisplayBridge {
public:
    explicit RootClip(const MovieScripts& movie) : movie_(movie) {}
    QString name() const override { return QString(); }
    ClipBridge* parent() override { return nullptr; }
    ClipBridge* childByName(const QString&, bool) override { return nullptr; }
    int level() const override { return 0; }
    int swfVersion() const override { return movie_.version; }
    void play() override { playing_ = true; }
    void stop() override { playing_ = false; }
    void gotoFrame(int frame, bool play) override {
        playing_ = play;
        frame = std::clamp(frame, 1, totalFrames());
        if (frame != current_) {
            current_ = frame;
            pending_.push_back(frame);
        }
    }
    int frameForLabel(const QString& label) const override {
        for (std::size_t i = 0; i < movie_.frames.size(); ++i)
            if (movie_.frames[i].label.compare(label, Qt::CaseInsensitive) == 0)
                return static_cast<int>(i) + 1;
        return -1;
    }
    int currentFrame() const override { return current_; }
    int totalFrames() const override {
        return std::max<int>(1, static_cast<int>(movie_.frames.size()));
    }
    std::vector<QByteArray> frameActions(int frame) const override {
        if (frame < 1 || frame > static_cast<int>(movie_.frames.size()))
            return {};
        return movie_.frames[frame - 1].actions;
    }
    Value property(int index) const override {
        switch (index) {
        case PropXScale:
        case PropYScale:
        case PropAlpha:
            return Value(100);
        case PropVisible:
            return Value(true);
        case PropQuality:
            return Value(QStringLiteral("HIGH"));
        default:
            return Value(0);
        }
    }
    ClipBridge* level(int n) override { return n == 0 ? this : nullptr; }

    void enter(Vm& vm, int frame) {
        if (frame < 1 || frame > static_cast<int>(movie_.frames.size()))
            return;
        const FrameScripts& f = movie_.frames[frame - 1];
        Object* self = vm.clipObject(this);
        for (const QByteArray& code : f.initActions)
            vm.runTopLevel([&] { Interpreter::runBlock(vm, code, self, movie_.version); });
        for (const QByteArray& code : f.actions)
            vm.runTopLevel([&] { Interpreter::runBlock(vm, code, self, movie_.version); });
    }
    void runPending(Vm& vm) {
        for (int guard = 0; guard < 1000 && !pending_.empty(); ++guard) {
            const int f = pending_.front();
            pending_.erase(pending_.begin());
            enter(vm, f);
        }
        pending_.clear();
    }
    bool playing_ = true;
    int current_ = 1;
    std::vector<int> pending_;

private:
    const MovieScripts& movie_;
};

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: avm1run MOVIE.swf [FRAMES]\n");
        return 2;
    }
    QFile f(QString::fromLocal8Bit(argv[1]));
    if (!f.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "cannot open %s\n", argv[1]);
        return 1;
    }
    const int frames = argc > 2 ? std::max(1, atoi(argv[2])) : 1;
    MovieScripts movie;
    QString error;
    if (!readMovie(f.readAll(), movie, error)) {
        std::fprintf(stderr, "cannot read movie: %s\n", error.toUtf8().constData());
        return 1;
    }
    PrintHost host;
    Vm vm(movie.version, &host);
    RootClip root(movie);
    vm.setDisplay(&root);
    double clock = 0;
    vm.setClock([&clock] { return clock; });
    root.enter(vm, 1);
    root.runPending(vm);
    for (int i = 2; i <= frames; ++i) {
        clock += 1000.0 / movie.frameRate;
        vm.runTimers();
        Object* self = vm.clipObject(&root);
        vm.runTopLevel([&] { vm.callMethod(Value(self), QStringLiteral("onEnterFrame"), {}); });
        if (root.playing_) {
            int next = root.current_ + 1;
            if (next > root.totalFrames())
                next = 1;
            if (next != root.current_) {
                root.current_ = next;
                root.enter(vm, next);
            }
        }
        root.runPending(vm);
        vm.collectGarbage();
    }
    std::fflush(stdout);
    return 0;
}
