#include "swf/avm1/NumberFormat.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

namespace swf::avm1 {

QString numberToString(double n) {
    if (std::isnan(n))
        return QStringLiteral("NaN");
    if (std::isinf(n))
        return n > 0 ? QStringLiteral("Infinity") : QStringLiteral("-Infinity");
    if (n == 0)
        return QStringLiteral("0");
    // Whole numbers that fit are printed directly: the common case and exact.
    if (std::fabs(n) < 1e15 && n == std::trunc(n))
        return QString::number(static_cast<long long>(n));

    // Fifteen significant digits, a tie rounded away from zero as Flash does: the exact
    // expansion is printed first so printf's round-half-even never decides.
    char buf[80];
    std::snprintf(buf, sizeof buf, "%.40e", n);
    QByteArray s(buf);
    const int ePos = s.indexOf('e');
    int exponent = std::atoi(s.constData() + ePos + 1);
    const bool negative = s.startsWith('-');
    QByteArray all = s.mid(negative ? 1 : 0, ePos - (negative ? 1 : 0));
    all.remove(1, 1); // the decimal point
    QByteArray digits = all.left(15);
    if (all.size() > 15 && all[15] >= '5') {
        int i = digits.size() - 1;
        while (i >= 0 && digits[i] == '9')
            digits[i--] = '0';
        if (i >= 0) {
            digits[i] = static_cast<char>(digits[i] + 1);
        } else {
            digits.prepend('1');
            digits.chop(1);
            ++exponent;
        }
    }
    while (digits.size() > 1 && digits.endsWith('0'))
        digits.chop(1);

    QByteArray out;
    if (negative)
        out += '-';
    if (exponent >= 15 || exponent < -5) {
        out += digits[0];
        if (digits.size() > 1) {
            out += '.';
            out += digits.mid(1);
        }
        out += 'e';
        out += exponent >= 0 ? '+' : '-';
        out += QByteArray::number(std::abs(exponent));
    } else if (exponent < 0) {
        out += "0.";
        out += QByteArray(-exponent - 1, '0');
        out += digits;
    } else {
        const int intDigits = exponent + 1;
        if (digits.size() <= intDigits) {
            out += digits;
            out += QByteArray(intDigits - digits.size(), '0');
        } else {
            out += digits.left(intDigits);
            out += '.';
            out += digits.mid(intDigits);
        }
    }
    return QString::fromLatin1(out);
}

QString numberToRadixString(double n, int radix) {
    if (radix == 10 || radix < 2 || radix > 36)
        return numberToString(n);
    if (std::isnan(n))
        return QStringLiteral("NaN");
    if (std::isinf(n))
        return n > 0 ? QStringLiteral("Infinity") : QStringLiteral("-Infinity");
    // Flash works on the 32-bit integer here, printing negatives with a minus sign.
    const double t = std::trunc(n);
    long long v = std::fabs(t) < 9.2e18 ? static_cast<long long>(t) : 0;
    v = static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(v)));
    const bool negative = v < 0;
    unsigned long long u = negative ? static_cast<unsigned long long>(-v) : v;
    QString out;
    do {
        const int d = static_cast<int>(u % radix);
        out.prepend(QChar(d < 10 ? '0' + d : 'a' + d - 10));
        u /= radix;
    } while (u);
    if (negative)
        out.prepend('-');
    return out;
}

static bool isSpace(QChar c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v';
}

