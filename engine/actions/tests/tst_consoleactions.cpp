#include "sv_installfilebuilder.h"
#include "sv_testsupport.h"

#include <QFile>
#include <QProcess>
#include <QtTest>

using namespace vantortest;

// The real `vantor --console` with an install file whose pre-install list installs a
// package, fills a template, edits the result and checks for a process and for Java.
class TestConsoleActions : public QObject {
    Q_OBJECT

    static QByteArray readAll(const QString& path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    static ProcessResult rpm(const QStringList& args) {
        return runProgram(QStringLiteral("rpm"), args, QProcessEnvironment::systemEnvironment());
    }

private slots:
    void preInstallListUsesEveryNewType() {
        TempDir dir;
        // The medium: one package and one template.
        const QString spec = dir.write(QStringLiteral("mta.spec"),
                                       "Name: mta\nVersion: 2.0\nRelease: 1\nSummary: test\n"
                                       "License: none\n%description\ntest\n%files\n");
        const QString top = dir.mkdir(QStringLiteral("top"));
        QCOMPARE(runProgram(QStringLiteral("rpmbuild"),
                            {QStringLiteral("-bb"), QStringLiteral("--define"),
                             QStringLiteral("_topdir ") + top, QStringLiteral("--target"),
                             QStringLiteral("i386"), spec},
                            QProcessEnvironment::systemEnvironment())
                     .exitCode,
                 0);
        const QString components = top + QStringLiteral("/RPMS/i386");
        const QString resources = dir.mkdir(QStringLiteral("res"));
        dir.write(QStringLiteral("res/main.cf.in"), "myhostname = $$host$$\nrelay = none\n");
        const QString root = dir.mkdir(QStringLiteral("root"));
        QCOMPARE(rpm({QStringLiteral("--root"), root, QStringLiteral("--initdb")}).exitCode, 0);
        const QString target = dir.mkdir(QStringLiteral("etc"));
        const QString javaDir = dir.mkdir(QStringLiteral("jdk/bin"));
        const QString java =
            dir.write(QStringLiteral("jdk/bin/java"),
                      "#!/bin/sh\necho 'openjdk version \"17.0.9\" 2023-10-17' >&2\n");
        QFile::setPermissions(java, QFile::permissions(java) | QFileDevice::ExeOwner);

        // A process to look for, with a name of its own.
        const QString daemonPath = dir.file(QStringLiteral("vtconsoled"));
        QVERIFY(QFile::copy(QStringLiteral("/bin/sleep"), daemonPath));
        QFile::setPermissions(daemonPath, QFile::permissions(daemonPath) | QFileDevice::ExeOwner);
        QProcess daemon;
        daemon.start(daemonPath, {QStringLiteral("120")});
        QVERIFY(daemon.waitForStarted());

        InstallFileBuilder b;
        b.section(QStringLiteral("install-info"))
            .addXml(QStringLiteral("<components dir='%1'/><resources dir='%2'/>")
                        .arg(components, resources));
        b.section(QStringLiteral("variables"))
            .addXml(QStringLiteral("<variable id='host' default='mail.example.org'>"
                                   "<data-type><text-data/></data-type></variable>"));
        b.section(QStringLiteral("actions"))
            .addXml(QStringLiteral(
                        "<action type='rpm' id='pkg'>"
                        "<option-param param='command' value='install'/>"
                        "<option-param param='rpms' value='mta'/>"
                        "<option-param param='extra-args' value='--root,%1,--nodeps'/></action>"
                        "<action type='file-install' id='conf'>"
                        "<option-param param='file' value='main.cf.in'/>"
                        "<option-param param='install-location' value='%2/main.cf'/>"
                        "<option-param param='template' value='true'/></action>"
                        "<action type='file-edit' id='edit'>"
                        "<option-param param='file' value='%2/main.cf'/>"
                        "<option-param param='action' value='add_newline'/>"
                        "<option-param param='newstring' value='mydomain = example.org'/>"
                        "<option-param param='append_regexp' value='myhostname'/></action>"
                        "<action type='check-process' id='running'>"
                        "<option-param param='name' value='vtconsoled'/></action>"
                        "<action type='check-java' id='java'>"
                        "<option-param param='version' value='11'/></action>"
                        "<action type='check-process' id='absent'>"
                        "<option-param param='name' value='vtconsole'/>"
                        "<option-param param='ignore-errors' value='true'/></action>")
                        .arg(root, target));
        b.section(QStringLiteral("pre-install"))
            .addXml(
                QStringLiteral("<run-action action_id='pkg'/><run-action action_id='conf'/>"
                               "<run-action action_id='edit'/><run-action action_id='running'/>"
                               "<run-action action_id='java'/><run-action action_id='absent'/>"));
        const QString file = dir.file(QStringLiteral("install.xml"));
        QVERIFY(b.save(file));

        QProcessEnvironment env = cleanEnvironment(dir.mkdir(QStringLiteral("run")));
        env.insert(QStringLiteral("PATH"),
                   javaDir + QLatin1Char(':') + env.value(QStringLiteral("PATH")));
        const ProcessResult result =
            runProgram(QStringLiteral(VANTOR_PROGRAM),
                       {QStringLiteral("--console"), QStringLiteral("--verbose"), file}, env);
        daemon.kill();
        daemon.waitForFinished();
        QVERIFY(result.started);
        const QByteArray err = result.err;

        const ProcessResult query = rpm(
            {QStringLiteral("--root"), root, QStringLiteral("-q"), QStringLiteral("--queryformat"),
             QStringLiteral("%{VERSION}:%{RELEASE}"), QStringLiteral("mta")});
        QCOMPARE(query.out, QByteArray("2.0:1"));
        QCOMPARE(
            readAll(target + QStringLiteral("/main.cf")),
            QByteArray("myhostname = mail.example.org\nmydomain = example.org\nrelay = none\n"));
        QVERIFY2(err.contains(("Log message from: pkg: Command line = rpm -Uh --root " + root +
                               " --nodeps " + components + "/mta-2.0-1.i386.rpm")
                                  .toUtf8()),
                 err.constData());
        QVERIFY(err.contains("Log message from: running: Checking for process name: vtconsoled"));
        QVERIFY(err.contains(("Log message from: java: java exe found at: " + java).toUtf8()));
        // The only error is the one of the check that was told to ignore errors.
        QCOMPARE(err.count("Error message from: "), 1);
        QVERIFY(err.contains("Error message from: absent: Process: vtconsole is not running"));
    }
};

QTEST_GUILESS_MAIN(TestConsoleActions)
#include "tst_consoleactions.moc"
