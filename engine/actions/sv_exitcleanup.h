#ifndef SV_EXITCLEANUP_H
#define SV_EXITCLEANUP_H

#include <QString>

// Temporary files the engine is writing right now. A fault of the install file can end the
// program in the middle of such a write (an unknown $$id$$ in a template is fatal, and the
// program exits from its message handler); the files still listed then are removed as the
// process ends, so that no half-written temporary file stays beside a configuration file
// or in /tmp. Whoever creates such a file lists it, and takes it off the list once the
// file has been renamed into place, removed, or handed on to someone else.
class SV_ExitCleanup {
public:
    static void add(const QString& path);
    static void remove(const QString& path);
};

#endif
