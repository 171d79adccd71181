// Speed of the ActionScript interpreter, run through the Player as a movie runs it.
//
//   bench_avm1 [--seconds S] [--only NAME] [--write DIR]
//
// Each workload is a two-frame movie whose frame scripts do a fixed amount of work and then
// trace one line; the main timeline loops, so every tick runs one script. Each runs for S
// seconds (2 by default) of wall time and prints operations per second, counting only the
// scripts that finished (their trace line arrived):
//   numeric   a register loop of additions and multiplications (one op an iteration)
//   strings   appending one character to a growing string (one op an append)
//   members   o.a = o.b + arr[i % 10] on an object and an array (three ops an iteration)
//   calls     calling a one-line function (one op a call)
//   clips     writing _x and _rotation of 1,000 placed clips (two ops a clip)
// A player without a script machine traces nothing; the workload then says so instead of
// printing a figure. --write also saves each workload's movie as DIR/NAME.swf, to run it in
// other players or tools.

#include "swf/Player.h"
#include "swf/PlayerHost.h"
#include "swf/avm1/Avm1Host.h"
#include "swf/format/MovieLoader.h"
#include "tests/support/ActionBuilder.h"
#include "tests/support/SwfWriter.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <cstdio>
#include <functional>

using testsupport::ActionBuilder;
using testsupport::PushValue;
using testsupport::SwfWriter;
namespace fn2 = testsupport::fn2;

