#ifndef SV_FILEREPLACER_H
#define SV_FILEREPLACER_H

#include <QByteArray>
#include <QString>

// Replaces a file as a whole: the new content goes into a temporary file in the target's
// directory, which is flushed, given the target's mode, owner and group (a new file gets
// the default mode for new files) and renamed over the target. Until commit() succeeds the
// target stays as it was; an uncommitted temporary file is removed. A symbolic link as
// target is followed: the file it points at is replaced, the link stays. A temporary file
// that still exists when the process ends (a fatal fault while it is being filled) is
// removed then (SV_ExitCleanup).
class SV_FileReplacer {
public:
    explicit SV_FileReplacer(const QString& target);
    ~SV_FileReplacer();
    SV_FileReplacer(const SV_FileReplacer&) = delete;
    SV_FileReplacer& operator=(const SV_FileReplacer&) = delete;

    // Creates the temporary file. False (with errorString()) when it cannot be created.
    bool create();
    // The temporary file's path; other writers may fill it by name before commit().
    QString tempPath() const { return m_tempPath; }
    // Appends data to the temporary file. False on a write error.
    bool write(const QByteArray& data);
    // Flushes the temporary file, gives it the target's mode and owner and renames it over
    // the target. False on any failure: the target is untouched and the temporary removed.
    bool commit();
    // Removes the temporary file; the target is untouched.
    void discard();

    QString errorString() const { return m_error; }

private:
    bool fail(const QString& what);

    QString m_target;
    QString m_tempPath;
    int m_fd = -1;
    QString m_error;
};

#endif
