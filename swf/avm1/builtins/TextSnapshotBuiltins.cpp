// TextSnapshot: the characters of the static texts of a movie clip as script sees them
// (MovieClip.getTextSnapshot): counting, reading, finding, hit testing and selecting them.
// A snapshot keeps the text the clip had when it was taken, as Flash's does, even when the
// clip is gone since.

#include "swf/avm1/builtins/TextSnapshotBuiltins.h"
#include "swf/avm1/DisplayClip.h"
#include "swf/avm1/MovieClipObject.h"
#include "swf/avm1/Vm.h"
#include "swf/display/MovieClip.h"
#include "swf/display/TextField.h"
#include "swf/format/Font.h"
#include "swf/format/Movie.h"
#include "swf/format/Text.h"

#include <cmath>

namespace swf::avm1::builtins {

namespace {

struct SnapChar {
    char32_t code = 0;
    QRectF box;           // twips, in the clip's space
    bool newLine = false; // the first character of a line after another
    std::weak_ptr<TextField> field;
    std::size_t index = 0; // within its field
};

class SnapshotObject final : public Object {
public:
    using Object::Object;
    bool taken = false; // made on a clip; one made from nothing answers nothing
    std::vector<SnapChar> chars;
};

// The characters of a snapshot taken of a clip; null for anything else.
const std::vector<SnapChar>* snapshotOf(const Value& self) {
    auto* s = dynamic_cast<SnapshotObject*>(self.object());
    return s && s->taken ? &s->chars : nullptr;
}

bool selected(const SnapChar& c) {
    auto field = c.field.lock();
    if (!field)
        return false;
    const auto& sel = field->snapshotSelection();
    return c.index < sel.size() && sel[c.index];
}

std::vector<SnapChar> collect(MovieClip& clip) {
    std::vector<SnapChar> out;
    // A line ends where one text ends and the next begins, and where the baseline moves
    // inside a text.
    for (const auto& [depth, child] : clip.children()) {
        TextField* field = child->asTextField();
        const StaticTextCharacter* text = field ? field->staticText() : nullptr;
        if (!text || child->removed())
            continue;
        const Movie* movie = field->movie();
        const QTransform m = text->matrix() * field->matrix();
        std::size_t index = 0;
        std::optional<double> lastY;
        bool firstOfText = true;
        for (const TextRecord& rec : text->records()) {
            const Character* c = movie ? movie->character(rec.fontId) : nullptr;
            const auto* font = c && c->kind() == Character::Kind::Font
                                   ? static_cast<const FontCharacter*>(c)
                                   : nullptr;
            const double ascent = font && font->emSize() > 0
                                      ? font->ascent() * rec.height / font->emSize()
                                      : rec.height * 0.8;
            double x = rec.x;
            bool first = true;
            for (const TextRecord::Entry& e : rec.glyphs) {
                SnapChar sc;
                sc.code =
                    font && e.glyph < font->glyphs().size() ? font->glyphs()[e.glyph].code : 0;
                sc.box = m.mapRect(QRectF(x, rec.y - ascent, e.advance, rec.height));
                const double baseline = m.map(QPointF(x, rec.y)).y();
                sc.newLine = (firstOfText && !out.empty()) ||
                             (first && lastY && std::abs(*lastY - baseline) > 0.5);
                firstOfText = false;
                sc.field = std::static_pointer_cast<TextField>(field->shared_from_this());
                sc.index = index++;
                out.push_back(sc);
                x += e.advance;
                first = false;
            }
            if (!rec.glyphs.empty())
                lastY = m.map(QPointF(rec.x, rec.y)).y();
        }
    }
    return out;
}

QString textOf(const std::vector<SnapChar>& chars, std::size_t from, std::size_t to,
               bool lineEndings, bool onlySelected = false) {
    QString s;
    for (std::size_t i = from; i < to && i < chars.size(); ++i) {
        const SnapChar& c = chars[i];
        if (onlySelected && !selected(c))
            continue;
        if (lineEndings && c.newLine && !s.isEmpty())
            s += QLatin1Char('\n');
        if (c.code)
            s += QString::fromUcs4(&c.code, 1);
    }
    return s;
}

// getText's and the selection's range: start clamped into the text, end past it.
std::pair<std::size_t, std::size_t> range(Vm& vm, const Value& a, const Value& b, std::size_t n) {
    const auto clampIndex = [](double v, double lo, double hi) {
        return std::isnan(v) ? lo : std::clamp(v, lo, hi);
    };
    const double count = static_cast<double>(n);
    const double start = clampIndex(vm.toInteger(a), 0, std::max(0.0, count - 1));
    const double end = clampIndex(vm.toInteger(b), start + 1, std::max(start + 1, count));
    return {static_cast<std::size_t>(start), static_cast<std::size_t>(end)};
}

QPointF pointOf(Vm& vm, const Value& x, const Value& y) {
    return QPointF(vm.toNumber(x) * 20, vm.toNumber(y) * 20);
}

} // namespace

Value makeTextSnapshot(Vm& vm, const Value& clip) {
    const Value ctor = vm.getMember(Value(vm.global()), QStringLiteral("TextSnapshot"));
    return vm.construct(ctor, {&clip, 1});
}

void installTextSnapshot(Vm& vm) {
    Object* proto = vm.newObject();
    vm.defineClass(
        vm.global(), QStringLiteral("TextSnapshot"),
        [](Vm& vm, CallArgs& c) -> Value {
            // Made on a clip, it holds that clip's text; made from nothing, it has none.
            auto* self = dynamic_cast<SnapshotObject*>(c.thisObject());
            auto* bridge = dynamic_cast<DisplayClip*>(clipOf(vm, c.arg(0)));
            MovieClip* clip = bridge ? bridge->object().asMovieClip() : nullptr;
            if (self && clip) {
                self->taken = true;
                self->chars = collect(*clip);
            }
            return Value();
        },
        proto);
    static_cast<NativeFunction*>(
        vm.global()->findOwn(QStringLiteral("TextSnapshot"))->value.object())
        ->setAllocator(
            [](Vm& vm, Object* p) -> Object* { return vm.heap().make<SnapshotObject>(p); });
    vm.global()->findOwn(QStringLiteral("TextSnapshot"))->flags |= propflag::OnlySwf6Up;

    const auto method = [&](const char* name, NativeFunction::Fn fn) {
        vm.defineMethod(proto, QLatin1String(name), std::move(fn));
    };
    method("getCount", [](Vm&, CallArgs& c) -> Value {
        const auto* chars = snapshotOf(c.thisv);
        if (!chars || c.count() != 0)
            return Value();
        return Value(double(chars->size()));
    });
    method("getText", [](Vm& vm, CallArgs& c) -> Value {
        const auto* snapshot = snapshotOf(c.thisv);
        if (!snapshot || c.count() < 2 || c.count() > 3)
            return Value();
        const auto& chars = *snapshot;
        const auto [from, to] = range(vm, c.arg(0), c.arg(1), chars.size());
        return Value(textOf(chars, from, to, c.count() == 3 && vm.toBoolean(c.arg(2))));
    });
    method("findText", [](Vm& vm, CallArgs& c) -> Value {
        const auto* snapshot = snapshotOf(c.thisv);
        if (!snapshot || c.count() != 3)
            return Value();
        const auto& chars = *snapshot;
        const QString all = textOf(chars, 0, chars.size(), false);
        const double from = vm.toInteger(c.arg(0));
        const qsizetype start =
            std::isfinite(from) && from > 0 ? static_cast<qsizetype>(std::min(from, 1e9)) : 0;
        const Qt::CaseSensitivity cs =
            vm.toBoolean(c.arg(2)) ? Qt::CaseSensitive : Qt::CaseInsensitive;
        const QString needle = vm.toString(c.arg(1));
        if (needle.isEmpty() || start > all.size())
            return Value(-1);
        return Value(double(all.indexOf(needle, start, cs)));
    });
    method("getCharIndexAtPoint", [](Vm& vm, CallArgs& c) -> Value {
        const auto* snapshot = snapshotOf(c.thisv);
        if (!snapshot || c.count() != 2)
            return Value();
        const QPointF p = pointOf(vm, c.arg(0), c.arg(1));
        const auto& chars = *snapshot;
        for (std::size_t i = 0; i < chars.size(); ++i)
            if (chars[i].box.contains(p))
                return Value(double(i));
        return Value(-1);
    });
    method("hitTestTextNearPos", [](Vm& vm, CallArgs& c) -> Value {
        const auto* snapshot = snapshotOf(c.thisv);
        if (!snapshot || c.count() < 2)
            return Value();
        const QPointF p = pointOf(vm, c.arg(0), c.arg(1));
        const double near = c.count() >= 3 ? std::max(0.0, vm.toNumber(c.arg(2))) * 20 : 0;
        const auto& chars = *snapshot;
        for (std::size_t i = 0; i < chars.size(); ++i)
            if (chars[i].box.adjusted(-near, -near, near, near).contains(p))
                return Value(double(i));
        return Value(-1);
    });
    method("setSelected", [](Vm& vm, CallArgs& c) -> Value {
        const auto* snapshot = snapshotOf(c.thisv);
        if (!snapshot || c.count() != 3)
            return Value();
        const auto& chars = *snapshot;
        const auto [from, to] = range(vm, c.arg(0), c.arg(1), chars.size());
        const bool on = vm.toBoolean(c.arg(2));
        for (std::size_t i = from; i < to && i < chars.size(); ++i) {
            auto field = chars[i].field.lock();
            if (!field)
                continue;
            auto& sel = field->snapshotSelection();
            if (sel.size() <= chars[i].index)
                sel.resize(chars[i].index + 1, false);
            sel[chars[i].index] = on;
        }
        return Value();
    });
    method("getSelected", [](Vm& vm, CallArgs& c) -> Value {
        const auto* snapshot = snapshotOf(c.thisv);
        if (!snapshot || c.count() != 2)
            return Value();
        const auto& chars = *snapshot;
        const auto [from, to] = range(vm, c.arg(0), c.arg(1), chars.size());
        for (std::size_t i = from; i < to && i < chars.size(); ++i)
            if (selected(chars[i]))
                return Value(true);
        return Value(false);
    });
    method("getSelectedText", [](Vm& vm, CallArgs& c) -> Value {
        const auto* snapshot = snapshotOf(c.thisv);
        if (!snapshot || c.count() > 1)
            return Value();
        const auto& chars = *snapshot;
        return Value(textOf(chars, 0, chars.size(), vm.toBoolean(c.arg(0)), true));
    });
    method("setSelectColor", [](Vm& vm, CallArgs& c) -> Value {
        if (const auto* chars = snapshotOf(c.thisv); chars && c.count() == 1) {
            const uint32_t rgb = vm.toUint32(c.arg(0)) & 0xFFFFFF;
            for (const SnapChar& ch : *chars)
                if (auto field = ch.field.lock())
                    field->setSnapshotSelectColor(0xFF000000u | rgb);
        }
        return Value();
    });

    // MovieClip.getTextSnapshot: the clip's static text as a snapshot.
    if (Object* clipProto = vm.protos().movieClip) {
        vm.defineMethod(clipProto, QStringLiteral("getTextSnapshot"),
                        [](Vm& vm, CallArgs& c) -> Value {
                            if (!clipOf(vm, c.thisv))
                                return Value();
                            return makeTextSnapshot(vm, c.thisv);
                        });
        clipProto->findOwn(QStringLiteral("getTextSnapshot"))->flags |= propflag::OnlySwf6Up;
    }
}

} // namespace swf::avm1::builtins
