#ifndef SV_RPMACTION_H
#define SV_RPMACTION_H

#include "sv_processaction.h"

// Drives rpm: "install" upgrades the named packages from the component directory (leaving
// out those whose installed version is the same or newer), "remove" erases packages,
// "query" asks for the installed version of one package.
class SV_RPMAction : public SV_ProcessAction {
    Q_OBJECT
public:
    explicit SV_RPMAction(QObject* parent = nullptr);

    int totalSteps() override;
    QString rval() override;

    // Parts of a package file name name-version-release.arch.rpm (a leading directory is
    // ignored).
    static QString rpmName(const QString& path);
    static QString rpmVersion(const QString& path);
    static QString rpmRelease(const QString& path);

    // True when the package file at path is not to be installed: the same or a newer
    // version of the package is installed.
    bool isAlreadyInstalled(const QString& path);

    const QStringList& packageFiles() const { return m_packageFiles; }

public slots:
    void slot_readStdout() override;
    virtual void slot_isInstalled();
    void slot_procDone() override;
    void slot_readStdout(SV_ChildProcess* proc, const QByteArray& chunk) override;
    virtual void slot_isInstalled(SV_ChildProcess* proc, const QByteArray& chunk);
    void slot_procDone(SV_ChildProcess* proc) override;

protected:
    bool fixCommandLine() override;

    // Reads the options into the members; reportErrors is false when only the step count
    // is wanted.
    void initInternalOptions(bool reportErrors = true);
    void process_stdout(const QString& text);
    void process_procDone();

private:
    QStringList databaseArguments() const;

    QString m_arch;
    QString m_command;
    QStringList m_rpms;
    QStringList m_packageFiles;
    QStringList m_extraArgs;
    SV_ChildProcess* m_queryChild;
    QByteArray m_queryOutput;
    // Install progress: rpm prints 40 hash marks per line with -h (two lines while
    // preparing, one per package installed and one per package version removed).
    int m_hashes = 0;
    int m_expectedHashes = 0;
    int m_baseSteps = 0;
    int m_upgrades = 0;
};

#endif
