// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QApplication>
#include <QCursor>

namespace quorvel::ui {

// The wait cursor for as long as a long operation runs in one handler.
class WaitCursor {
  public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
};

// The normal cursor while a prompt waits for the user inside a long operation.
class NormalCursorWhilePrompting {
  public:
    NormalCursorWhilePrompting() : m_waiting(QApplication::overrideCursor() != nullptr) {
        if (m_waiting) {
            QApplication::setOverrideCursor(Qt::ArrowCursor);
        }
    }
    NormalCursorWhilePrompting(const NormalCursorWhilePrompting&) = delete;
    NormalCursorWhilePrompting& operator=(const NormalCursorWhilePrompting&) = delete;
    ~NormalCursorWhilePrompting() {
        if (m_waiting) {
            QApplication::restoreOverrideCursor();
        }
    }

  private:
    bool m_waiting;
};

}  // namespace quorvel::ui
