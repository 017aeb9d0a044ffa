#ifndef SV_LOGGER_H
#define SV_LOGGER_H

#include <QString>

enum SV_LogMessageType {
    SV_LogUnknown = 0,
    SV_LogDebug = 1,
    SV_LogError = 2,
    SV_LogLog = 3,
    SV_LogAll = 4,
};

// Mix-in of every object that reports: debug, log and error messages go to the
// engine's stores and are echoed to standard error at once (unless the echo is off).
// Secrets (SV_Secrets) are hidden in both.
class SV_Logger {
public:
    virtual ~SV_Logger();

    void dbg(const QString& message) const;
    void log(const QString& source, const QString& message) const;
    virtual void err(const QString& source, const QString& message);

    // Whether messages are echoed to standard error; on by default. The console viewer
    // needs the terminal for itself, so the program turns the echo off there unless
    // asked for it (--verbose).
    static void setEcho(bool on);
    static bool echo();
};

#endif
