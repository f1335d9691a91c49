// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/picker_time.h"

#include <gtest/gtest.h>
#include <QDateTimeEdit>
#include <QTest>

#include "res/control_ids.h"
#include "support/dialog_fixture.h"
#include "support/time_zone_scope.h"

namespace quorvel::ui {
namespace {

using test::TimeZoneScope;

TEST(PickerTime, ShowsLocalFieldsAndReadsTheSameMomentBack) {
    struct Case {
        const char* zone;
        std::int64_t seconds;
        const char* shown;  // yyyy/MM/dd HH:mm:ss
    };
    const Case cases[] = {
        {"Asia/Tokyo", 1049515629, "2003/04/05 13:07:09"},
        {"Europe/Berlin", 1049515629, "2003/04/05 06:07:09"},        // summer time at that date
        {"Europe/Berlin", 1041379200, "2003/01/01 01:00:00"},        // winter time at that date
        {"Asia/Tokyo", -11644473600 + 7200, "1601/01/01 11:00:00"},  // two hours of editing
        {"Asia/Tokyo", 253402268399, "9999/12/31 23:59:59"},
    };
    for (const Case& c : cases) {
        if (!test::canUseTimeZone(c.zone)) {
            continue;  // reported below, once the other cases have run
        }
        TimeZoneScope tz(c.zone);
        QDateTimeEdit picker;
        setUpPicker(picker, QString::fromLatin1(kPropertyTimeFormat));
        ASSERT_TRUE(setPickerSeconds(picker, c.seconds)) << c.shown;
        EXPECT_EQ(picker.text(), QString::fromLatin1(c.shown));
        std::int64_t back = 0;
        ASSERT_TRUE(pickerSeconds(picker, back));
        EXPECT_EQ(back, c.seconds) << c.shown;
    }
    for (const Case& c : cases) {
        QUORVEL_SKIP_UNLESS_TIME_ZONE(c.zone);
    }
}

TEST(PickerTime, LocalTimesInADaylightSavingGapAreHeldAsTyped) {
    QUORVEL_SKIP_UNLESS_TIME_ZONE("Europe/Berlin");
    TimeZoneScope tz("Europe/Berlin");
    QDateTimeEdit picker;
    setUpPicker(picker, QString::fromLatin1(kFileTimeFormat));
    picker.setDateTime(QDateTime(QDate(2024, 3, 31), QTime(2, 30), Qt::UTC));
    EXPECT_EQ(picker.text(), QStringLiteral("24/03/31 02:30:00"));
    std::int64_t seconds = 0;
    EXPECT_TRUE(pickerSeconds(picker, seconds));
}

TEST(PickerTime, MomentsThePickerCannotHoldLeaveItAlone) {
    TimeZoneScope tz("Asia/Tokyo");
    QDateTimeEdit picker;
    setUpPicker(picker, QString::fromLatin1(kPropertyTimeFormat));
    ASSERT_TRUE(setPickerSeconds(picker, 0));
    EXPECT_FALSE(setPickerSeconds(picker, 253402300800));  // year 10000
    EXPECT_EQ(picker.text(), QStringLiteral("1970/01/01 09:00:00"));
}

using PickerTyping = test::DialogFixture;

std::string isoDate(const QDateTimeEdit& picker) {
    return picker.date().toString(Qt::ISODate).toStdString();
}
std::string isoDate(int yearOn28February) {
    return QDate(yearOn28February, 2, 28).toString(Qt::ISODate).toStdString();
}

TEST_F(PickerTyping, TwoDigitYearsAreReadWithinAWindowAndArrowsCrossIt) {
    struct Case {
        int startYear;
        std::function<void(QDateTimeEdit&)> keys;
        int year;
    };
    const auto type = [](const char* digits) {
        return [digits](QDateTimeEdit& picker) { QTest::keyClicks(&picker, digits); };
    };
    const auto press = [](Qt::Key key, int times) {
        return [key, times](QDateTimeEdit& picker) {
            for (int i = 0; i < times; ++i) {
                QTest::keyClick(&picker, key);
            }
        };
    };
    const Case cases[] = {
        {2026, type("99"), 1999},
        {2026, type("50"), 1950},
        {2026, type("49"), 2049},
        {2026, type("00"), 2000},
        {2026, type("26"), 2026},
        {1999, type("05"), 2005},
        {1980, type("7"), 2007},
        {2049, press(Qt::Key_Up, 1), 2050},
        {2000, press(Qt::Key_Down, 1), 1999},
        {2098, press(Qt::Key_Up, 3), 2101},
        {1602, press(Qt::Key_Down, 3), 1601},
        {9998, press(Qt::Key_Up, 3), 9999},
    };
    openDialog();
    for (const int id : {MainControl::FileCreatedPicker, MainControl::FileAccessedPicker,
                         MainControl::FileModifiedPicker}) {
        auto* picker = dialog->control<QDateTimeEdit>(id);
        for (const Case& c : cases) {
            picker->setFocus();
            picker->setDateTime(QDateTime(QDate(c.startYear, 2, 28), QTime(12, 0), Qt::UTC));
            picker->setSelectedSection(QDateTimeEdit::YearSection);
            c.keys(*picker);
            QTest::keyClick(picker, Qt::Key_Return);  // the typed text is read once more
            EXPECT_EQ(isoDate(*picker), isoDate(c.year)) << id << " from " << c.startYear;
        }
    }
    // Four-digit years are taken as typed.
    auto* propertyDate = dialog->control<QDateTimeEdit>(MainControl::EditTimePicker);
    propertyDate->setDateTime(QDateTime(QDate(2026, 2, 28), QTime(12, 0), Qt::UTC));
    propertyDate->setSelectedSection(QDateTimeEdit::YearSection);
    QTest::keyClicks(propertyDate, "2099");
    QTest::keyClick(propertyDate, Qt::Key_Return);
    EXPECT_EQ(isoDate(*propertyDate), isoDate(2099));
}

}  // namespace
}  // namespace quorvel::ui
