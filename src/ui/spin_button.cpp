// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/spin_button.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

QToolButton* makeArrow(Qt::ArrowType arrow, const char* name, QWidget* parent) {
    auto* button = new QToolButton(parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setArrowType(arrow);
    button->setAutoRepeat(true);
    button->setFocusPolicy(Qt::NoFocus);
    button->setFixedSize(16, 11);
    return button;
}

}  // namespace

SpinButton::SpinButton(QLineEdit& buddy, QWidget* parent) : QWidget(parent), m_buddy(buddy) {
    QToolButton* up = makeArrow(Qt::UpArrow, "up", this);
    QToolButton* down = makeArrow(Qt::DownArrow, "down", this);
    connect(up, &QToolButton::clicked, this, [this] { step(1); });
    connect(down, &QToolButton::clicked, this, [this] { step(-1); });
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(up);
    layout->addWidget(down);
    m_buddy.installEventFilter(this);
}

void SpinButton::setRange(int minimum, int maximum) {
    m_minimum = minimum;
    m_maximum = maximum;
}

void SpinButton::step(int delta) {
    bool isNumber = false;
    int value = m_buddy.text().trimmed().toInt(&isNumber);
    if (!isNumber || value < m_minimum || value > m_maximum) {
        value = m_minimum;
    } else {
        value += delta;
        if (value > m_maximum) {
            value = m_minimum;
        } else if (value < m_minimum) {
            value = m_maximum;
        }
    }
    m_buddy.setText(QString::number(value));
}

bool SpinButton::eventFilter(QObject* watched, QEvent* event) {
    if (watched == &m_buddy && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Up || key == Qt::Key_Down) {
            step(key == Qt::Key_Up ? 1 : -1);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}
