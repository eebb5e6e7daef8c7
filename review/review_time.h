// Times of the daily review. Stored times are Unix seconds (UTC); a review day is the learner's
// local calendar day, so "today" ends at the next local midnight, whatever the time zone or a
// daylight-saving change makes of its length.
#pragma once

#include <cstdint>

typedef std::int64_t UnixTime;

constexpr double kSecondsPerDay = 86400.0;

// The current time.
UnixTime UnixNow();

// The first second of the local day holding moment.
UnixTime LocalDayStart(UnixTime moment);

// The first second of the local day after the one holding moment: what is due before it is due
// today.
UnixTime LocalDayEnd(UnixTime moment);

// The local day start of moment moved by days whole days (negative: back).
UnixTime LocalDayStartAfter(UnixTime moment, int days);
