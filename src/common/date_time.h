// A calendar date with time of day: the Date kind of the settings file and the local time that
// the file seam gives for file times (the names of conflict copies and backups).
#pragma once

namespace pinote {

struct SettingDate {
  int year = 1899, month = 12, day = 30, hour = 0, minute = 0, second = 0;
};

inline bool operator==(const SettingDate& a, const SettingDate& b) {
  return a.year == b.year && a.month == b.month && a.day == b.day && a.hour == b.hour &&
         a.minute == b.minute && a.second == b.second;
}

}  // namespace pinote
