// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/custom_properties_dlg.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

#include "res/control_ids.h"
#include "support/dialog_fixture.h"
#include "support/qstring_printer.h"

// Printed where the tests look it up: beside the type.
namespace quorvel::props {

static void PrintTo(const CustomEdit& edit, std::ostream* out) {
    *out << (edit.remove ? "remove " : "set ") << edit.name << " " << customTypeName(edit.type)
         << " " << edit.value;
}

}  // namespace quorvel::props

namespace quorvel::test {
namespace {

using props::CustomEdit;
using props::CustomType;
namespace Id = CustomPropertiesControl;

// A document's properties: one of each type, and two that may not be changed.
props::CustomProperties shownProperties() {
    return {{{"部署", CustomType::Text, "営業", false},
             {"件数", CustomType::Integer, "-12", false},
             {"率", CustomType::Real, "2.5", false},
             {"期日", CustomType::Date, "2006-03-05T05:07:05Z", false},
             {"済", CustomType::Bool, "true", false},
             {"Link", CustomType::Other, "(vector)", true}},
            props::kSuccess};
}

class CustomPropertiesWindow : public ::testing::Test {
  protected:
    CCustomPropertiesDlg& open(std::vector<CustomEdit> edits = {}) {
        window = std::make_unique<CCustomPropertiesDlg>(prompts, QStringLiteral("/d/見積書.doc"),
                                                        shownProperties(), std::move(edits));
        window->show();
        window->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(window.get()));
        return *window;
    }
    template <class T>
    T* control(int id) const {
        return window->findChild<T*>(idName(id));
    }
    QStringList rowTexts(int listId, int row) const {
        const QTreeWidgetItem* item = control<QTreeWidget>(listId)->topLevelItem(row);
        QStringList texts;
        for (int column = 0; item != nullptr && column < item->columnCount(); ++column) {
            texts << item->text(column);
        }
        return texts;
    }
    static void pressEnterIn(QWidget* field) {
        field->setFocus();
        QTest::keyClick(field, Qt::Key_Return);
    }
    // Fills the fields through their widgets and presses Enter in the name field.
    void enter(const QString& name, CustomType type, const QString& text) const {
        control<QLineEdit>(Id::NameEdit)->setText(name);
        auto* types = control<QComboBox>(Id::TypeCombo);
        types->setCurrentIndex(types->findData(static_cast<int>(type)));
        control<QLineEdit>(Id::ValueEdit)->setText(text);
        pressEnterIn(control<QLineEdit>(Id::NameEdit));
    }
    QString lastMessage() const {
        return prompts.shown.empty() ? QString() : prompts.shown.back().text;
    }

    ScriptedPrompts prompts;
    std::unique_ptr<CCustomPropertiesDlg> window;
};

TEST_F(CustomPropertiesWindow, ListsTheShownPropertiesByTypeInJapanese) {
    open();
    const QStringList expected[] = {
        {"部署", "文字列", "営業", ""},
        {"件数", "整数", "-12", ""},
        {"率", "実数", "2.5", ""},
        {"期日", "日付", "2006/03/05 14:07:05", ""},  // Tokyo time
        {"済", "はい・いいえ", "はい", ""},
        {"Link", "その他", "(vector)", "読み取り専用"},
    };
    ASSERT_EQ(control<QTreeWidget>(Id::Shown)->topLevelItemCount(), std::size(expected));
    for (int row = 0; row < static_cast<int>(std::size(expected)); ++row) {
        EXPECT_EQ(rowTexts(Id::Shown, row), expected[row]);
    }
}

TEST_F(CustomPropertiesWindow, TypedValuesBecomeCanonicalOrAreRefused) {
    const struct {
        const char* name;
        CustomType type;
        const char* text;
        const char* value;    // the prepared value; nullptr: refused with the message
        const char* message;  // the refusal
    } cases[] = {
        {"番号", CustomType::Text, "00123", "00123", nullptr},
        {"件数", CustomType::Integer, " ４２ ", "42", nullptr},
        {"件数", CustomType::Integer, "1.5", nullptr, "「1.5」は整数の値として正しくありません。"},
        {"件数", CustomType::Integer, "4294967296", nullptr,
         "「4294967296」は整数の値として正しくありません。"},
        {"率", CustomType::Real, "2.50", "2.5", nullptr},
        {"率", CustomType::Real, "abc", nullptr, "「abc」は実数の値として正しくありません。"},
        {"  ", CustomType::Text, "x", nullptr, "プロパティの名前を入力してください。"},
        {"LINK", CustomType::Text, "x", nullptr,
         "「LINK」は読み取り専用のため、変更も削除もできません。"},
        {"_PID_HLINKS", CustomType::Text, "x", nullptr,
         "「_PID_HLINKS」は読み取り専用のため、変更も削除もできません。"},
    };
    open();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        prompts.shown.clear();
        enter(QString::fromUtf8(c.name), c.type, QString::fromUtf8(c.text));
        if (c.value == nullptr) {
            EXPECT_EQ(lastMessage(), QString::fromUtf8(c.message));
            EXPECT_EQ(prompts.shown.back().icon, ui::PromptIcon::Exclamation);
            continue;
        }
        EXPECT_TRUE(prompts.shown.empty());
        ASSERT_FALSE(window->Edits().empty());
        EXPECT_EQ(window->Edits().back(), (CustomEdit{c.name, c.type, c.value, false}));
    }
    EXPECT_TRUE(window->isVisible()) << "Enter in the fields never closes the window";
}

