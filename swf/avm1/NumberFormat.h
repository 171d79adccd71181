#pragma once

// Numbers printed the way the Flash Player prints them: 15 significant digits, exponent form
// from 1e15 up and below 1e-5, "NaN", "Infinity", "-Infinity", and -0 as "0".

#include <QString>

namespace swf::avm1 {

QString numberToString(double n);
// Number.prototype.toString with a radix from 2 to 36; integers only keep their digits.
QString numberToRadixString(double n, int radix);
// The number a string spells, or NaN. Leading and trailing whitespace is allowed, as are
// hexadecimal "0x" numbers and, when octal is set, a leading zero meaning octal.
double stringToNumber(const QString& s, bool allowOctalAndHex);
// The number at the start of a string, ignoring what follows it, as parseFloat reads it.
double leadingNumber(const QString& s);

} // namespace swf::avm1
