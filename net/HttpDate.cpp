#include "net/HttpDate.h"
#include "net/CutToken.h"
#include "net/ENetException.h"

#include <cmath>
#include <ctime>
#include <optional>

namespace net {

namespace {

constexpr const char* kMonths[] = {"JAN", "FEB", "MAR", "APR", "MAY", "JUN",
                                   "JUL", "AUG", "SEP", "OCT", "NOV", "DEC"};
constexpr const char* kDays[] = {"SUN", "MON", "TUE", "WED", "THU", "FRI", "SAT"};

// Days between 1970-01-01 and the civil date (proleptic Gregorian).
long long daysFromCivil(long long y, unsigned m, unsigned d) {
    y -= m <= 2;
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<long long>(doe) - 719468;
}

void civilFromDays(long long z, int& year, int& month, int& day) {
    z += 719468;
    const long long era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    year = static_cast<int>(yoe + era * 400 + (month <= 2));
}

constexpr long long kEpochOffsetDays = 25569; // 1899-12-30 to 1970-01-01

bool isLeap(int y) {
    return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

int daysInMonth(int y, int m) {
    static constexpr int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && isLeap(y) ? 29 : days[m - 1];
}

std::optional<int> decimal(const std::string& text) {
    if (text.empty() || text.size() > 9)
        return std::nullopt;
    std::size_t at = 0;
    bool negative = false;
    if (text[0] == '+' || text[0] == '-') {
        negative = text[0] == '-';
        at = 1;
    }
    if (at == text.size())
        return std::nullopt;
    int value = 0;
    for (; at < text.size(); ++at) {
        if (text[at] < '0' || text[at] > '9')
            return std::nullopt;
        value = value * 10 + (text[at] - '0');
    }
    return negative ? -value : value;
}

std::string nextWord(std::string& rest) {
    std::string word = CutToken(rest, " ", true);
    std::size_t at = 0;
    while (at < rest.size() && rest[at] == ' ')
        ++at;
    rest.erase(0, at);
    return word;
}

} // namespace

TDateTime EncodeDateTime(int year, int month, int day, int hour, int minute, int second) {
    const long long days =
        daysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day)) +
        kEpochOffsetDays;
    return static_cast<double>(days) + (hour * 3600 + minute * 60 + second) / 86400.0;
}

bool DecodeDateTime(TDateTime value, int& year, int& month, int& day, int& hour, int& minute,
                    int& second) {
    if (!std::isfinite(value))
        return false;
    const long long totalSeconds = std::llround(value * 86400.0);
    long long days = totalSeconds / 86400;
    long long secs = totalSeconds % 86400;
    if (secs < 0) {
        secs += 86400;
        --days;
    }
    civilFromDays(days - kEpochOffsetDays, year, month, day);
    hour = static_cast<int>(secs / 3600);
    minute = static_cast<int>(secs / 60 % 60);
    second = static_cast<int>(secs % 60);
    return true;
}

TDateTime ReadHttpDate(const std::string& Text) {
    std::string rest = TrimBlanks(Text);
    if (rest.empty())
        return 0;

    long long utcSeconds = 0;
    {
        const std::string head = UpperCase(rest.substr(0, 3));
        for (const char* dayName : kDays) {
            if (head == dayName) {
                nextWord(rest);
                break;
            }
        }
        const int day = decimal(nextWord(rest)).value_or(1);
        const std::string monthName = UpperCase(nextWord(rest));
        int month = 0;
        for (int i = 0; i < 12; ++i) {
            if (monthName == kMonths[i])
                month = i + 1;
        }
        if (month == 0)
            return 0;
        int year = decimal(nextWord(rest)).value_or(1900);
        if (year >= 0 && year < 80)
            year += 2000;
        else if (year >= 80 && year <= 99)
            year += 1900;
        if (year < 1 || year > 9999 || day < 1 || day > daysInMonth(year, month))
            return 0;

        int hour = 0, minute = 0, second = 0;
        if (rest.find(':') != std::string::npos) {
            std::string time = nextWord(rest);
            hour = decimal(CutToken(time, ":", true)).value_or(0);
            minute = decimal(CutToken(time, ":", true)).value_or(0);
            second = decimal(CutToken(time, ":", true)).value_or(0);
            if (hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59)
                return 0;
        }
        utcSeconds = daysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day)) *
                         86400LL +
                     hour * 3600LL + minute * 60LL + second;

        const std::string zone = rest;
        if (zone.size() > 4 && (zone[0] == '+' || zone[0] == '-')) {
            const int offH = decimal(zone.substr(1, 2)).value_or(0);
            const int offM = decimal(zone.substr(3, 2)).value_or(0);
            const bool valid = offH >= 0 && offM >= 0;
            const long long offset = valid ? offH * 3600LL + offM * 60LL : 0;
            // The zone is east of Greenwich for "+": its clock is ahead, so go back.
            utcSeconds += zone[0] == '+' ? -offset : offset;
        }
    }

    const auto seconds = static_cast<time_t>(utcSeconds);
    std::tm local{};
    tzset();
    if (!localtime_r(&seconds, &local))
        throw ENetFailedToRetreiveTimeZoneInfo();
    return EncodeDateTime(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour,
                          local.tm_min, local.tm_sec);
}

} // namespace net