namespace {

constexpr uint16_t kNoScopeObjects =
    fn2::SuppressThis | fn2::SuppressArguments | fn2::SuppressSuper;

class CountingHost : public swf::PlayerHost {
public:
    void trace(const QString& line) override {
        if (line == QLatin1String("ok"))
            ++finished;
        else
            std::fprintf(stderr, "bench_avm1: the script traced \"%s\"\n", qPrintable(line));
    }
    void statusMessage(const QString& text) override {
        std::fprintf(stderr, "bench_avm1: %s\n", qPrintable(text));
    }
    long long finished = 0;
};

// A counted loop over register 1 from 0 to count, with work in between; register 1 is the
// counter, the body may use the others.
ActionBuilder loop(int count, const std::function<void(ActionBuilder&)>& work) {
    ActionBuilder b;
    b.push(0).storeRegister(1).pop();
    b.label("top");
    b.push({PushValue::reg(1), count}).less2().logicalNot().ifTrue("end");
    work(b);
    b.push(PushValue::reg(1)).increment().storeRegister(1).pop();
    b.jump("top");
    b.label("end");
    return b;
}

// Defines "work" from body, which returns its result, and a frame script that calls it and
// traces "ok" when the result is the expected one: a figure for work done wrong is no figure.
QByteArray frameScript(const ActionBuilder& body, PushValue expected,
                       uint16_t flags = kNoScopeObjects,
                       const ActionBuilder& before = ActionBuilder()) {
    ActionBuilder a = before;
    a.defineFunction2("work", 6, flags, {}, body);
    a.push("result").callFunction("work", {}).setVariable();
    a.get("result").push(expected).equals2().ifTrue("good");
    a.push("wrong result: ").get("result").add2().trace().jump("end");
    a.label("good").traceValue("ok");
    a.label("end");
    return a.finish();
}

QByteArray twoFrames(const QByteArray& script, const std::function<void(SwfWriter&)>& setup = {}) {
    SwfWriter w(200, 150, 1000, 8);
    if (setup)
        setup(w);
    w.doAction(script);
    w.showFrame();
    w.doAction(script);
    w.showFrame();
    return w.finish();
}

struct Workload {
    const char* name;
    const char* unit;
    long long opsPerScript;
    QByteArray movie;
};

Workload numeric() {
    const int n = 200'000;
    ActionBuilder body;
    body.push(0).storeRegister(2).pop();
    body.raw(loop(n, [](ActionBuilder& b) {
                 b.push({PushValue::reg(2), PushValue::reg(1), 2})
                     .multiply()
                     .add2()
                     .storeRegister(2)
                     .pop();
             }).bytes());
    body.push(PushValue::reg(2)).returnOp();
    // The sum of 2i below n.
    const double sum = static_cast<double>(n) * (n - 1);
    return {"numeric", "iterations", n, twoFrames(frameScript(body, sum))};
}

Workload strings() {
    const int n = 20'000;
    ActionBuilder body;
    body.push("").storeRegister(2).pop();
    ActionBuilder l = loop(n, [](ActionBuilder& b) {
        b.push({PushValue::reg(2), "x"}).add2().storeRegister(2).pop();
    });
    body.raw(l.bytes());
    body.push({PushValue::reg(2), "length"}).getMember().returnOp();
    return {"strings", "appends", n, twoFrames(frameScript(body, n))};
}

Workload members() {
    const int n = 50'000;
    ActionBuilder body;
    body.push({"a", 1, "b", 2, 2}).initObject().storeRegister(3).pop();
    body.push({9, 8, 7, 6, 5, 4, 3, 2, 1, 0, 10}).initArray().storeRegister(4).pop();
    ActionBuilder l = loop(n, [](ActionBuilder& b) {
        b.push({PushValue::reg(3), "a"});
        b.push({PushValue::reg(3), "b"}).getMember();
        b.push({PushValue::reg(4), PushValue::reg(1), 10}).modulo().getMember();
        b.add2().setMember();
    });
    body.raw(l.bytes());
    body.push({PushValue::reg(3), "a"}).getMember().returnOp();
    // The last pass adds arr[9], which is 9, to o.b.
    return {"members", "property accesses", 3LL * n, twoFrames(frameScript(body, 11))};
}

Workload calls() {
    const int n = 50'000;
    ActionBuilder f;
    f.push({PushValue::reg(1), 1}).add2().returnOp();
    ActionBuilder before;
    before.defineFunction2("f", 2, kNoScopeObjects, {{1, "x"}}, f);
    ActionBuilder body;
    body.push(0).storeRegister(2).pop();
    ActionBuilder l = loop(n, [](ActionBuilder& b) {
        b.push({PushValue::reg(2), 1, "f"}).callFunction().storeRegister(2).pop();
    });
    body.raw(l.bytes());
    body.push(PushValue::reg(2)).returnOp();
    return {"calls", "calls", n, twoFrames(frameScript(body, n, kNoScopeObjects, before))};
}

Workload clips() {
    const int clips = 1000;
    // _root is preloaded into register 1, so the counter moves to register 2.
    ActionBuilder body;
    body.push(0).storeRegister(2).pop();
    body.label("top");
    body.push({PushValue::reg(2), clips}).less2().logicalNot().ifTrue("end");
    body.push({PushValue::reg(1), "c", PushValue::reg(2)}).add2().getMember().storeRegister(3);
    body.push({"_x", PushValue::reg(2)}).setMember();
    body.push({PushValue::reg(3), "_rotation", PushValue::reg(2)}).setMember();
    body.push(PushValue::reg(2)).increment().storeRegister(2).pop();
    body.jump("top");
    body.label("end");
    body.push({PushValue::reg(3), "_x"}).getMember().returnOp();
    const QByteArray script = frameScript(body, clips - 1, kNoScopeObjects | fn2::PreloadRoot);
    QByteArray movie = twoFrames(script, [&](SwfWriter& w) {
        w.defineRectShape(1, QRect(0, 0, 4, 4), Qt::red);
        SwfWriter sprite(200, 150, 1000, 8);
        sprite.placeObject2(1, 1);
        sprite.showFrame();
        w.defineSprite(2, sprite);
        for (int i = 0; i < clips; ++i) {
            testsupport::PlaceSpec p;
            p.depth = static_cast<uint16_t>(i + 1);
            p.characterId = 2;
            p.name = QByteArray("c") + QByteArray::number(i);
            w.placeObject(p);
        }
    });
    return {"clips", "property writes", 2LL * clips, movie};
}

void run(const Workload& w, double seconds) {
    auto loaded = swf::loadMovie(w.movie);
    if (!loaded) {
        std::printf("%-8s  the movie did not load: %s\n", w.name,
                    qPrintable(loaded.error().message));
        return;
    }
    CountingHost host;
    swf::Player player(
        loaded.value(),
        [](swf::Stage& stage) { return std::make_unique<swf::avm1::Avm1Host>(stage); }, &host);
    player.setLoop(true);
    QElapsedTimer timer;
    timer.start();
    long long ticks = 0;
    const qint64 limitNs = static_cast<qint64>(seconds * 1e9);
    while (timer.nsecsElapsed() < limitNs) {
        player.tick();
        ++ticks;
        // Without a script machine nothing will ever be traced; no point waiting the time out.
        if (ticks >= 50 && host.finished == 0)
            break;
    }
    const double elapsed = timer.nsecsElapsed() / 1e9;
    player.setHost(nullptr);
    if (host.finished == 0) {
        std::printf("%-8s  no figure: %lld frames ran no script to its end (is the interpreter "
                    "part of this build?)\n",
                    w.name, ticks);
        return;
    }
    const double ops = static_cast<double>(host.finished) * static_cast<double>(w.opsPerScript);
    std::printf("%-8s  %12.0f %s per second  (%lld scripts in %.2f s)\n", w.name, ops / elapsed,
                w.unit, host.finished, elapsed);
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    double seconds = 2;
    QString only, writeDir;
    const QStringList args = app.arguments().mid(1);
    for (int i = 0; i < args.size(); ++i) {
        if (args[i] == "--seconds" && i + 1 < args.size()) {
            seconds = std::max(0.1, args[++i].toDouble());
        } else if (args[i] == "--only" && i + 1 < args.size()) {
            only = args[++i];
        } else if (args[i] == "--write" && i + 1 < args.size()) {
            writeDir = args[++i];
        } else {
            std::fprintf(stderr, "usage: bench_avm1 [--seconds S] [--only NAME] [--write DIR]\n");
            return 2;
        }
    }
    for (const auto& make : {numeric, strings, members, calls, clips}) {
        const Workload w = make();
        if (!only.isEmpty() && only != QLatin1String(w.name))
            continue;
        if (!writeDir.isEmpty()) {
            QFile f(QDir(writeDir).filePath(QLatin1String(w.name) + QLatin1String(".swf")));
            if (!QDir().mkpath(writeDir) || !f.open(QIODevice::WriteOnly) ||
                f.write(w.movie) != w.movie.size())
                std::fprintf(stderr, "bench_avm1: cannot write %s\n", qPrintable(f.fileName()));
        }
        run(w, seconds);
    }
    return 0;
}
