// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/date_increment_dlg.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "res/control_ids.h"
#include "res/string_ids.h"
#include "res/string_table.h"
#include "ui/spin_button.h"

using quorvel::batch::IncrementMode;
using quorvel::batch::kIncrementSlotCount;

namespace {

struct GroupIds {
    const char* label;
    std::array<int, 3> edits;  // days, hours, minutes
    std::array<int, 3> spins;
};

constexpr std::array<GroupIds, quorvel::batch::kIncrementSlotCount> kGroups = {{
    {"ファイル毎に編集／アクセス日時増分設定",
     {IncrementControl::EditAccessDays, IncrementControl::EditAccessHours,
      IncrementControl::EditAccessMinutes},
     {IncrementControl::EditAccessDaysSpin, IncrementControl::EditAccessHoursSpin,
      IncrementControl::EditAccessMinutesSpin}},
    {"ファイル毎に印刷日時増分設定",
     {IncrementControl::PrintedDays, IncrementControl::PrintedHours,
      IncrementControl::PrintedMinutes},
     {IncrementControl::PrintedDaysSpin, IncrementControl::PrintedHoursSpin,
      IncrementControl::PrintedMinutesSpin}},
    {"ファイル毎に作成日時増分設定",
     {IncrementControl::CreatedDays, IncrementControl::CreatedHours,
      IncrementControl::CreatedMinutes},
     {IncrementControl::CreatedDaysSpin, IncrementControl::CreatedHoursSpin,
      IncrementControl::CreatedMinutesSpin}},
    {"ファイル毎に最終保存／更新日時増分設定",
     {IncrementControl::LastSavedDays, IncrementControl::LastSavedHours,
      IncrementControl::LastSavedMinutes},
     {IncrementControl::LastSavedDaysSpin, IncrementControl::LastSavedHoursSpin,
      IncrementControl::LastSavedMinutesSpin}},
}};

constexpr std::array<int, 3> kMaximum = {200, 23, 59};
constexpr std::array<const char*, 3> kUnitNames = {"日", "時", "分"};

}  // namespace

CDateIncrementDlg::CDateIncrementDlg(quorvel::ui::Prompts& prompts, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                          Qt::MSWindowsFixedSizeDialogHint),
      m_prompts(prompts) {
    setWindowTitle(QStringLiteral("複数File時の日時増分設定"));
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(buildGroups());
    layout->addLayout(buildModeButtons());
}

QLayout* CDateIncrementDlg::buildGroups() {
    auto* groups = new QVBoxLayout;
    for (std::size_t slot = 0; slot < quorvel::batch::kIncrementSlotCount; ++slot) {
        auto* group = new QGroupBox(QString::fromUtf8(kGroups[slot].label), this);
        auto* grid = new QGridLayout(group);
        for (std::size_t unit = 0; unit < 3; ++unit) {
            const int column = static_cast<int>(unit) * 2;
            auto* heading = new QLabel(QString::fromUtf8(kUnitNames[unit]), group);
            grid->addWidget(heading, 0, column);
            Field& field = m_fields[slot * 3 + unit];
            field.edit = new QLineEdit(group);
            field.edit->setObjectName(idName(kGroups[slot].edits[unit]));
            field.edit->setMaximumWidth(48);
            heading->setBuddy(field.edit);
            field.spin = new SpinButton(*field.edit, group);
            field.spin->setObjectName(idName(kGroups[slot].spins[unit]));
            field.maximum = kMaximum[unit];
            grid->addWidget(field.edit, 1, column);
            grid->addWidget(field.spin, 1, column + 1);
        }
        groups->addWidget(group);
    }
    return groups;
}

QLayout* CDateIncrementDlg::buildModeButtons() {
    struct ModeButton {
        int id;
        const char* caption;
        int tooltip;  // string id
        quorvel::batch::IncrementMode mode;
    };
    static constexpr std::array<ModeButton, 3> kModes = {{
        {IncrementControl::RandomRadio, "ランダム", StringId::RandomTip,
         quorvel::batch::IncrementMode::Random},
        {IncrementControl::AddRadio, "逓増", StringId::AddTip, quorvel::batch::IncrementMode::Add},
        {IncrementControl::SubtractRadio, "逓減", StringId::SubtractTip,
         quorvel::batch::IncrementMode::Subtract},
    }};
    auto* column = new QVBoxLayout;
    for (const ModeButton& mode : kModes) {
        auto* button = new QRadioButton(QString::fromUtf8(mode.caption), this);
        button->setObjectName(idName(mode.id));
        button->setToolTip(quorvel::res::loadString(mode.tooltip));
        const quorvel::batch::IncrementMode chosen = mode.mode;
        connect(button, &QRadioButton::clicked, this, [this, chosen] { m_settings.mode = chosen; });
        column->addWidget(button);
        if (mode.mode == quorvel::batch::IncrementMode::Random) {
            m_randomButton = button;
        }
    }
    column->addStretch();
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(idName(IncrementControl::Ok));
    ok->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("ｷｬﾝｾﾙ"), this);
    cancel->setObjectName(idName(IncrementControl::Cancel));
    connect(ok, &QPushButton::clicked, this, &CDateIncrementDlg::accept);
    connect(cancel, &QPushButton::clicked, this, &CDateIncrementDlg::reject);
    column->addWidget(ok);
    column->addWidget(cancel);
    return column;
}

std::uint32_t& CDateIncrementDlg::storedNumber(std::size_t field) {
    const std::size_t slot = field / 3;
    switch (field % 3) {
        case 0:
            return m_settings.days[slot];
        case 1:
            return m_settings.hours[slot];
        default:
            return m_settings.minutes[slot];
    }
}

void CDateIncrementDlg::showStoredNumbers() {
    for (std::size_t i = 0; i < kFieldCount; ++i) {
        m_fields[i].edit->setText(QString::number(storedNumber(i)));
        m_fields[i].spin->setRange(0, m_fields[i].maximum);
    }
    m_randomButton->setChecked(true);
}

int CDateIncrementDlg::run() {
    showStoredNumbers();
    return m_prompts.execDialog(*this);
}

void CDateIncrementDlg::accept() {
    for (std::size_t i = 0; i < kFieldCount; ++i) {
        const Field& field = m_fields[i];
        bool isNumber = false;
        const uint value = field.edit->text().trimmed().toUInt(&isNumber);
        if (!isNumber || value > static_cast<uint>(field.maximum)) {
            m_prompts.message(
                this, QStringLiteral("0 から %1 までの整数を入力してください。").arg(field.maximum),
                QStringLiteral("Quorvel"), quorvel::ui::PromptButtons::Ok,
                quorvel::ui::PromptIcon::Exclamation);
            field.edit->setFocus();
            field.edit->selectAll();
            return;
        }
        storedNumber(i) = value;
    }
    for (std::size_t slot = 0; slot < quorvel::batch::kIncrementSlotCount; ++slot) {
        m_settings.increment[slot] = quorvel::batch::incrementSeconds(
            m_settings.days[slot], m_settings.hours[slot], m_settings.minutes[slot]);
    }
    QDialog::accept();
}
