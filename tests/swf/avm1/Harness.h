#pragma once

// A machine with a one-timeline movie behind it, a clock the test moves, and a host that
// collects trace lines and status messages.

#include "Asm.h"

#include "swf/PlayerHost.h"
#include "swf/avm1/Interpreter.h"
#include "swf/avm1/MovieClipObject.h"
#include "swf/avm1/Vm.h"

#include <QStringList>
#include <map>
#include <memory>
#include <ostream>

// Readable failures: gtest prints Qt strings as text.
inline void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}

namespace avm1test {

class TestHost : public swf::PlayerHost {
public:
    void trace(const QString& line) override { lines << line; }
    void statusMessage(const QString& text) override { status << text; }
    void openUrl(const QString& url, const QString& target) override {
        urls << url + QLatin1Char('|') + target;
    }
    QStringList lines;
    QStringList status;
    QStringList urls;
};

// A clip with frames, children by name and stored properties.
class TestClip : public swf::avm1::ClipBridge {
public:
    TestClip(QString name, TestClip* parent, int version)
        : name_(std::move(name)), parent_(parent), version_(version) {}
    QString name() const override { return name_; }
    ClipBridge* parent() override { return parent_; }
    ClipBridge* childByName(const QString& name, bool caseSensitive) override {
        for (auto& c : children_)
            if (c->name_.compare(name, caseSensitive ? Qt::CaseSensitive : Qt::CaseInsensitive) ==
                0)
                return c.get();
        return nullptr;
    }
    int level() const override { return parent_ ? -1 : 0; }
    int swfVersion() const override { return version_; }
    void play() override { playing = true; }
    void stop() override { playing = false; }
    void gotoFrame(int frame, bool play) override {
        current = std::clamp(frame, 1, frames);
        playing = play;
    }
    int frameForLabel(const QString& label) const override {
        const auto it = labels.find(label.toLower());
        return it == labels.end() ? -1 : it->second;
    }
    int currentFrame() const override { return current; }
    int totalFrames() const override { return frames; }
    swf::avm1::Value property(int index) const override {
        const auto it = props.find(index);
        return it == props.end() ? swf::avm1::Value(0) : it->second;
    }
    void setProperty(int index, const swf::avm1::Value& v) override { props[index] = v; }
    void setName(const QString& name) override { name_ = name; }
    void getUrl(const QString& url, const QString& target, int, bool, bool) override {
        gotUrls << url + QLatin1Char('|') + target;
    }
    void remove() override { removed = true; }
    ClipBridge* duplicate(const QString& name, int depth) override {
        duplicates << QStringLiteral("%1@%2").arg(name).arg(depth);
        return nullptr;
    }

    TestClip* addChild(const QString& name) {
        children_.push_back(std::make_unique<TestClip>(name, this, version_));
        return children_.back().get();
    }
    std::unique_ptr<TestClip> takeChild(const QString& name) {
        for (auto it = children_.begin(); it != children_.end(); ++it)
            if ((*it)->name_ == name) {
                auto c = std::move(*it);
                children_.erase(it);
                return c;
            }
        return nullptr;
    }

    bool playing = true;
    int current = 1;
    int frames = 10;
    bool removed = false;
    std::map<QString, int> labels;
    std::map<int, swf::avm1::Value> props;
    QStringList gotUrls;
    QStringList duplicates;

private:
    QString name_;
    TestClip* parent_;
    int version_;
    std::vector<std::unique_ptr<TestClip>> children_;
};

class Machine : public swf::avm1::DisplayBridge {
public:
    explicit Machine(int version = 8)
        : root(QString(), nullptr, version), vm(version, &host), version_(version) {
        vm.setDisplay(this);
        vm.setClock([this] { return clock; });
    }
    swf::avm1::ClipBridge* level(int n) override { return n == 0 ? &root : nullptr; }

    // Runs code as a frame script of the root; answers the trace lines it printed.
    QStringList run(const Asm& code) {
        host.lines.clear();
        swf::avm1::Object* self = vm.clipObject(&root);
        vm.runTopLevel([&] { swf::avm1::Interpreter::runBlock(vm, code.bytes(), self, version_); });
        return host.lines;
    }
    QStringList runBytes(const QByteArray& bytes) {
        host.lines.clear();
        swf::avm1::Object* self = vm.clipObject(&root);
        vm.runTopLevel([&] { swf::avm1::Interpreter::runBlock(vm, bytes, self, version_); });
        return host.lines;
    }

    TestHost host;
    TestClip root;
    swf::avm1::Vm vm;
    double clock = 0;

private:
    int version_;
};

} // namespace avm1test
