// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/picker_time.h"

#include "platform/local_time.h"

namespace quorvel::ui {
namespace {

const QDate kFirstDate(1601, 1, 1);
const QDate kLastDate(9999, 12, 31);

bool showsTwoDigitYear(const QString& displayFormat) {
    return displayFormat.contains(QStringLiteral("yy")) &&
           !displayFormat.contains(QStringLiteral("yyy"));
}

int windowedYear(int twoDigits) {
    return twoDigits >= 50 ? 1900 + twoDigits : 2000 + twoDigits;
}

}  // namespace

QDateTime DateTimePicker::dateTimeFromText(const QString& text) const {
    const QDateTime parsed = QDateTimeEdit::dateTimeFromText(text);
    if (!parsed.isValid() || !showsTwoDigitYear(displayFormat())) {
        return parsed;
    }
    // Qt keeps the century of the value shown; unchanged digits keep the year shown.
    const int shownYear = dateTime().date().year();
    const int digits = parsed.date().year() % 100;
    const int year = digits == shownYear % 100 ? shownYear : windowedYear(digits);
    const QDate date(year, parsed.date().month(), parsed.date().day());
    return date.isValid() ? QDateTime(date, parsed.time(), parsed.timeSpec()) : parsed;
}

void setUpPicker(QDateTimeEdit& picker, const QString& displayFormat) {
    picker.setTimeSpec(Qt::UTC);
    picker.setDateTimeRange(QDateTime(kFirstDate, QTime(0, 0), Qt::UTC),
                            QDateTime(kLastDate, QTime(23, 59, 59), Qt::UTC));
    picker.setDisplayFormat(displayFormat);
}

bool setPickerSeconds(QDateTimeEdit& picker, std::int64_t unixSeconds) {
    platform::LocalDateTime local;
    if (!platform::toLocalDateTime(unixSeconds, local)) {
        return false;
    }
    const QDate date(local.year, local.month, local.day);
    if (!date.isValid() || date < kFirstDate || date > kLastDate) {
        return false;
    }
    picker.setDateTime(QDateTime(date, QTime(local.hour, local.minute, local.second), Qt::UTC));
    return true;
}

bool pickerSeconds(const QDateTimeEdit& picker, std::int64_t& unixSeconds) {
    const QDateTime shown = picker.dateTime();
    platform::LocalDateTime local;
    local.year = shown.date().year();
    local.month = shown.date().month();
    local.day = shown.date().day();
    local.hour = shown.time().hour();
    local.minute = shown.time().minute();
    local.second = shown.time().second();
    return platform::fromLocalDateTime(local, unixSeconds);
}

}  // namespace quorvel::ui
