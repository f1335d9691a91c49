// SPDX-License-Identifier: GPL-3.0-or-later
#include "export/output_file_dlg.h"

#include <QCheckBox>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/settings.h"
#include "app/shell_open.h"
#include "prompts/prompts.h"
#include "res/control_ids.h"
#include "res/string_ids.h"
#include "res/string_table.h"

using quorvel::ui::PromptButtons;
using quorvel::ui::PromptIcon;

namespace {

constexpr int kOutputEditId = OutputFileControl::FileNameEdit;
constexpr int kBrowseId = OutputFileControl::Browse;
constexpr int kSaveId = OutputFileControl::Save;
constexpr int kOpenAfterSavingId = OutputFileControl::OpenAfterSaving;
constexpr int kWithCustomId = OutputFileControl::WithCustom;
constexpr int kEndId = OutputFileControl::End;

constexpr int kEmptyFileNameMessage = StringId::NoOutputFileName;
constexpr int kCannotStartMessage = StringId::CannotStartApplication;
constexpr int kSavedMessage = StringId::SaveComplete;
constexpr int kNoApplicationMessage = StringId::NoAssociatedApplication;

const QString kErrorCaption = QStringLiteral("エラーメッセージ");

QPushButton* makeButton(const QString& text, int id) {
    auto* button = new QPushButton(text);
    button->setObjectName(idName(id));
    button->setAutoDefault(false);
    return button;
}

}  // namespace

COutputFileDlg::COutputFileDlg(quorvel::ui::Prompts& prompts,
                               std::vector<quorvel::csv::ExportRecord> records, QWidget* parent)
    : QDialog(parent), m_prompts(prompts), m_records(std::move(records)) {
    setWindowTitle(QStringLiteral("ファイルに出力"));
    setAcceptDrops(true);
    BuildControls();
    if (!lastOutputFileName.isEmpty()) {
        m_outputEdit->setText(lastOutputFileName);
    }
    m_openAfterSaving->setChecked(quorvel::app::Settings::findExecutableCheck());
}

void COutputFileDlg::BuildControls() {
    auto* label = new QLabel(QStringLiteral("出力ファイル名設定"));
    m_outputEdit = new QLineEdit;
    m_outputEdit->setObjectName(idName(kOutputEditId));
    m_outputEdit->setMinimumWidth(300);
    // Drops are the dialog's: a file dropped on the edit must give its path, not its URL text.
    m_outputEdit->setAcceptDrops(false);
    label->setBuddy(m_outputEdit);
    QPushButton* browse = makeButton(QStringLiteral("参照(&R)"), kBrowseId);
    m_openAfterSaving = new QCheckBox(QStringLiteral("保存後、関連付けるツールで開く"));
    m_openAfterSaving->setObjectName(idName(kOpenAfterSavingId));
    m_withCustom = new QCheckBox(QStringLiteral("ユーザー定義プロパティも出力(&U)"));
    m_withCustom->setObjectName(idName(kWithCustomId));
    QPushButton* save = makeButton(QStringLiteral("O&K"), kSaveId);
    save->setDefault(true);
    QPushButton* end = makeButton(QStringLiteral("終了(&E)"), kEndId);

    auto* fileRow = new QHBoxLayout;
    fileRow->addWidget(m_outputEdit, 1);
    fileRow->addWidget(browse);
    auto* buttonRow = new QHBoxLayout;
    buttonRow->addStretch(1);
    buttonRow->addWidget(save);
    buttonRow->addWidget(end);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addLayout(fileRow);
    layout->addWidget(m_withCustom);
    layout->addWidget(m_openAfterSaving);
    layout->addLayout(buttonRow);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(browse, &QPushButton::clicked, this, &COutputFileDlg::OnBrowse);
    connect(save, &QPushButton::clicked, this, &COutputFileDlg::OnOK);
    connect(end, &QPushButton::clicked, this, &COutputFileDlg::reject);
}

void COutputFileDlg::reject() {
    quorvel::app::Settings::setFindExecutableCheck(m_openAfterSaving->isChecked());
    QDialog::reject();
}

void COutputFileDlg::OnBrowse() {
    const quorvel::ui::FileDialogResult chosen =
        m_prompts.saveFile(this, QStringLiteral("保存ファイル選択"), QString(),
                           {QStringLiteral("CSVfiles (*.CSV)"), QStringLiteral("All Files (*.*)")});
    if (!chosen.paths.isEmpty()) {
        m_outputEdit->setText(QDir::toNativeSeparators(chosen.paths.front()));
    }
}

void COutputFileDlg::OnOK() {
    if (WriteCsv()) {
        accept();
    }
}

bool COutputFileDlg::WriteCsv() {
    const QString path = m_outputEdit->text();
    lastOutputFileName = path;
    if (path.isEmpty()) {
        ShowError(quorvel::res::loadString(kEmptyFileNameMessage));
        return false;
    }
    const std::string nativePath = path.toStdString();
    if (quorvel::csv::isExportedFile(nativePath, m_records)) {
        ShowError(QStringLiteral("出力対象のファイルには保存できません。"));
        return false;
    }
    std::string error;
    if (!quorvel::csv::writeCsvFile(nativePath, m_records, error, quorvel::csv::CsvEncoding::Cp932,
                                    m_withCustom->isChecked())) {
        ShowError(QString::fromUtf8(error));
        return false;
    }
    m_prompts.message(this, quorvel::res::loadString(kSavedMessage), QStringLiteral("メッセージ"),
                      PromptButtons::Ok, PromptIcon::Information);
    if (m_openAfterSaving->isChecked()) {
        OpenWithAssociatedApplication(path);
    }
    return true;
}

void COutputFileDlg::OpenWithAssociatedApplication(const QString& path) {
    using quorvel::platform::ShellOpenStatus;
    const quorvel::platform::ShellOpenResult opened =
        quorvel::app::openWithAssociatedApplication(path);
    if (opened.status == ShellOpenStatus::NoApplication) {
        ShowError(quorvel::res::loadString(kNoApplicationMessage));
    } else if (opened.status == ShellOpenStatus::StartFailed) {
        ShowError(quorvel::res::formatString(kCannotStartMessage,
                                             {QString::fromStdString(opened.application), path}));
    }
}

bool COutputFileDlg::IsOverOutputEdit(const QPointF& position) const {
    return m_outputEdit->rect().contains(m_outputEdit->mapFrom(this, position.toPoint()));
}

void COutputFileDlg::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls()) {
        event->acceptProposedAction();
    }
}

void COutputFileDlg::dragMoveEvent(QDragMoveEvent* event) {
    if (IsOverOutputEdit(event->position())) {
        event->acceptProposedAction();
    } else {
        event->ignore();
    }
}

// Only a drop onto the file-name edit counts, and of the dropped items only the first.
void COutputFileDlg::dropEvent(QDropEvent* event) {
    const QList<QUrl> urls = event->mimeData()->urls();
    if (urls.isEmpty() || !IsOverOutputEdit(event->position())) {
        return;
    }
    const QString path = urls.front().toLocalFile();
    if (path.isEmpty()) {
        return;
    }
    event->acceptProposedAction();
    if (QFileInfo(path).isDir()) {
        ShowError(QStringLiteral("選択されたファイルはフォルダです"));
        return;
    }
    m_outputEdit->setText(QDir::toNativeSeparators(path));
}

void COutputFileDlg::ShowError(const QString& text) {
    m_prompts.message(this, text, kErrorCaption, PromptButtons::Ok, PromptIcon::Exclamation);
}