double stringToNumber(const QString& str, bool allowOctalAndHex) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    int b = 0, e = str.size();
    while (b < e && isSpace(str[b]))
        ++b;
    // Only white space before the number is passed over: "5 " is not a number.
    if (b == e)
        return nan;
    QString s = str.mid(b, e - b);
    bool negative = false;
    int i = 0;
    if (s[0] == '-' || s[0] == '+') {
        negative = s[0] == '-';
        i = 1;
    }
    if (allowOctalAndHex && s.size() - i > 2 && s[i] == '0' &&
        (s[i + 1] == 'x' || s[i + 1] == 'X')) {
        // Hexadecimal is only recognised at the very start of the text.
        if (b > 0)
            return nan;
        // Like octal, kept in 32 bits: only the last eight digits count.
        uint32_t v = 0;
        for (int k = i + 2; k < s.size(); ++k) {
            const int d = QStringView(s).mid(k, 1).toInt(nullptr, 16);
            if (!s[k].isDigit() && !(s[k].toLower() >= 'a' && s[k].toLower() <= 'f'))
                return nan;
            v = v * 16 + static_cast<uint32_t>(d);
        }
        return static_cast<double>(static_cast<int32_t>(negative ? 0u - v : v));
    }
    if (allowOctalAndHex && b == 0 && s.size() - i > 1 && s[i] == '0') {
        bool octal = true;
        for (int k = i; k < s.size(); ++k)
            if (s[k] < '0' || s[k] > '7')
                octal = false;
        if (octal) {
            // Octal numbers are kept in 32 bits, sign and all, and wrap like Flash's integers.
            uint32_t v = 0;
            for (int k = i; k < s.size(); ++k)
                v = v * 8 + (s[k].unicode() - '0');
            const uint32_t signedBits = negative ? 0u - v : v;
            return static_cast<double>(static_cast<int32_t>(signedBits));
        }
    }
    // "Infinity" is not a number to Flash (it prints infinities that way all the same).
    const QString rest = s.mid(i);
    // Only plain decimal notation counts; strtod would also take "inf", "nan" and hex.
    bool digits = false;
    int k = 0;
    while (k < rest.size() && rest[k].isDigit() && rest[k].unicode() < 128) {
        ++k;
        digits = true;
    }
    if (k < rest.size() && rest[k] == '.') {
        ++k;
        while (k < rest.size() && rest[k].unicode() < 128 && rest[k].isDigit()) {
            ++k;
            digits = true;
        }
    }
    if (!digits)
        return nan;
    if (k < rest.size() && (rest[k] == 'e' || rest[k] == 'E')) {
        ++k;
        if (k < rest.size() && (rest[k] == '+' || rest[k] == '-'))
            ++k;
        bool expDigits = false;
        while (k < rest.size() && rest[k].unicode() < 128 && rest[k].isDigit()) {
            ++k;
            expDigits = true;
        }
        if (!expDigits)
            return nan;
    }
    if (k != rest.size())
        return nan;
    const double v = std::strtod(rest.toLatin1().constData(), nullptr);
    return negative ? -v : v;
}

double leadingNumber(const QString& s) {
    int i = 0;
    while (i < s.size() && (s[i] == ' ' || s[i] == '\t' || s[i] == '\n' || s[i] == '\r'))
        ++i;
    QByteArray number;
    if (i < s.size() && (s[i] == '-' || s[i] == '+'))
        number += static_cast<char>(s[i++].unicode());
    // Flash reads on over a second decimal point as if it were not there, but after one
    // it no longer takes an exponent.
    int digits = 0;
    int points = 0;
    for (; i < s.size(); ++i) {
        const ushort u = s[i].unicode();
        if (u >= '0' && u <= '9') {
            number += static_cast<char>(u);
            ++digits;
        } else if (u == '.') {
            if (points++ == 0)
                number += '.';
        } else {
            break;
        }
    }
    if (digits == 0)
        return std::numeric_limits<double>::quiet_NaN();
    if (points < 2 && i + 1 < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        int k = i + 1;
        bool negativeExponent = false;
        if (s[k] == '-' || s[k] == '+')
            negativeExponent = s[k++] == '-';
        if (k < s.size() && s[k] >= '0' && s[k] <= '9') {
            // The exponent is kept in 32 bits and wraps like every other Flash integer.
            uint32_t exponent = 0;
            for (; k < s.size() && s[k] >= '0' && s[k] <= '9'; ++k)
                exponent = exponent * 10 + (s[k].unicode() - '0');
            const int32_t e = static_cast<int32_t>(negativeExponent ? 0u - exponent : exponent);
            number += 'e';
            number += QByteArray::number(e);
        }
    }
    return std::strtod(number.constData(), nullptr);
}

} // namespace swf::avm1
