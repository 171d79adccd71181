#pragma once

// Runs ActionScript 1/2 bytecode: frame and event action blocks, and the functions they
// define.

#include "swf/avm1/Function.h"

#include <QByteArray>
#include <memory>

namespace swf::avm1 {

class Vm;

// A function defined by DefineFunction or DefineFunction2. It keeps the block it came from
// alive (QByteArray shares it) and the scope it was defined in.
class ScriptFunction : public FunctionObject {
public:
    struct Param {
        QString name;
        uint8_t reg = 0;
    };
    using FunctionObject::FunctionObject;

    Value call(Vm& vm, CallArgs& call) override;
    void markChildren(std::vector<Object*>& pending) override;

    QByteArray code;
    int start = 0;
    int length = 0;
    QString name;
    std::vector<Param> params;
    int registerCount = 4;
    uint16_t flags = 0;
    bool function2 = false;
    int version = 0;
    // Activation and with objects around the definition, outermost first.
    std::vector<Object*> scope;
    // The timeline the function was defined on; its variables are in scope.
    Object* target = nullptr;
    std::shared_ptr<const std::vector<QString>> constants;
};

class Interpreter {
public:
    // Runs an action block on the timeline of clip (a clip object, or any object for tests).
    // Throws ScriptException for an uncaught throw and ScriptAbort past the bounds.
    static void runBlock(Vm& vm, const QByteArray& code, Object* clip, int version);
};

} // namespace swf::avm1
