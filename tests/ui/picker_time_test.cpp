#include "ui/picker_time.h"

#include <gtest/gtest.h>
#include <QDateTimeEdit>

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
        TimeZoneScope tz(c.zone);
        QDateTimeEdit picker;
        setUpPicker(picker, QString::fromLatin1(kPropertyTimeFormat));
        ASSERT_TRUE(setPickerSeconds(picker, c.seconds)) << c.shown;
        EXPECT_EQ(picker.text(), QString::fromLatin1(c.shown));
        std::int64_t back = 0;
        ASSERT_TRUE(pickerSeconds(picker, back));
        EXPECT_EQ(back, c.seconds) << c.shown;
    }
}

TEST(PickerTime, LocalTimesInADaylightSavingGapAreHeldAsTyped) {
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

}  // namespace
}  // namespace quorvel::ui
