// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDateTimeEdit>
#include <QString>
#include <cstdint>

namespace quorvel::ui {

// Display formats of the date-time pickers.
inline constexpr char kFileTimeFormat[] = "yy/MM/dd HH:mm:ss";  // the three file-time pickers
inline constexpr char kPropertyTimeFormat[] =
    "yyyy/MM/dd HH:mm:ss";  // the four property-date pickers

// A date-time picker that reads a typed two-digit year within a window, as the desktop's
// pickers do: 50..99 is 1950..1999 and 00..49 is 2000..2049. Years shown with four digits,
// and years reached with the arrow keys (anywhere in 1601..9999), stay as they are.
class DateTimePicker final : public QDateTimeEdit {
  public:
    using QDateTimeEdit::QDateTimeEdit;

  protected:
    QDateTime dateTimeFromText(const QString& text) const override;
};

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
