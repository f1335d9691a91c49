// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/about_dlg.h"

#include <QBoxLayout>
#include <QLabel>
#include <QPushButton>

#include "app/shell_open.h"
#include "res/control_ids.h"
#include "res/icon.h"

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent) {
    setObjectName(idName(TemplateId::AboutDialog));
    setWindowTitle(QStringLiteral("Quorvelのﾊﾞｰｼﾞｮﾝ情報"));

    auto* icon = new QLabel;
    icon->setPixmap(quorvel::res::quorvelIcon().pixmap(32, 32));

    auto* lines = new QVBoxLayout;
    lines->addWidget(new QLabel(QStringLiteral("Quorvel Version 4.0")));
    lines->addWidget(new QLabel(QStringLiteral("文書のプロパティとタイムスタンプの一括変更")));
    // The notice GPL-3.0 section 5(d) asks an interactive program to show.
    lines->addWidget(
        new QLabel(QStringLiteral("Copyright (C) Quorvel Project  GPL-3.0-or-later (無保証)")));
    m_webPageButton = new QPushButton(QString::fromLatin1(kWebAddress));
    m_webPageButton->setObjectName(idName(AboutControl::WebPage));
    m_webPageButton->setFlat(true);
    m_webPageButton->setAutoDefault(false);
    lines->addWidget(m_webPageButton);

    auto* ok = new QPushButton(QStringLiteral("OK"));
    ok->setObjectName(idName(AboutControl::Ok));
    ok->setDefault(true);

    auto* layout = new QHBoxLayout(this);
    layout->addWidget(icon, 0, Qt::AlignTop);
    layout->addLayout(lines, 1);
    layout->addWidget(ok, 0, Qt::AlignTop);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_webPageButton, &QPushButton::clicked, this, &CAboutDlg::OnWebPage);
}

void CAboutDlg::OnWebPage() {
    quorvel::app::openWithDefaultApplication(m_webPageButton->text());
}
