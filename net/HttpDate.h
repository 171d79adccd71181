#pragma once

#include <string>

namespace net {

// Days since 30 December 1899, the fraction being the time of day (the framework's
// date-time). 0 stands for "no date".
using TDateTime = double;

// Reads an HTTP date ("Sun, 06 Nov 1994 08:49:37 GMT", two-digit years, numeric zones) into
// local time; 0 when the text is not such a date. Raises ENetFailedToRetreiveTimeZoneInfo
// when the local time zone cannot be read.
TDateTime ReadHttpDate(const std::string& Text);

// Helpers for the date-time form.
TDateTime EncodeDateTime(int year, int month, int day, int hour, int minute, int second);
bool DecodeDateTime(TDateTime value, int& year, int& month, int& day, int& hour, int& minute,
                    int& second);

} // namespace net
