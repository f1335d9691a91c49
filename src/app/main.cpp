// SPDX-License-Identifier: GPL-3.0-or-later
#include <QApplication>

#include "app/quorvel_app.h"

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    CQuorvelApp quorvel;
    return quorvel.Run();
}
