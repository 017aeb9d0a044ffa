#ifndef SV_ENGINE_MESSAGEHANDLER_H
#define SV_ENGINE_MESSAGEHANDLER_H

#include <QString>
#include <QtGlobal>

// The program's Qt message handler: every message is written to standard error as it
// stands, in UTF-8 with its secrets hidden (SV_Secrets), followed by a newline unless it
// already ends with one; a fatal message ends
// the process with exit status 1 instead of aborting.
void vantorMessageHandler(QtMsgType type, const QMessageLogContext& context,
                          const QString& message);

// Installs vantorMessageHandler.
void installVantorMessageHandler();

#endif
