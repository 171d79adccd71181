#include "swf/avm1/builtins/BitmapDataObject.h"
#include "swf/avm1/builtins/Builtins.h"
#include "swf/avm1/builtins/ColorTransformObject.h"
#include "swf/avm1/builtins/ScriptAccess.h"

#include <QPainter>
#include <QRandomGenerator>
#include <cmath>

namespace swf::avm1::builtins {

namespace {

BitmapDataObject* self(const CallArgs& c) {
    auto* b = dynamic_cast<BitmapDataObject*>(c.thisObject());
    return b && b->valid() ? b : nullptr;
}

int toInt(Vm& vm, const Value& v) {
    const double d = vm.toNumber(v);
    if (!std::isfinite(d))
        return 0;
    return static_cast<int>(std::clamp(std::trunc(d), -1e9, 1e9));
}

// A script rectangle as whole pixels; empty when its fields are not numbers.
QRect rectOf(Vm& vm, const Value& r) {
    const double x = num(vm, r, "x");
    const double y = num(vm, r, "y");
    const double w = num(vm, r, "width");
    const double h = num(vm, r, "height");
    if (!std::isfinite(x) || !std::isfinite(y) || !std::isfinite(w) || !std::isfinite(h))
        return {};
    auto clip = [](double d) { return static_cast<int>(std::clamp(std::trunc(d), -1e8, 1e8)); };
    return QRect(clip(x), clip(y), clip(w), clip(h));
}

QPoint pointOf(Vm& vm, const Value& p) {
    const double x = num(vm, p, "x");
    const double y = num(vm, p, "y");
    auto clip = [](double d) {
        return std::isfinite(d) ? static_cast<int>(std::clamp(std::trunc(d), -1e8, 1e8)) : 0;
    };
    return QPoint(clip(x), clip(y));
}

Value signedColor(uint32_t argb) {
    return Value(static_cast<double>(static_cast<int32_t>(argb)));
}

void fill(BitmapDataObject* b, const QRect& r, uint32_t argb) {
    const QRect area = r.intersected(b->image->rect());
    if (area.isEmpty())
        return;
    if (!b->transparent)
        argb |= 0xFF000000u;
    const QRgb p = qPremultiply(argb);
    for (int y = area.top(); y <= area.bottom(); ++y) {
        QRgb* line = reinterpret_cast<QRgb*>(b->image->scanLine(y));
        std::fill(line + area.left(), line + area.right() + 1, p);
    }
}

} // namespace

void installBitmapData(Vm& vm) {
    Object* display = package(vm, QStringLiteral("flash.display"));
    Object* proto = vm.newObject();
    NativeFunction* ctor = vm.defineClass(
        display, QStringLiteral("BitmapData"),
        [](Vm& vm, CallArgs& c) -> Value {
            auto* b = dynamic_cast<BitmapDataObject*>(c.thisObject());
            if (!b)
                return Value();
            const double w = std::trunc(vm.toNumber(c.arg(0)));
            const double h = std::trunc(vm.toNumber(c.arg(1)));
            // Refused sizes leave an object with no pixels: every method then does nothing
            // and width and height read -1, so no size can take the machine's memory.
            if (!BitmapDataObject::sizeAllowed(vm.version(), w, h))
                return Value();
            b->transparent = c.count() < 3 || vm.toBoolean(c.arg(2));
            uint32_t color = c.count() < 4 ? 0xFFFFFFFFu : vm.toUint32(c.arg(3));
            if (!b->transparent)
                color |= 0xFF000000u;
            auto image = std::make_shared<QImage>(static_cast<int>(w), static_cast<int>(h),
                                                  QImage::Format_ARGB32_Premultiplied);
            if (image->isNull())
                return Value();
            image->fill(qPremultiply(color));
            b->image = std::move(image);
            return Value();
        },
        proto);
    ctor->setAllocator(
        [](Vm& vm, Object* p) -> Object* { return vm.heap().make<BitmapDataObject>(p); });

    auto readOnly = [&](const char* name, std::function<Value(Vm&, BitmapDataObject*)> get) {
        defineAccessor(vm, proto, name, [get](Vm& vm, CallArgs& c) -> Value {
            auto* b = dynamic_cast<BitmapDataObject*>(c.thisObject());
            if (!b)
                return Value();
            return get(vm, b);
        });
    };
    readOnly("width", [](Vm&, BitmapDataObject* b) { return Value(b->width()); });
    readOnly("height", [](Vm&, BitmapDataObject* b) { return Value(b->height()); });
    readOnly("transparent", [](Vm&, BitmapDataObject* b) {
        return b->valid() ? Value(b->transparent) : Value(-1);
    });
    readOnly("rectangle", [](Vm& vm, BitmapDataObject* b) {
        if (!b->valid())
            return Value(-1);
        return construct(vm, "flash.geom", "Rectangle",
                         {Value(0), Value(0), Value(b->width()), Value(b->height())});
    });

    vm.defineMethod(proto, QStringLiteral("getPixel"), [](Vm& vm, CallArgs& c) -> Value {
        BitmapDataObject* b = self(c);
        if (!b)
            return Value(-1);
        return Value(
            static_cast<double>(b->pixel32(toInt(vm, c.arg(0)), toInt(vm, c.arg(1))) & 0xFFFFFF));
    });
    vm.defineMethod(proto, QStringLiteral("getPixel32"), [](Vm& vm, CallArgs& c) -> Value {
        BitmapDataObject* b = self(c);
        if (!b)
            return Value(-1);
        return signedColor(b->pixel32(toInt(vm, c.arg(0)), toInt(vm, c.arg(1))));
    });
    vm.defineMethod(proto, QStringLiteral("setPixel"), [](Vm& vm, CallArgs& c) -> Value {
        if (BitmapDataObject* b = self(c)) {
            const int x = toInt(vm, c.arg(0));
            const int y = toInt(vm, c.arg(1));
            const uint32_t keepAlpha = b->pixel32(x, y) & 0xFF000000u;
            b->setPixel32(x, y, keepAlpha | (vm.toUint32(c.arg(2)) & 0xFFFFFF));
        }
        return Value();
    });
    vm.defineMethod(proto, QStringLiteral("setPixel32"), [](Vm& vm, CallArgs& c) -> Value {
        if (BitmapDataObject* b = self(c))
            b->setPixel32(toInt(vm, c.arg(0)), toInt(vm, c.arg(1)), vm.toUint32(c.arg(2)));
        return Value();
    });
    vm.defineMethod(proto, QStringLiteral("fillRect"), [](Vm& vm, CallArgs& c) -> Value {
        if (BitmapDataObject* b = self(c); b && c.arg(0).isObject())
            fill(b, rectOf(vm, c.arg(0)), vm.toUint32(c.arg(1)));
        return Value();
    });
    vm.defineMethod(proto, QStringLiteral("dispose"), [](Vm&, CallArgs& c) -> Value {
        if (auto* b = dynamic_cast<BitmapDataObject*>(c.thisObject()))
            b->image.reset();
        return Value();
    });
    vm.defineMethod(proto, QStringLiteral("clone"), [ctor](Vm& vm, CallArgs& c) -> Value {
        BitmapDataObject* b = self(c);
        if (!b)
            return Value();
        auto* copy = vm.heap().make<BitmapDataObject>(b->proto());
        vm.initInstance(copy, ctor);
        copy->transparent = b->transparent;
        copy->image = std::make_shared<QImage>(b->image->copy());
        return Value(static_cast<Object*>(copy));
    });
    vm.defineMethod(proto, QStringLiteral("copyPixels"), [](Vm& vm, CallArgs& c) -> Value {
        BitmapDataObject* b = self(c);
        auto* src = dynamic_cast<BitmapDataObject*>(c.arg(0).object());
        if (!b || !src || !src->valid())
            return Value();
        QRect from = rectOf(vm, c.arg(1)).intersected(src->image->rect());
        const QPoint to = pointOf(vm, c.arg(2));
        const bool merge = c.count() > 5 && vm.toBoolean(c.arg(5));
        // Copy from a snapshot so copying a picture onto itself reads the old pixels.
        const QImage source = src == b ? b->image->copy() : *src->image;
        for (int y = from.top(); y <= from.bottom(); ++y) {
            const int ty = to.y() + (y - from.top());
            if (ty < 0 || ty >= b->height())
                continue;
            const QRgb* in = reinterpret_cast<const QRgb*>(source.constScanLine(y));
            QRgb* out = reinterpret_cast<QRgb*>(b->image->scanLine(ty));
            for (int x = from.left(); x <= from.right(); ++x) {
                const int tx = to.x() + (x - from.left());
                if (tx < 0 || tx >= b->width())
                    continue;
                QRgb p = in[x];
                if (merge && b->transparent) {
                    // Source over destination, both premultiplied.
                    const uint32_t a = qAlpha(p);
                    const QRgb d = out[tx];
                    auto mix = [&](int s, int dd) { return s + dd * (255 - a) / 255; };
                    p = qRgba(mix(qRed(p), qRed(d)), mix(qGreen(p), qGreen(d)),
                              mix(qBlue(p), qBlue(d)), mix(qAlpha(p), qAlpha(d)));
                } else if (!b->transparent) {
                    p = qPremultiply(qUnpremultiply(p) | 0xFF000000u);
                }
                out[tx] = p;
            }
        }
        return Value();
    });
    vm.defineMethod(proto, QStringLiteral("noise"), [](Vm& vm, CallArgs& c) -> Value {
        BitmapDataObject* b = self(c);
        if (!b)
            return Value();
        const uint32_t seed = vm.toUint32(c.arg(0));
        const int low = c.count() > 1 ? std::clamp(toInt(vm, c.arg(1)), 0, 255) : 0;
        const int high = c.count() > 2 ? std::clamp(toInt(vm, c.arg(2)), 0, 255) : 255;
        const uint32_t channels = c.count() > 3 ? vm.toUint32(c.arg(3)) : 7;
        const bool gray = c.count() > 4 && vm.toBoolean(c.arg(4));
        // The same seed gives the same picture, as movies that use noise as texture expect.
        QRandomGenerator rng(seed);
        const int lo = std::min(low, high);
        const int span = std::abs(high - low) + 1;
        auto next = [&] { return lo + static_cast<int>(rng.bounded(static_cast<quint32>(span))); };
        for (int y = 0; y < b->height(); ++y) {
            for (int x = 0; x < b->width(); ++x) {
                int r = 0, g = 0, bl = 0, a = 255;
                if (gray) {
                    r = g = bl = next();
                } else {
                    if (channels & 1)
                        r = next();
                    if (channels & 2)
                        g = next();
                    if (channels & 4)
                        bl = next();
                }
                if ((channels & 8) && b->transparent)
                    a = next();
                b->setPixel32(x, y, qRgba(r, g, bl, a));
            }
        }
        return Value();
    });
    vm.defineMethod(proto, QStringLiteral("floodFill"), [](Vm& vm, CallArgs& c) -> Value {
        BitmapDataObject* b = self(c);
        if (!b)
            return Value();
        const int x0 = toInt(vm, c.arg(0));
        const int y0 = toInt(vm, c.arg(1));
        if (x0 < 0 || y0 < 0 || x0 >= b->width() || y0 >= b->height())
            return Value();
        const uint32_t target = b->pixel32(x0, y0);
        uint32_t color = vm.toUint32(c.arg(2));
        if (!b->transparent)
            color |= 0xFF000000u;
        if (target == color)
            return Value();
        // An explicit stack: a recursive fill would overflow on a large open area.
        std::vector<QPoint> stack{{x0, y0}};
        while (!stack.empty()) {
            const QPoint p = stack.back();
            stack.pop_back();
            if (p.x() < 0 || p.y() < 0 || p.x() >= b->width() || p.y() >= b->height() ||
                b->pixel32(p.x(), p.y()) != target)
                continue;
            b->setPixel32(p.x(), p.y(), color);
            if (b->pixel32(p.x(), p.y()) == target)
                continue; // the colour cannot be told apart after storing; stop here
            stack.push_back({p.x() + 1, p.y()});
            stack.push_back({p.x() - 1, p.y()});
            stack.push_back({p.x(), p.y() + 1});
            stack.push_back({p.x(), p.y() - 1});
        }
        return Value();
    });
    vm.defineMethod(proto, QStringLiteral("colorTransform"), [](Vm& vm, CallArgs& c) -> Value {
        BitmapDataObject* b = self(c);
        auto* ct = dynamic_cast<ColorTransformObject*>(c.arg(1).object());
        if (!b || !ct)
            return Value();
        const QRect area = rectOf(vm, c.arg(0)).intersected(b->image->rect());
        for (int y = area.top(); y <= area.bottom(); ++y)
            for (int x = area.left(); x <= area.right(); ++x) {
                const uint32_t p = b->pixel32(x, y);
                const int ch[4] = {qRed(p), qGreen(p), qBlue(p), qAlpha(p)};
                int out[4];
                for (int i = 0; i < 4; ++i) {
                    const double v = ch[i] * ct->v[i] + ct->v[4 + i];
                    out[i] = std::isnan(v) ? 0 : static_cast<int>(std::clamp(v, 0.0, 255.0));
                }
                b->setPixel32(x, y, qRgba(out[0], out[1], out[2], out[3]));
            }
        return Value();
    });
    vm.defineMethod(proto, QStringLiteral("scroll"), [](Vm& vm, CallArgs& c) -> Value {
        BitmapDataObject* b = self(c);
        if (!b)
            return Value();
        const int dx = toInt(vm, c.arg(0));
        const int dy = toInt(vm, c.arg(1));
        const QImage before = b->image->copy();
        QPainter painter(b->image.get());
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.drawImage(QPoint(dx, dy), before);
        return Value();
    });
}

} // namespace swf::avm1::builtins
