// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>
#include <QStringList>
#include <algorithm>

#include "app/about_dlg.h"
#include "export/apply_preview_dlg.h"
#include "export/output_file_dlg.h"
#include "support/dialog_fixture.h"
#include "support/qstring_printer.h"
#include "ui/custom_properties_dlg.h"
#include "ui/date_increment_dlg.h"
#include "ui/error_prompt_dlg.h"

namespace quorvel::test {
namespace {

// The numbered object names of a window and all it holds, in ascending order.
QStringList numberedObjects(const QObject& window) {
    QStringList names;
    const auto add = [&names](const QObject& object) {
        bool isNumber = false;
        object.objectName().toInt(&isNumber);
        if (isNumber) {
            names.append(object.objectName());
        }
    };
    add(window);
    for (const QObject* child : window.findChildren<QObject*>()) {
        add(*child);
    }
    std::sort(names.begin(), names.end(),
              [](const QString& a, const QString& b) { return a.toInt() < b.toInt(); });
    return names;
}

using ControlIds = DialogFixture;

// The names of control_ids.h must keep the numbers that tests and tools outside the program
// find the controls by, one object each. Written as text on purpose: these are the numbers.
TEST_F(ControlIds, EveryWindowKeepsItsNumberedObjects) {
    CDateIncrementDlg increments(prompts);
    CErrorPromptDlg errorPrompt(QStringLiteral("text"), ui::PromptIcon::Exclamation);
    COutputFileDlg output(prompts, {});
    CAboutDlg about;
    CApplyPreviewDlg preview({}, {});
    CCustomPropertiesDlg custom(prompts, {}, {}, {});
    const struct {
        const char* window;
        const QObject& object;
        const char* numbers;
    } cases[] = {
        {"main", openDialog(),
         "1 2 102 132 1007 1008 1009 1010 1011 1012 1013 1014 1015 1016 1017 1018 1019 1021 1037 "
         "1038 1039 1040 1041 1042 1043 1044 1045 1046 1047 1048 1049 1050 1051 1052 1057 1059 "
         "1060 1061 1062 1063 1064 1065 1066 1067 1068 1069 1070 1071 1072 1073 1074 1075 1076 "
         "1077 1078 1079 1080 1081 1082 1083 1084 1085 1086 1087 1088 1089 1090 1093 1094 1095 "
         "1096 1112 1113 1114 1115 1124 1125 32772 32776 32777 32778 32779 32780 32781 32782 "
         "32783 32784 32785 32786"},
        {"increments", increments,
         "1 2 1094 1095 1096 1097 1098 1099 1100 1101 1102 1103 1104 1105 1106 1107 1108 1109 "
         "1110 1111 1112 1113 1114 1115 1116 1117 1118 1119 1120"},
        {"error prompt", errorPrompt, "1 2 1009 1081 1087"},
        {"output", output, "2 1107 1108 1109 1110 1111"},
        {"user-defined properties", custom,
         "1 2 1130 1131 1132 1133 1134 1135 1136 1137 1138 1139 1140 1141"},
        {"about", about, "1 100 1080"},
        {"apply preview", preview, "1 2 1120 1121"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(numberedObjects(c.object), QString::fromLatin1(c.numbers).split(u' '))
            << c.window;
    }
}

}  // namespace
}  // namespace quorvel::test
