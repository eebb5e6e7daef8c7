// The review's days. Stored times are Unix seconds (UTC). A learning day runs from 04:00 local
// time to the next 04:00, so that a learner studying past midnight is still in "today". Each day
// has a number, the days from 1 January 1970 to its local calendar date, and every count of days
// the review makes (elapsed days, due days, "today") is a difference of these numbers, whatever
// the time zone or a daylight-saving change makes of a day's length. Local time comes from the
// system's time zone with its rules for each year.
#pragma once

#include <cstdint>

#include "common/calendar.h"

typedef std::int64_t UnixTime;

// The local hour at which a learning day begins.
constexpr int kLearningDayStartHour = 4;


// The current time.
UnixTime UnixNow();

// The number of the learning day holding moment.
long long LearningDay(UnixTime moment);

// The first second of learning day day: 04:00 local time on its date, or, where the clock skips
// that hour, the first second after the skip.
UnixTime LearningDayStart(long long day);

// Whole learning days from the one holding earlier to the one holding later: 0 within one day,
// never negative (a clock set back gives 0).
int LearningDaysBetween(UnixTime earlier, UnixTime later);

// The local calendar date learning day day is named by.
CalendarDate LearningDayDate(long long day);
