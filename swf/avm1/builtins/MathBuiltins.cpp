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
            return Value(fn(vm.toNumber(c.arg(0))));
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
        return Value(std::atan2(vm.toNumber(c.arg(0)), vm.toNumber(c.arg(1))));
    });
    vm.defineMethod(math, QStringLiteral("pow"), [](Vm& vm, CallArgs& c) -> Value {
        return Value(std::pow(vm.toNumber(c.arg(0)), vm.toNumber(c.arg(1))));
    });
    auto minmax = [](bool isMax) {
        return [isMax](Vm& vm, CallArgs& c) -> Value {
            double r = isMax ? -std::numeric_limits<double>::infinity()
                             : std::numeric_limits<double>::infinity();
            for (const Value& v : c.args) {
                const double x = vm.toNumber(v);
                if (std::isnan(x))
                    return Value(std::nan(""));
                r = isMax ? std::max(r, x) : std::min(r, x);
            }
            return Value(r);
        };
    };
    vm.defineMethod(math, QStringLiteral("max"), minmax(true));
    vm.defineMethod(math, QStringLiteral("min"), minmax(false));
    vm.defineMethod(math, QStringLiteral("random"), [](Vm&, CallArgs&) -> Value {
        return Value(QRandomGenerator::global()->generateDouble());
    });
    const uint32_t constant = propflag::DontEnum | propflag::DontDelete | propflag::ReadOnly;
    math->define(QStringLiteral("E"), Value(std::numbers::e), constant);
    math->define(QStringLiteral("LN10"), Value(std::numbers::ln10), constant);
    math->define(QStringLiteral("LN2"), Value(std::numbers::ln2), constant);
    math->define(QStringLiteral("LOG10E"), Value(std::numbers::log10e), constant);
    math->define(QStringLiteral("LOG2E"), Value(std::numbers::log2e), constant);
    math->define(QStringLiteral("PI"), Value(std::numbers::pi), constant);
    math->define(QStringLiteral("SQRT1_2"), Value(1 / std::numbers::sqrt2), constant);
    math->define(QStringLiteral("SQRT2"), Value(std::numbers::sqrt2), constant);
}

} // namespace swf::avm1::builtins
