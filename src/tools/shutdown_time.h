#pragma once

#include <cstdint>
#include <string>

// The clock arithmetic of the timed shutdown.

// A time of day as the shutdown window's two fields hold it.
struct ClockTime {
  int hour = 0;
  int minute = 0;
  friend bool operator==(const ClockTime&, const ClockTime&) = default;
};

// The fields after a step of their spin controls: an hour above 23 becomes 0 and one below
// 0 becomes 23; a minute of 60 or more becomes 0 and one below 0 becomes 59. Values inside
// the ranges stay.
ClockTime WrapClockTime(ClockTime fields);

// How far the next `target` lies after the local wall clock `local_seconds` (seconds since
// 1970 in the local zone): whole minutes of the day counted modulo 24 hours, so a target in
// the current minute is 0 minutes away and one a minute earlier is 23 h 59 min away.
struct TimeUntil {
  int minutes = 0;          // 0 .. 1439: what the status line shows
  int64_t seconds = 0;      // minutes * 60 less the seconds already past in this minute
};
TimeUntil TimeUntilClockTime(ClockTime target, int64_t local_seconds);

// "hh : mm : ss" of a remaining time; a negative time shows as 00 : 00 : 00.
std::u16string CountdownText(int64_t seconds);
