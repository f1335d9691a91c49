#pragma once

#include <QString>
#include <cstdint>

class QDateTimeEdit;

namespace quorvel::ui {

// Display formats of the date-time pickers.
inline constexpr char kFileTimeFormat[] = "yy/MM/dd HH:mm:ss";        // 1079, 1086, 1090
inline constexpr char kPropertyTimeFormat[] = "yyyy/MM/dd HH:mm:ss";  // 1080, 1081, 1082, 1057

// Gives a picker its display format and the range 1601..9999. The picker holds local
// calendar fields as Qt::UTC values, so Qt's own time-zone rules never shift or refuse a
// value (daylight-saving gaps, 1601 edit times); the conversions below own the time zone.
void setUpPicker(QDateTimeEdit& picker, const QString& displayFormat);

// Shows a moment (seconds since 1970 UTC) as local time. False, picker unchanged, when the
// moment has no local calendar time the picker can hold.
bool setPickerSeconds(QDateTimeEdit& picker, std::int64_t unixSeconds);

// The moment (seconds since 1970 UTC) of the local time the picker shows; false when the
// local time does not convert.
bool pickerSeconds(const QDateTimeEdit& picker, std::int64_t& unixSeconds);

}  // namespace quorvel::ui
