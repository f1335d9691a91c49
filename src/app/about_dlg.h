// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDialog>

class QPushButton;

// The About box: icon, version, two lines, and the web-page button.
class CAboutDlg : public QDialog {
    Q_OBJECT

  public:
    explicit CAboutDlg(QWidget* parent = nullptr);

    static constexpr char kWebAddress[] = "https://quorvel.example.org/";

  private:
    void OnWebPage();

    QPushButton* m_webPageButton = nullptr;
};
