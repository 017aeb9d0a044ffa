#ifndef SV_INSTALLCHECK_H
#define SV_INSTALLCHECK_H

#include <QByteArray>
#include <QList>
#include <QString>

// One finding of the install-file check, at a place in the file (1-based; 0 when the
// finding concerns the file as a whole).
struct SV_InstallProblem {
    enum Severity { Error, Warning };
    Severity severity = Error;
    int line = 0;
    int column = 0;
    QString text;
};

// Reads an install file without running anything and reports what the engine would trip
// over or silently ignore: a document that is not well-formed; elements and attributes the
// engine does not read where they are written (with "did you mean" for a near name);
// references to variables, actions, stages, profiles and choices that do not exist (also
// $$id$$ references in display texts, options, templates and description files); unknown
// action types, unknown and missing options; files that are not there; values the engine
// cannot read. Warnings: items of comma-separated options with blanks at an end, choice
// and profile variables filled into commands and files (their value is the translated
// display text), variables and actions nothing uses, stages and elements whose conditions
// can never hold, display texts without a translation in an offered language.
//
// Relative directories are resolved as a run of the program in `prefix` resolves them.
class SV_InstallCheck {
public:
    explicit SV_InstallCheck(const QString& prefix);

    // Checks the file; false when it cannot be read at all (a problem says why).
    bool checkFile(const QString& path);
    void checkContent(const QByteArray& xml);

    // In the order of their places in the file.
    const QList<SV_InstallProblem>& problems() const { return m_problems; }
    int errorCount() const;
    int warningCount() const;
    // Every problem as a line FILE:LINE:COLUMN: error: text (or warning:).
    QString report(const QString& fileName) const;

    // The nearest of the candidates to a misspelt name, or a null string when none is near.
    static QString nearest(const QString& name, const QStringList& candidates);

private:
    QString m_prefix;
    QList<SV_InstallProblem> m_problems;
};

#endif
