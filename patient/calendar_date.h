// A date of the calendar, as a patient's birth date is carried between capture and hand-off.
#pragma once

namespace vorbel {

struct CalendarDate {
    int day = 0, month = 0, year = 0;

    bool operator==(const CalendarDate&) const = default;
};

struct LocalDateTime {
    CalendarDate date;
    int hour = 0;
    int minute = 0;
    int second = 0;
};

}  // namespace vorbel
