#pragma once

// The script side of a clip (or button, or text field) in the display tree. Its display
// properties and child instances read through to the tree; other properties live here. When
// the display object goes away the script object stays and resolves by its target path, so a
// clip placed again under the same name is found again, as Flash does.

#include "swf/avm1/ClipBridge.h"
#include "swf/avm1/Object.h"

namespace swf::avm1 {

class MovieClipObject : public Object {
public:
    MovieClipObject(Object* proto, ClipBridge* clip);

    // The live display object, looked up again by path when the old one went away.
    ClipBridge* clip(Vm& vm);
    ClipBridge* liveClip() const { return clip_; }
    void detach() { clip_ = nullptr; }
    void attach(ClipBridge* clip) { clip_ = clip; }
    const QString& path() const { return path_; }

    QString typeName() const override;
    bool isClip() const override { return true; }
    bool getSpecial(Vm& vm, const QString& name, Value& out) override;
    bool setSpecial(Vm& vm, const QString& name, const Value& v) override;

    // "_level0.a.b", as String(clip) prints it; "/a/b" as _target does.
    static QString dotPath(ClipBridge* clip);
    static QString slashPath(ClipBridge* clip);

private:
    ClipBridge* clip_;
    QString path_;
    bool movieClip_;
};

// The live clip behind a script value, or null when it is not a clip or its clip is gone.
inline ClipBridge* clipOf(Vm& vm, const Value& v) {
    auto* o = dynamic_cast<MovieClipObject*>(v.object());
    return o ? o->clip(vm) : nullptr;
}

} // namespace swf::avm1
