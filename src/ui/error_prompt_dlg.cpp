// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/error_prompt_dlg.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

#include "res/control_ids.h"

using quorvel::ui::ErrorPromptResult;
using quorvel::ui::PromptIcon;

namespace {

QIcon systemIcon(const QStyle& style, PromptIcon icon) {
    switch (icon) {
        case PromptIcon::Information:
            return style.standardIcon(QStyle::SP_MessageBoxInformation);
        case PromptIcon::Exclamation:
            return style.standardIcon(QStyle::SP_MessageBoxWarning);
        case PromptIcon::Stop:
            return style.standardIcon(QStyle::SP_MessageBoxCritical);
        case PromptIcon::None:
            break;
    }
    return {};
}

QPushButton* makeButton(const QString& caption, int id, QWidget* parent) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(idName(id));
    button->setAutoDefault(false);
    return button;
}

}  // namespace

CErrorPromptDlg::CErrorPromptDlg(const QString& text, PromptIcon icon, QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
    setWindowTitle(QStringLiteral("エラーメッセージ"));
    setModal(true);

    auto* iconLabel = new QLabel(this);
    iconLabel->setObjectName(idName(ErrorPromptControl::Icon));
    const QIcon shown = systemIcon(*style(), icon);
    if (!shown.isNull()) {
        const int size = style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, this);
        iconLabel->setPixmap(shown.pixmap(size, size));
    }
    iconLabel->setAlignment(Qt::AlignTop);

    auto* message = new QLabel(text, this);
    message->setObjectName(idName(ErrorPromptControl::Message));
    message->setTextFormat(Qt::PlainText);
    message->setWordWrap(true);
    message->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    message->setMinimumWidth(300);
    message->setTextInteractionFlags(Qt::TextSelectableByMouse);

    QPushButton* yes = makeButton(QStringLiteral("はい"), ErrorPromptControl::Yes, this);
    QPushButton* yesToAll =
        makeButton(QStringLiteral("すべてはい"), ErrorPromptControl::YesToAll, this);
    QPushButton* no = makeButton(QStringLiteral("いいえ"), ErrorPromptControl::No, this);
    yes->setDefault(true);
    connect(yes, &QPushButton::clicked, this, [this] { choose(ErrorPromptResult::Yes); });
    connect(yesToAll, &QPushButton::clicked, this, [this] { choose(ErrorPromptResult::YesToAll); });
    connect(no, &QPushButton::clicked, this, [this] { choose(ErrorPromptResult::No); });

    auto* textRow = new QHBoxLayout;
    textRow->addWidget(iconLabel);
    textRow->addWidget(message, 1);
    auto* buttonRow = new QHBoxLayout;
    buttonRow->addStretch();
    buttonRow->addWidget(yes);
    buttonRow->addWidget(yesToAll);
    buttonRow->addWidget(no);
    buttonRow->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(textRow);
    layout->addLayout(buttonRow);
    yes->setFocus();
}

void CErrorPromptDlg::choose(ErrorPromptResult result) {
    m_result = result;
    done(static_cast<int>(result));
}
