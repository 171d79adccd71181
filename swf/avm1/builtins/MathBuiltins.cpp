#include "swf/avm1/Vm.h"
#include "swf/avm1/builtins/Builtins.h"

#include <QRandomGenerator>
#include <cmath>
#include <limits>
#include <numbers>

namespace swf::avm1::builtins {

void installMath(Vm& vm) {
    Object* math = vm.newObject();
    vm.global()->define(QStringLiteral("Math"), Value(math), propflag::DontEnum);
    auto unary = [&](const char* name, double (*fn)(double)) {
        vm.defineMethod(math, QLatin1String(name), [fn](Vm& vm, CallArgs& c) -> Value {
            if (c.count() == 0)
                return Value(std::nan(""));
            const double x = vm.toNumber(c.arg(0));
            // Flash converts a second argument too, and its valueOf is heard.
            if (c.count() > 1)
                vm.toNumber(c.arg(1));
            return Value(fn(x));
        });
    };
    unary("abs", [](double x) { return std::fabs(x); });
    unary("acos", [](double x) { return std::acos(x); });
    unary("asin", [](double x) { return std::asin(x); });
    unary("atan", [](double x) { return std::atan(x); });
    unary("ceil", [](double x) { return std::ceil(x); });
    unary("cos", [](double x) { return std::cos(x); });
    unary("exp", [](double x) { return std::exp(x); });
    unary("floor", [](double x) { return std::floor(x); });
    unary("log", [](double x) { return std::log(x); });
    unary("round", [](double x) { return std::floor(x + 0.5); });
    unary("sin", [](double x) { return std::sin(x); });
    unary("sqrt", [](double x) { return std::sqrt(x); });
    unary("tan", [](double x) { return std::tan(x); });
    vm.defineMethod(math, QStringLiteral("atan2"), [](Vm& vm, CallArgs& c) -> Value {
        if (c.count() < 2)
            return Value(std::nan(""));
        const double y = vm.toNumber(c.arg(0));
        return Value(std::atan2(y, vm.toNumber(c.arg(1))));
    });
    vm.defineMethod(math, QStringLiteral("pow"), [](Vm& vm, CallArgs& c) -> Value {
        const double base = vm.toNumber(c.arg(0));
        // A missing exponent is NaN, which still leaves 1 to the power of it 1.
        if (c.count() < 2)
            return Value(std::pow(base, std::nan("")));
        return Value(std::pow(base, vm.toNumber(c.arg(1))));
    });
    // Only the first two arguments count; one alone is compared with NaN.
    auto minmax = [](bool isMax) {
        return [isMax](Vm& vm, CallArgs& c) -> Value {
            if (c.count() == 0)
                return Value(isMax ? -std::numeric_limits<double>::infinity()
                                   : std::numeric_limits<double>::infinity());
            const double a = vm.toNumber(c.arg(0));
            if (c.count() < 2)
                return Value(std::nan(""));
            const double b = vm.toNumber(c.arg(1));
            if (std::isnan(a) || std::isnan(b))
                return Value(std::nan(""));
            return Value(isMax ? std::max(a, b) : std::min(a, b));
        };
    };
    vm.defineMethod(math, QStringLiteral("max"), minmax(true));
    vm.defineMethod(math, QStringLiteral("min"), minmax(false));
    vm.defineMethod(math, QStringLiteral("random"), [](Vm& vm, CallArgs& c) -> Value {
        for (std::size_t i = 0; i < std::min<std::size_t>(c.count(), 2); ++i)
            vm.toNumber(c.arg(i));
        return Value(QRandomGenerator::global()->generateDouble());
    });
    const uint32_t constant = propflag::DontEnum | propflag::DontDelete | propflag::ReadOnly;
    math->define(QStringLiteral("E"), Value(std::numbers::e), constant);
    math->define(QStringLiteral("LN10"), Value(std::numbers::ln10), constant);
    math->define(QStringLiteral("LN2"), Value(std::numbers::ln2), constant);
    math->define(QStringLiteral("LOG10E"), Value(std::numbers::log10e), constant);
    math->define(QStringLiteral("LOG2E"), Value(std::numbers::log2e), constant);
    math->define(QStringLiteral("PI"), Value(std::numbers::pi), constant);
    math->define(QStringLiteral("SQRT1_2"), Value(std::numbers::sqrt2 / 2), constant);
    math->define(QStringLiteral("SQRT2"), Value(std::numbers::sqrt2), constant);
}

} // namespace swf::avm1::builtins
