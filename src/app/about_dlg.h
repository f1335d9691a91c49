#pragma once

#include <QDialog>

class QPushButton;

// The About box (dialog 100): icon, version, two lines, and the web-page button 1080.
class CAboutDlg : public QDialog {
    Q_OBJECT

  public:
    explicit CAboutDlg(QWidget* parent = nullptr);

    static constexpr char kWebAddress[] = "https://quorvel.example.org/";

  private:
    void OnWebPage();

    QPushButton* m_webPageButton = nullptr;
};
