#include "review/learning_day.h"

#include "common/calendar.h"

#include <windows.h>

#include <algorithm>
#include <map>
#include <optional>

namespace {

constexpr UnixTime kSecondsPerDay = 86400;
// Seconds from 1601 (FILETIME's start) to 1970.
constexpr UnixTime kFileTimeEpoch = 11644473600;
// The moments local time is asked for: from 1970 to the end of 3000, two days' margin either side
// so that any zone's local date stays in that range. A damaged store may give any number.
constexpr UnixTime kFirstMoment = 2 * kSecondsPerDay, kLastMoment = 32535216000 - 2 * kSecondsPerDay;

// The system's time zone and its rules for the years asked for, read again once a minute so that
// a zone the user changes is followed: reading them is slow (the system looks the zone up among
// all it knows), and a review asks for local times by the dozen.
struct ZoneRules {
    SRWLOCK lock = SRWLOCK_INIT;
    ULONGLONG readAt = 0;
    bool read = false, known = false, presentKnown = false;
    DYNAMIC_TIME_ZONE_INFORMATION zone = {};
    TIME_ZONE_INFORMATION present = {};   // the rules in force now, for years the system has none for
    std::map<USHORT, std::optional<TIME_ZONE_INFORMATION>> years;
};

ZoneRules zoneRules;

// The zone's rules for year, or when the system has none for it its rules in force now; false
// when it has neither.
bool RulesFor(USHORT year, TIME_ZONE_INFORMATION *rules)
{
    AcquireSRWLockExclusive(&zoneRules.lock);
    ULONGLONG now = GetTickCount64();
    if (!zoneRules.read || now - zoneRules.readAt > 60000) {
        zoneRules.known = GetDynamicTimeZoneInformation(&zoneRules.zone) != TIME_ZONE_ID_INVALID;
        zoneRules.presentKnown = GetTimeZoneInformation(&zoneRules.present) != TIME_ZONE_ID_INVALID;
        zoneRules.years.clear();
        zoneRules.readAt = now;
        zoneRules.read = true;
    }
    auto found = zoneRules.years.find(year);
    if (found == zoneRules.years.end()) {
        TIME_ZONE_INFORMATION forYear = {};
        bool had = zoneRules.known && GetTimeZoneInformationForYear(year, &zoneRules.zone, &forYear);
        found = zoneRules.years.emplace(year, had ? std::optional<TIME_ZONE_INFORMATION>(forYear) : std::nullopt).first;
    }
    bool had = found->second.has_value() || zoneRules.presentKnown;
    if (had)
        *rules = found->second ? *found->second : zoneRules.present;
    ReleaseSRWLockExclusive(&zoneRules.lock);
    return had;
}

// The local date of moment, in days from 1970, and its local time of day in seconds. The zone's
// rules for moment's year apply; when the system has none for it, the zone's present rules, and
// when even those fail, UTC.
long long LocalDateAndTime(UnixTime moment, int *secondOfDay)
{
    moment = std::min(std::max(moment, kFirstMoment), kLastMoment);
    ULARGE_INTEGER ticks;
    ticks.QuadPart = static_cast<ULONGLONG>(moment + kFileTimeEpoch) * 10000000ULL;
    FILETIME fileTime = {ticks.LowPart, ticks.HighPart};
    SYSTEMTIME utc = {}, local = {};
    *secondOfDay = static_cast<int>(moment % kSecondsPerDay);
    if (!FileTimeToSystemTime(&fileTime, &utc))
        return moment / kSecondsPerDay;
    TIME_ZONE_INFORMATION rules;
    if (!RulesFor(utc.wYear, &rules) || !SystemTimeToTzSpecificLocalTime(&rules, &utc, &local))
        local = utc;
    *secondOfDay = local.wHour * 3600 + local.wMinute * 60 + local.wSecond;
    return DaysFromDate(local.wYear, local.wMonth, local.wDay);
}

long long LearningDayIn(UnixTime moment)
{
    int secondOfDay = 0;
    long long date = LocalDateAndTime(moment, &secondOfDay);
    return secondOfDay < kLearningDayStartHour * 3600 ? date - 1 : date;
}

}  // namespace

UnixTime UnixNow()
{
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    ULARGE_INTEGER ticks;
    ticks.LowPart = now.dwLowDateTime;
    ticks.HighPart = now.dwHighDateTime;
    return static_cast<UnixTime>(ticks.QuadPart / 10000000ULL) - kFileTimeEpoch;
}

long long LearningDay(UnixTime moment)
{
    return LearningDayIn(moment);
}

UnixTime LearningDayStart(long long day)
{
    // The day's 04:00 in UTC is within 14 hours of its 04:00 local time (26 with a daylight
    // change): the first second whose learning day is day lies between two days before and two
    // days after it. No local time is built, so a skipped or doubled hour needs no care.
    UnixTime guess = day * kSecondsPerDay + kLearningDayStartHour * 3600;
    UnixTime before = guess - 2 * kSecondsPerDay, from = guess + 2 * kSecondsPerDay;
    if (LearningDayIn(before) >= day || LearningDayIn(from) < day)
        return std::min(std::max(guess, kFirstMoment), kLastMoment);
    while (from - before > 1) {
        UnixTime middle = before + (from - before) / 2;
        if (LearningDayIn(middle) >= day)
            from = middle;
        else
            before = middle;
    }
    return from;
}

int LearningDaysBetween(UnixTime earlier, UnixTime later)
{
    long long days = LearningDayIn(later) - LearningDayIn(earlier);
    return static_cast<int>(std::min(std::max(days, 0LL), 1000000LL));
}

CalendarDate LearningDayDate(long long day)
{
    return DateFromDays(day);
}