// The picker shows local time (Tokyo in the tests); the value is UTC. はい / いいえ are true and
// false. A listed property fills the fields; a change replaces one prepared for the same name,
// whatever its case.
TEST_F(CustomPropertiesWindow, DatesAndBoolsThroughTheirWidgetsAndOneChangePerName) {
    open({{"Old", CustomType::Text, "x", false}});
    control<QLineEdit>(Id::NameEdit)->setText(QStringLiteral("期日"));
    auto* types = control<QComboBox>(Id::TypeCombo);
    types->setCurrentIndex(types->findData(static_cast<int>(CustomType::Date)));
    auto* picker = control<QDateTimeEdit>(Id::DatePicker);
    ASSERT_TRUE(picker->isVisible());
    EXPECT_FALSE(control<QLineEdit>(Id::ValueEdit)->isVisible());
    picker->setDateTime(QDateTime(QDate(2024, 1, 2), QTime(8, 4, 5), Qt::UTC));
    pressEnterIn(picker);

    auto* shown = control<QTreeWidget>(Id::Shown);
    shown->setCurrentItem(shown->topLevelItem(4));  // 済: はい
    EXPECT_EQ(control<QLineEdit>(Id::NameEdit)->text(), QStringLiteral("済"));
    auto* answer = control<QComboBox>(Id::BoolCombo);
    EXPECT_EQ(answer->currentText(), QStringLiteral("はい"));
    answer->setCurrentIndex(1);
    control<QPushButton>(Id::Set)->click();

    shown->setCurrentItem(shown->topLevelItem(1));
    control<QPushButton>(Id::Remove)->click();
    enter(QStringLiteral("old"), CustomType::Integer, QStringLiteral("7"));

    const std::vector<CustomEdit> expected = {
        {"期日", CustomType::Date, "2024-01-01T23:04:05Z", false},
        {"済", CustomType::Bool, "false", false},
        {"件数", CustomType::Integer, "", true},
        {"old", CustomType::Integer, "7", false},
    };
    EXPECT_EQ(window->Edits(), expected);
    EXPECT_EQ(rowTexts(Id::Edits, 0), (QStringList{"設定", "期日", "日付", "2024/01/02 08:04:05"}));
    EXPECT_EQ(rowTexts(Id::Edits, 2), (QStringList{"削除", "件数"}));

    shown->setCurrentItem(shown->topLevelItem(5));  // Link: read-only
    control<QPushButton>(Id::Remove)->click();
    EXPECT_EQ(lastMessage(),
              QStringLiteral("「Link」は読み取り専用のため、変更も削除もできません。"));
    EXPECT_EQ(window->Edits().size(), expected.size());
}

