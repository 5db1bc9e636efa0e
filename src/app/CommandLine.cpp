// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/CommandLine.h"

#include <QCommandLineParser>

namespace drowsel {

void CommandLine::process(const QCoreApplication& application) {
    QCoreApplication::setApplicationVersion(QStringLiteral(DROWSEL_VERSION));
    QCommandLineParser parser;
    parser.setApplicationDescription(tr("Politely quits the applications you have left idle for too long."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.process(application);
}

} // namespace drowsel
