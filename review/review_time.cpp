#include "review/review_time.h"

#include <ctime>

namespace {

// moment's local calendar date, at midnight, moved by days.
UnixTime LocalMidnight(UnixTime moment, int days)
{
    __time64_t seconds = static_cast<__time64_t>(moment);
    tm local = {};
    if (_localtime64_s(&local, &seconds) != 0)
        return moment - moment % 86400 + static_cast<UnixTime>(days) * 86400;
    local.tm_hour = 0;
    local.tm_min = 0;
    local.tm_sec = 0;
    local.tm_mday += days;
    // Let the library find out whether the new date is in daylight-saving time.
    local.tm_isdst = -1;
    return static_cast<UnixTime>(_mktime64(&local));
}

}  // namespace

UnixTime UnixNow()
{
    return static_cast<UnixTime>(_time64(nullptr));
}

UnixTime LocalDayStart(UnixTime moment)
{
    return LocalMidnight(moment, 0);
}

UnixTime LocalDayEnd(UnixTime moment)
{
    return LocalMidnight(moment, 1);
}

UnixTime LocalDayStartAfter(UnixTime moment, int days)
{
    return LocalMidnight(moment, days);
}
