#ifndef SV_ENGINE_MESSAGEHANDLER_H
#define SV_ENGINE_MESSAGEHANDLER_H

// Installs the program's Qt message handler: every message is written to standard
// error as it stands (followed by a newline unless it already ends with one); a fatal
// message ends the process with exit status 1 instead of aborting.
void installVantorMessageHandler();

#endif
