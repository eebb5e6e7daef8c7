// Dates of the proleptic Gregorian calendar as day numbers: days from 1 January 1970.
#pragma once

struct CalendarDate {
    int year, month, day;
};

// Days from 1970-01-01 to the date (Howard Hinnant's days_from_civil).
long long DaysFromDate(long long year, unsigned month, unsigned day);

// The date of a day number.
CalendarDate DateFromDays(long long days);
