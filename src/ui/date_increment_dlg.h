// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDialog>
#include <array>

#include "batch/date_increment.h"
#include "prompts/prompts.h"

class QLayout;
class QLineEdit;
class QRadioButton;
class SpinButton;

// Dialog 138: the per-file date increments (days, hours, minutes for four kinds of date)
// and the increment mode. Owns the settings for the whole run of the program.
class CDateIncrementDlg final : public QDialog {
    Q_OBJECT
  public:
    explicit CDateIncrementDlg(quorvel::ui::Prompts& prompts, QWidget* parent = nullptr);

    const quorvel::batch::DateIncrementSettings& settings() const { return m_settings; }

    // Shows the stored numbers, selects ランダム and runs the dialog modally.
    int run();

    void accept() override;

  private:
    struct Field {
        QLineEdit* edit = nullptr;
        SpinButton* spin = nullptr;
        int maximum = 0;
    };
    // Days, hours and minutes of each slot, in the order they are validated.
    static constexpr std::size_t kFieldCount = quorvel::batch::kIncrementSlotCount * 3;

    QLayout* buildGroups();
    QLayout* buildModeButtons();
    void showStoredNumbers();
    std::uint32_t& storedNumber(std::size_t field);

    quorvel::ui::Prompts& m_prompts;
    quorvel::batch::DateIncrementSettings m_settings;
    std::array<Field, kFieldCount> m_fields;
    QRadioButton* m_randomButton = nullptr;
};
