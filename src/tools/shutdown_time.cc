#include "tools/shutdown_time.h"

#include <algorithm>
#include <cstdio>

namespace {

constexpr int kMinutesPerDay = 24 * 60;

}  // namespace

ClockTime WrapClockTime(ClockTime fields) {
  if (fields.hour > 23) fields.hour = 0;
  if (fields.hour < 0) fields.hour = 23;
  if (fields.minute >= 60) fields.minute = 0;
  if (fields.minute < 0) fields.minute = 59;
  return fields;
}

TimeUntil TimeUntilClockTime(ClockTime target, int64_t local_seconds) {
  int64_t second_of_day = ((local_seconds % 86400) + 86400) % 86400;
  int now_minute = static_cast<int>(second_of_day / 60);
  int target_minute = target.hour * 60 + target.minute;
  TimeUntil until;
  until.minutes = ((target_minute - now_minute) % kMinutesPerDay + kMinutesPerDay) % kMinutesPerDay;
  until.seconds = static_cast<int64_t>(until.minutes) * 60 - second_of_day % 60;
  return until;
}

std::u16string CountdownText(int64_t seconds) {
  seconds = std::max<int64_t>(seconds, 0);
  char text[48];
  std::snprintf(text, sizeof text, "%02lld : %02lld : %02lld", static_cast<long long>(seconds / 3600),
                static_cast<long long>(seconds / 60 % 60), static_cast<long long>(seconds % 60));
  return std::u16string(text, text + std::char_traits<char>::length(text));
}
