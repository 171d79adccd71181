#include "swf/avm1/TextVariables.h"

#include "swf/avm1/Avm1Host.h"
#include "swf/display/MovieClip.h"
#include "swf/display/TextField.h"

#include <algorithm>

namespace swf::avm1 {

Object* TextVariables::owner(TextField& field, QString& name) {
    MovieClip* parent = field.parent();
    const QString variable = field.variable().trimmed();
    if (!parent || variable.isEmpty())
        return nullptr;
    // "score", "_root.score", "/hud:score", "../a.b": the last ':' or '.' parts the clip
    // from the variable's name.
    const qsizetype colon = variable.lastIndexOf(QLatin1Char(':'));
    const qsizetype cut = colon >= 0 ? colon : variable.lastIndexOf(QLatin1Char('.'));
    Value base(host_.objectOf(*parent));
    if (cut >= 0) {
        const QString path = variable.left(cut);
        name = variable.mid(cut + 1);
        if (!path.isEmpty())
            base = host_.vm().resolveTarget(base, path);
        else if (colon >= 0)
            base = host_.vm().resolveTarget(base, QStringLiteral("/"));
    } else {
        name = variable;
    }
    if (name.isEmpty())
        return nullptr;
    return base.object();
}

bool TextVariables::read(TextField& field, Value& out) {
    QString name;
    Object* o = owner(field, name);
    if (!o)
        return false;
    Vm& vm = host_.vm();
    bool found = false;
    vm.runTopLevel([&] {
        Value v;
        found = vm.lookup(o, name, v);
        out = v;
    });
    return found;
}

void TextVariables::write(TextField& field, const QString& text) {
    QString name;
    Object* o = owner(field, name);
    if (!o)
        return;
    Vm& vm = host_.vm();
    vm.runTopLevel([&] { vm.setMember(Value(o), name, Value(text)); });
}

void TextVariables::bind(TextField& field) {
    auto self = std::static_pointer_cast<TextField>(field.shared_from_this());
    if (!field.staticText() &&
        std::none_of(watched_.begin(), watched_.end(),
                     [&](const std::weak_ptr<TextField>& w) { return w.lock() == self; }))
        watched_.push_back(self);
    if (field.variable().trimmed().isEmpty())
        return;
    const auto same = [&](const Bound& b) { return b.field.lock() == self; };
    if (std::none_of(fields_.begin(), fields_.end(), same))
        fields_.push_back(Bound{self, field.text()});
    Value v;
    if (!read(field, v) || v.isUndefined())
        write(field, field.text());
    sync();
}

void TextVariables::sync() {
    std::erase_if(fields_, [](const Bound& b) {
        auto f = b.field.lock();
        return !f || f->removed();
    });
    Vm& vm = host_.vm();
    for (std::size_t i = 0; i < fields_.size(); ++i) {
        auto field = fields_[i].field.lock();
        if (!field)
            continue;
        if (field->text() != fields_[i].shown) {
            // Typed (or set through the field) since the last look: the field wins.
            write(*field, field->text());
        } else {
            Value v;
            if (read(*field, v) && !v.isUndefined()) {
                QString text;
                vm.runTopLevel([&] { text = vm.toString(v); });
                if (text != field->text())
                    field->setText(text);
            }
        }
        fields_[i].shown = field->text();
    }
    // What the frame's scripts did to the fields' text may have moved their scrolling.
    std::erase_if(watched_, [](const std::weak_ptr<TextField>& w) {
        auto f = w.lock();
        return !f || f->removed();
    });
    const std::vector<std::weak_ptr<TextField>> watched = watched_;
    for (const auto& w : watched)
        if (auto field = w.lock())
            field->checkScrolling(true);
}

} // namespace swf::avm1