// Tab reaches every control in reading order; each field and list is named for screen readers.
TEST_F(CustomPropertiesWindow, KeyboardReachesEveryControlInOrder) {
    open();
    control<QTreeWidget>(Id::Shown)->setFocus();
    const int order[] = {Id::Shown,        Id::Remove, Id::NameEdit, Id::TypeCombo,
                         Id::ValueEdit,    Id::Set,    Id::Edits,    Id::DropEdit,
                         Id::DropAllEdits, Id::Ok,     Id::Cancel,   Id::Shown};
    for (const int id : order) {
        QWidget* focused = QApplication::focusWidget();
        ASSERT_NE(focused, nullptr);
        EXPECT_EQ(focused->objectName(), idName(id));
        if (qobject_cast<QTreeWidget*>(focused) != nullptr || qobject_cast<QLineEdit*>(focused) ||
            qobject_cast<QComboBox*>(focused)) {
            EXPECT_FALSE(focused->accessibleName().isEmpty()) << id;
        }
        QTest::keyClick(focused, Qt::Key_Tab);
    }
    QTest::keyClick(window.get(), Qt::Key_N, Qt::AltModifier);
    EXPECT_EQ(QApplication::focusWidget(), control<QLineEdit>(Id::NameEdit));
    QTest::keyClick(window.get(), Qt::Key_V, Qt::AltModifier);
    EXPECT_EQ(QApplication::focusWidget(), control<QLineEdit>(Id::ValueEdit));
}

// The main window: the window opens from its button and its menu command; O&K keeps the
// prepared changes and shows how many there are, キャンセル and Escape leave them as they were.
using CustomPropertiesCommand = DialogFixture;

TEST_F(CustomPropertiesCommand, PreparedChangesStayUntilClearedAndAreCounted) {
    openDialog();
    const auto prepare = [](QDialog& window) {
        window.findChild<QLineEdit*>(idName(Id::NameEdit))->setText(QStringLiteral("部署"));
        window.findChild<QLineEdit*>(idName(Id::ValueEdit))->setText(QStringLiteral("営業"));
        window.findChild<QPushButton*>(idName(Id::Set))->click();
    };
    const struct {
        std::function<int(QDialog&)> script;
        std::size_t pending;
        const char* label;
    } cases[] = {
        {[&](QDialog& window) {
             prepare(window);
             window.findChild<QLineEdit*>(idName(Id::NameEdit))->setText(QStringLiteral("課"));
             window.findChild<QPushButton*>(idName(Id::Set))->click();
             QTest::keyClick(window.findChild<QPushButton*>(idName(Id::Ok)), Qt::Key_Return);
             return window.result();
         },
         2, "ユーザー定義: 2 件の変更"},
        {[](QDialog& window) {
             window.findChild<QPushButton*>(idName(Id::DropAllEdits))->click();
             QTest::keyClick(&window, Qt::Key_Escape);
             return window.result();
         },
         2, "ユーザー定義: 2 件の変更"},
        {[](QDialog& window) {
             auto* edits = window.findChild<QTreeWidget*>(idName(Id::Edits));
             edits->setCurrentItem(edits->topLevelItem(0));
             window.findChild<QPushButton*>(idName(Id::DropEdit))->click();
             window.findChild<QPushButton*>(idName(Id::Ok))->click();
             return window.result();
         },
         1, "ユーザー定義: 1 件の変更"},
        {[](QDialog& window) {
             window.findChild<QPushButton*>(idName(Id::DropAllEdits))->click();
             window.findChild<QPushButton*>(idName(Id::Ok))->click();
             return window.result();
         },
         0, ""},
    };
    bool fromMenu = false;
    for (const auto& c : cases) {
        prompts.dialogScripts.push_back(c.script);
        if (fromMenu) {
            dialog->control<QAction>(MenuCommand::CustomProperties)->trigger();
        } else {
            dialog->control<QPushButton>(MainControl::CustomProperties)->click();
        }
        fromMenu = !fromMenu;
        EXPECT_EQ(dialog->PendingCustomEdits().size(), c.pending);
        EXPECT_EQ(dialog->control<QLabel>(MainControl::CustomPendingText)->text(),
                  QString::fromUtf8(c.label));
    }
    EXPECT_EQ(prompts.shown.back().caption, QStringLiteral("ユーザー定義プロパティ"));
}

}  // namespace
}  // namespace quorvel::test
