// The learning day in real time zones. Each run of this program has one zone, set through the
// process's TZ (Wine takes the system's time zone from it), and checks that zone's rows. The
// expected numbers were computed from the IANA zone rules, outside this program.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "review/learning_day.h"

namespace {

struct Instant {
    const char *zone;
    UnixTime moment;
    long long day;           // its learning day: days from 1970-01-01 to that day's date
    const char *date;
    UnixTime start, next;    // the first seconds of that learning day and of the one after it
};

const Instant kInstants[] = {
    {"UTC", 1781495999, 20618, "2026-06-14", 1781409600, 1781496000},  // 2026-06-15T03:59:59Z = 06-15 03:59:59+0000: day 2026-06-14, 24 h
    {"UTC", 1781496000, 20619, "2026-06-15", 1781496000, 1781582400},  // 2026-06-15T04:00:00Z = 06-15 04:00:00+0000: day 2026-06-15, 24 h
    {"Pacific/Kiritimati", 1781445599, 20618, "2026-06-14", 1781359200, 1781445600},  // 2026-06-14T13:59:59Z = 06-15 03:59:59+1400: day 2026-06-14, 24 h
    {"Pacific/Kiritimati", 1781445600, 20619, "2026-06-15", 1781445600, 1781532000},  // 2026-06-14T14:00:00Z = 06-15 04:00:00+1400: day 2026-06-15, 24 h
    {"America/New_York", 1772955000, 20519, "2026-03-07", 1772874000, 1772956800},  // 2026-03-08T07:30:00Z = 03-08 03:30:00-0400: day 2026-03-07, 23 h
    {"America/New_York", 1772956800, 20520, "2026-03-08", 1772956800, 1773043200},  // 2026-03-08T08:00:00Z = 03-08 04:00:00-0400: day 2026-03-08, 24 h
    {"America/New_York", 1772873999, 20518, "2026-03-06", 1772787600, 1772874000},  // 2026-03-07T08:59:59Z = 03-07 03:59:59-0500: day 2026-03-06, 24 h
    {"America/New_York", 1793521800, 20757, "2026-10-31", 1793433600, 1793523600},  // 2026-11-01T08:30:00Z = 11-01 03:30:00-0500: day 2026-10-31, 25 h
    {"America/New_York", 1793523600, 20758, "2026-11-01", 1793523600, 1793610000},  // 2026-11-01T09:00:00Z = 11-01 04:00:00-0500: day 2026-11-01, 24 h
    {"Africa/Cairo", 1776981599, 20566, "2026-04-23", 1776909600, 1776992400},  // 2026-04-23T21:59:59Z = 04-23 23:59:59+0200: day 2026-04-23, 23 h
    {"Africa/Cairo", 1776981600, 20566, "2026-04-23", 1776909600, 1776992400},  // 2026-04-23T22:00:00Z = 04-24 01:00:00+0300: day 2026-04-23, 23 h
    {"Africa/Cairo", 1776992400, 20567, "2026-04-24", 1776992400, 1777078800},  // 2026-04-24T01:00:00Z = 04-24 04:00:00+0300: day 2026-04-24, 24 h
    {"Africa/Cairo", 1793325599, 20755, "2026-10-29", 1793235600, 1793325600},  // 2026-10-30T01:59:59Z = 10-30 03:59:59+0200: day 2026-10-29, 25 h
    {"America/Santiago", 1788667199, 20701, "2026-09-05", 1788595200, 1788678000},  // 2026-09-06T03:59:59Z = 09-05 23:59:59-0400: day 2026-09-05, 23 h
    {"America/Santiago", 1788667200, 20701, "2026-09-05", 1788595200, 1788678000},  // 2026-09-06T04:00:00Z = 09-06 01:00:00-0300: day 2026-09-05, 23 h
    {"America/Santiago", 1788678000, 20702, "2026-09-06", 1788678000, 1788764400},  // 2026-09-06T07:00:00Z = 09-06 04:00:00-0300: day 2026-09-06, 24 h
    {"America/Santiago", 1775375999, 20547, "2026-04-04", 1775286000, 1775376000},  // 2026-04-05T07:59:59Z = 04-05 03:59:59-0400: day 2026-04-04, 25 h
};

// Whole learning days between two moments, as the review counts elapsed time.
struct Elapsed {
    const char *zone, *what;
    UnixTime earlier, later;
    int days;
};

const Elapsed kElapsed[] = {
    {"UTC", "ten minutes before the day began, answered ten minutes after", 1781495400, 1781496600, 1},
    {"UTC", "at 23:00, answered at 08:00 the next morning", 1781478000, 1781510400, 1},
    {"UTC", "at 22:00, answered at 01:00 past midnight: the same day", 1781474400, 1781485200, 0},
    {"UTC", "a minute after the day began, answered a minute before the next", 1781409660, 1781495940, 0},
    {"UTC", "a minute before the day began, answered a minute after the next", 1781409540, 1781496060, 2},
    {"UTC", "a clock set back: never negative", 1781496060, 1781409540, 0},
    {"America/New_York", "the whole 23-hour day of the spring change", 1772874000, 1772956799, 0},
    {"America/New_York", "across the 25-hour day of the autumn change", 1793433600, 1793523600, 1},
    {"America/Santiago", "the whole day holding the skipped midnight", 1788595200, 1788677999, 0},
    {"Africa/Cairo", "from before the skipped midnight to the next day", 1776981599, 1776992400, 1},
};

std::string Zone()
{
    const char *zone = std::getenv("TZ");
    return zone ? zone : "";
}

TEST(LearningDay, NumbersAndStartsInThisZone)
{
    std::string zone = Zone();
    int checked = 0;
    for (const Instant &instant : kInstants) {
        if (zone != instant.zone)
            continue;
        checked++;
        SCOPED_TRACE(std::string(instant.zone) + " at " + std::to_string(instant.moment));
        EXPECT_EQ(LearningDay(instant.moment), instant.day);
        EXPECT_EQ(LearningDayStart(instant.day), instant.start);
        EXPECT_EQ(LearningDayStart(instant.day + 1), instant.next);
        EXPECT_EQ(LearningDay(instant.start), instant.day);
        EXPECT_EQ(LearningDay(instant.start - 1), instant.day - 1);
        EXPECT_EQ(LearningDay(instant.next - 1), instant.day);
        CalendarDate date = LearningDayDate(instant.day);
        char text[16];
        snprintf(text, sizeof text, "%04d-%02d-%02d", date.year, date.month, date.day);
        EXPECT_STREQ(text, instant.date);
    }
    for (const Elapsed &elapsed : kElapsed) {
        if (zone != elapsed.zone)
            continue;
        checked++;
        EXPECT_EQ(LearningDaysBetween(elapsed.earlier, elapsed.later), elapsed.days) << elapsed.what;
    }
    EXPECT_GT(checked, 0) << "no rows for TZ=" << zone;
}

}  // namespace
