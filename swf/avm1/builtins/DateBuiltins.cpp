#include "swf/avm1/Vm.h"
#include "swf/avm1/builtins/Builtins.h"

#include <QDateTime>
#include <cmath>
#include <ctime>

namespace swf::avm1::builtins {

namespace {

constexpr double kMsPerDay = 86400000.0;
const double kNaN = std::nan("");

double day(double t) {
    return std::floor(t / kMsPerDay);
}
double timeWithinDay(double t) {
    const double r = std::fmod(t, kMsPerDay);
    return r < 0 ? r + kMsPerDay : r;
}
double daysFromCivil(double y, double m, double d) {
    // m is 1..12; the proleptic Gregorian calendar, as Date uses.
    y -= m <= 2;
    const double era = std::floor(y / 400);
    const double yoe = y - era * 400;
    const double mp = std::fmod(m + 9, 12);
    const double doy = std::floor((153 * mp + 2) / 5) + d - 1;
    const double doe = yoe * 365 + std::floor(yoe / 4) - std::floor(yoe / 100) + doy;
    return era * 146097 + doe - 719468;
}
void civilFromDays(double z, double& y, double& m, double& d) {
    z += 719468;
    const double era = std::floor(z / 146097);
    const double doe = z - era * 146097;
    const double yoe = std::floor(
        (doe - std::floor(doe / 1460) + std::floor(doe / 36524) - std::floor(doe / 146096)) / 365);
    y = yoe + era * 400;
    const double doy = doe - (365 * yoe + std::floor(yoe / 4) - std::floor(yoe / 100));
    const double mp = std::floor((5 * doy + 2) / 153);
    d = doy - std::floor((153 * mp + 2) / 5) + 1;
    m = mp < 10 ? mp + 3 : mp - 9;
    if (m <= 2)
        y += 1;
}

// The local zone's offset from UTC in ms at UTC time t, from the C library.
double localOffset(double t) {
    if (!std::isfinite(t))
        return 0;
    double secs = std::floor(t / 1000);
    // Outside what time_t and the zone database handle, use a year that is.
    if (secs < -2147483648.0 || secs > 4102444800.0)
        secs = 0;
    const std::time_t tt = static_cast<std::time_t>(secs);
    std::tm tm{};
    localtime_r(&tt, &tm);
    return static_cast<double>(tm.tm_gmtoff) * 1000;
}

double makeTime(double y, double mon, double d, double h, double mi, double s, double ms) {
    for (double v : {y, mon, d, h, mi, s, ms})
        if (!std::isfinite(v))
            return kNaN;
    const double ym = y + std::floor(mon / 12);
    const double mn = std::fmod(mon, 12);
    const double days = daysFromCivil(ym, (mn < 0 ? mn + 12 : mn) + 1, 1) + d - 1;
    return days * kMsPerDay + ((h * 60 + mi) * 60 + s) * 1000 + ms;
}

struct Parts {
    double year, month, date, hours, minutes, seconds, ms, weekday;
};

Parts split(double t) {
    Parts p{};
    double y, m, d;
    civilFromDays(day(t), y, m, d);
    p.year = y;
    p.month = m - 1;
    p.date = d;
    const double ms = timeWithinDay(t);
    p.hours = std::floor(ms / 3600000);
    p.minutes = std::fmod(std::floor(ms / 60000), 60);
    p.seconds = std::fmod(std::floor(ms / 1000), 60);
    p.ms = std::fmod(ms, 1000);
    p.weekday = std::fmod(day(t) + 4, 7);
    if (p.weekday < 0)
        p.weekday += 7;
    return p;
}

double timeOf(CallArgs& c) {
    Object* o = c.thisObject();
    return o && o->hasPrimitive() && o->primitive().isNumber() ? o->primitive().number() : kNaN;
}

double clip(double t) {
    if (!std::isfinite(t) || std::fabs(t) > 8.64e15)
        return kNaN;
    return std::trunc(t);
}

QString dateString(double t) {
    if (std::isnan(t))
        return QStringLiteral("Invalid Date");
    const double offset = localOffset(t);
    const Parts p = split(t + offset);
    static const char* const days[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static const char* const months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                         "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    const int off = static_cast<int>(offset / 60000);
    const int aoff = std::abs(off);
    return QStringLiteral("%1 %2 %3 %4:%5:%6 GMT%7%8%9 %10")
        .arg(QLatin1String(days[static_cast<int>(p.weekday)]),
             QLatin1String(months[static_cast<int>(p.month)]))
        .arg(static_cast<int>(p.date))
        .arg(static_cast<int>(p.hours), 2, 10, QChar('0'))
        .arg(static_cast<int>(p.minutes), 2, 10, QChar('0'))
        .arg(static_cast<int>(p.seconds), 2, 10, QChar('0'))
        .arg(off < 0 ? '-' : '+')
        .arg(aoff / 60, 2, 10, QChar('0'))
        .arg(aoff % 60, 2, 10, QChar('0'))
        .arg(static_cast<qlonglong>(p.year));
}

enum Field { Year, Month, Date, Hours, Minutes, Seconds, Ms, Weekday, FullYear };

void defineGetter(Vm& vm, Object* proto, const char* name, Field f, bool utc) {
    vm.defineMethod(proto, QLatin1String(name), [f, utc](Vm&, CallArgs& c) -> Value {
        const double t = timeOf(c);
        if (std::isnan(t))
            return Value(kNaN);
        const Parts p = split(utc ? t : t + localOffset(t));
        switch (f) {
        case Year:
            return Value(p.year - 1900);
        case FullYear:
            return Value(p.year);
        case Month:
            return Value(p.month);
        case Date:
            return Value(p.date);
        case Hours:
            return Value(p.hours);
        case Minutes:
            return Value(p.minutes);
        case Seconds:
            return Value(p.seconds);
        case Ms:
            return Value(p.ms);
        case Weekday:
            return Value(p.weekday);
        }
        return Value();
    });
}

// setX(a, b, c...): replaces field f and the ones after it that are given.
void defineSetter(Vm& vm, Object* proto, const char* name, Field f, bool utc) {
    vm.defineMethod(proto, QLatin1String(name), [f, utc](Vm& vm, CallArgs& c) -> Value {
        Object* o = c.thisObject();
        if (!o)
            return Value();
        double t = timeOf(c);
        if (std::isnan(t))
            t = 0;
        const double offset = utc ? 0 : localOffset(t);
        Parts p = split(t + offset);
        double* fields[] = {&p.year, &p.month, &p.date, &p.hours, &p.minutes, &p.seconds, &p.ms};
        int first = f == FullYear ? 0 : static_cast<int>(f);
        if (f == Year) {
            double y = vm.toNumber(c.arg(0));
            if (y >= 0 && y < 100)
                y += 1900;
            p.year = y;
            if (c.count() > 1)
                p.month = vm.toNumber(c.arg(1));
            if (c.count() > 2)
                p.date = vm.toNumber(c.arg(2));
        } else {
            const int maxArgs =
                first == 0
                    ? 3
                    : (first == 3 ? 4 : (first == 4 ? 3 : (first == 5 ? 2 : (first == 1 ? 2 : 1))));
            for (int i = 0; i < maxArgs && i < static_cast<int>(c.count()) && first + i < 7; ++i)
                *fields[first + i] = vm.toNumber(c.arg(i));
            if (c.count() == 0)
                *fields[first] = kNaN;
        }
        double local = makeTime(p.year, p.month, p.date, p.hours, p.minutes, p.seconds, p.ms);
        const double nt = clip(utc ? local : local - localOffset(local - offset));
        o->setPrimitive(Value(nt));
        return Value(nt);
    });
}

double timeFromArgs(Vm& vm, CallArgs& c, bool utc) {
    double v[7] = {0, 0, 1, 0, 0, 0, 0};
    for (std::size_t i = 0; i < 7 && i < c.count(); ++i)
        v[i] = vm.toNumber(c.arg(i));
    if (v[0] < 100) // two-digit years are 1900s, and so, counted back, are negative ones
        v[0] += 1900;
    const double local = makeTime(v[0], v[1], v[2], v[3], v[4], v[5], v[6]);
    return clip(utc ? local : local - localOffset(local));
}

} // namespace

void installDate(Vm& vm) {
    Object* proto = vm.newObject();
    vm.protos().date = proto;
    NativeFunction* ctor = vm.defineClass(
        vm.global(), QStringLiteral("Date"),
        [](Vm& vm, CallArgs& c) -> Value {
            double t;
            if (c.count() == 0)
                t = static_cast<double>(QDateTime::currentMSecsSinceEpoch());
            else if (c.count() == 1)
                t = clip(vm.toNumber(c.arg(0)));
            else
                t = timeFromArgs(vm, c, false);
            if (!c.construct)
                return Value(dateString(static_cast<double>(QDateTime::currentMSecsSinceEpoch())));
            if (Object* o = c.thisObject())
                o->setPrimitive(Value(t));
            return c.thisv;
        },
        proto);
    // A year alone is too little for Date.UTC: it needs the month as well.
    vm.defineMethod(ctor, QStringLiteral("UTC"), [](Vm& vm, CallArgs& c) -> Value {
        return c.count() < 2 ? Value() : Value(timeFromArgs(vm, c, true));
    });
    struct G {
        const char* local;
        const char* utc;
        Field f;
    };
    for (const G& g :
         {G{"getFullYear", "getUTCFullYear", FullYear}, G{"getYear", "getUTCYear", Year},
          G{"getMonth", "getUTCMonth", Month}, G{"getDate", "getUTCDate", Date},
          G{"getDay", "getUTCDay", Weekday}, G{"getHours", "getUTCHours", Hours},
          G{"getMinutes", "getUTCMinutes", Minutes}, G{"getSeconds", "getUTCSeconds", Seconds},
          G{"getMilliseconds", "getUTCMilliseconds", Ms}}) {
        defineGetter(vm, proto, g.local, g.f, false);
        defineGetter(vm, proto, g.utc, g.f, true);
    }
    for (const G& g :
         {G{"setFullYear", "setUTCFullYear", FullYear}, G{"setYear", "setUTCYear", Year},
          G{"setMonth", "setUTCMonth", Month}, G{"setDate", "setUTCDate", Date},
          G{"setHours", "setUTCHours", Hours}, G{"setMinutes", "setUTCMinutes", Minutes},
          G{"setSeconds", "setUTCSeconds", Seconds},
          G{"setMilliseconds", "setUTCMilliseconds", Ms}}) {
        defineSetter(vm, proto, g.local, g.f, false);
        defineSetter(vm, proto, g.utc, g.f, true);
    }
    vm.defineMethod(proto, QStringLiteral("getTime"),
                    [](Vm&, CallArgs& c) -> Value { return Value(timeOf(c)); });
    vm.defineMethod(proto, QStringLiteral("valueOf"),
                    [](Vm&, CallArgs& c) -> Value { return Value(timeOf(c)); });
    vm.defineMethod(proto, QStringLiteral("setTime"), [](Vm& vm, CallArgs& c) -> Value {
        const double t = clip(vm.toNumber(c.arg(0)));
        if (Object* o = c.thisObject())
            o->setPrimitive(Value(t));
        return Value(t);
    });
    vm.defineMethod(proto, QStringLiteral("getTimezoneOffset"), [](Vm&, CallArgs& c) -> Value {
        const double t = timeOf(c);
        if (std::isnan(t))
            return Value(kNaN);
        return Value(-localOffset(t) / 60000);
    });
    vm.defineMethod(proto, QStringLiteral("toString"),
                    [](Vm&, CallArgs& c) -> Value { return Value(dateString(timeOf(c))); });
}

} // namespace swf::avm1::builtins
