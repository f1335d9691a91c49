// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>

class QLineEdit;

// An up-down control bound to the edit field before it: the arrows (and the Up and Down keys
// in the field) write the next whole number into the field, wrapping at the ends of the range.
class SpinButton final : public QWidget {
    Q_OBJECT
  public:
    SpinButton(QLineEdit& buddy, QWidget* parent);

    void setRange(int minimum, int maximum);
    void step(int delta);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    QLineEdit& m_buddy;
    int m_minimum = 0;
    int m_maximum = 100;
};
