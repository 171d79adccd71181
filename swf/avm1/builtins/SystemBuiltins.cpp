#include "swf/avm1/Vm.h"
#include "swf/avm1/builtins/Builtins.h"

namespace swf::avm1::builtins {

void installSystem(Vm& vm) {
    Object* system = vm.newObject();
    vm.global()->define(QStringLiteral("System"), Value(system), propflag::DontEnum);
    Object* caps = vm.newObject();
    system->define(QStringLiteral("capabilities"), Value(caps));
    struct Cap {
        const char* name;
        Value value;
    };
    const Cap list[] = {
        {"version", Value(QStringLiteral("LNX 10,0,0,0"))},
        {"os", Value(QStringLiteral("Linux"))},
        {"manufacturer", Value(QStringLiteral("Quarvel Linux"))},
        {"playerType", Value(QStringLiteral("StandAlone"))},
        {"language", Value(QStringLiteral("zh-CN"))},
        {"screenResolutionX", Value(1920)},
        {"screenResolutionY", Value(1080)},
        {"screenDPI", Value(72)},
        {"screenColor", Value(QStringLiteral("color"))},
        {"pixelAspectRatio", Value(1)},
        {"hasAudio", Value(true)},
        {"hasMP3", Value(true)},
        {"hasVideoEncoder", Value(false)},
        {"hasAudioEncoder", Value(false)},
        {"hasEmbeddedVideo", Value(true)},
        {"hasPrinting", Value(false)},
        {"hasStreamingAudio", Value(true)},
        {"hasStreamingVideo", Value(false)},
        {"hasScreenBroadcast", Value(false)},
        {"hasScreenPlayback", Value(false)},
        {"hasAccessibility", Value(false)},
        {"isDebugger", Value(false)},
        {"localFileReadDisable", Value(false)},
        {"avHardwareDisable", Value(true)},
    };
    for (const Cap& c : list)
        caps->define(QLatin1String(c.name), c.value);
    Object* security = vm.newObject();
    system->define(QStringLiteral("security"), Value(security));
    vm.defineMethod(security, QStringLiteral("allowDomain"),
                    [](Vm&, CallArgs&) -> Value { return Value(); });
    vm.defineMethod(security, QStringLiteral("allowInsecureDomain"),
                    [](Vm&, CallArgs&) -> Value { return Value(); });
    system->define(QStringLiteral("useCodepage"), Value(false));
}

} // namespace swf::avm1::builtins
