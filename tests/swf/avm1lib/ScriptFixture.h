#pragma once

// A machine for one movie version and shorthands to build objects and call their methods
// the way a movie's bytecode would.

#include "swf/PlayerHost.h"
#include "swf/avm1/Vm.h"

#include <gtest/gtest.h>

#include <QStringList>
#include <vector>

namespace quarvel::test {

using swf::avm1::Object;
using swf::avm1::Value;
using swf::avm1::Vm;

class RecordingHost : public swf::PlayerHost {
public:
    QStringList traces;
    QStringList loads;
    std::vector<LoadDone> pending;
    void trace(const QString& line) override { traces << line; }
    void load(const QString& url, qint64 maxBytes, LoadDone done) override {
        (void)maxBytes;
        loads << url;
        pending.push_back(std::move(done));
    }
};

class ScriptFixture : public ::testing::Test {
protected:
    explicit ScriptFixture(int version = 8) : vm(version, &host) {}

    Value global(const QString& dotted) {
        Value v(vm.global());
        for (const QString& part : dotted.split(QLatin1Char('.')))
            v = vm.getMember(v, part);
        return v;
    }
    Value make(const QString& cls, std::vector<Value> args = {}) {
        return vm.construct(global(cls), args);
    }
    Value call(const Value& o, const QString& method, std::vector<Value> args = {}) {
        return vm.callMethod(o, method, args);
    }
    Value get(const Value& o, const QString& name) { return vm.getMember(o, name); }
    void set(const Value& o, const QString& name, const Value& v) { vm.setMember(o, name, v); }
    QString str(const Value& v) { return vm.toString(v); }
    double num(const Value& v) { return vm.toNumber(v); }
    Value obj(std::initializer_list<std::pair<const char*, Value>> fields) {
        Object* o = vm.newObject();
        for (const auto& [k, v] : fields)
            o->define(QLatin1String(k), v);
        return Value(o);
    }

    RecordingHost host;
    Vm vm;
};

} // namespace quarvel::test
