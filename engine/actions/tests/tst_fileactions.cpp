#include "sv_actionrun.h"
#include "sv_engine.h"
#include "sv_fileeditaction.h"
#include "sv_fileinstallaction.h"
#include "sv_installfilebuilder.h"
#include "sv_testsupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QtTest>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

using vantortest::actionError;
using vantortest::inStart;
using vantortest::runAction;
using vantortest::TempDir;

namespace {

QByteArray readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

struct stat statOf(const QString& path) {
    struct stat st {};
    ::stat(QFile::encodeName(path).constData(), &st);
    return st;
}

// The names in a directory, hidden ones too: what an action leaves behind.
QStringList entries(const QString& dir) {
    return QDir(dir).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

// Makes a file or directory immutable (not even root may rename over it or create in it)
// for its lifetime.
class Immutable {
public:
    explicit Immutable(const QString& path) : m_path(path) {
        m_ok = vantortest::runProgram(QStringLiteral("chattr"), {QStringLiteral("+i"), path},
                                      QProcessEnvironment::systemEnvironment())
                   .exitCode == 0;
    }
    ~Immutable() {
        vantortest::runProgram(QStringLiteral("chattr"), {QStringLiteral("-i"), m_path},
                               QProcessEnvironment::systemEnvironment());
    }
    bool ok() const { return m_ok; }

private:
    QString m_path;
    bool m_ok = false;
};

// Limits the size of files this process writes for its lifetime; writing beyond fails
// with EFBIG instead of raising SIGXFSZ.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        ::getrlimit(RLIMIT_FSIZE, &m_old);
        m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        struct rlimit limit = m_old;
        limit.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_oldHandler);
    }

private:
    struct rlimit m_old {};
    void (*m_oldHandler)(int) = nullptr;
};

} // namespace

// file-edit and file-install on real files: the edits, the kept attributes, the original
// left whole when writing fails, encodings and line ends.
class TestFileActions : public QObject {
    Q_OBJECT

    TempDir m_resources;

    void edit(SV_FileEditAction& action, const QString& file, const QString& what,
              const QString& newString) {
        action.setID(QStringLiteral("edit"));
        action.setOption(QStringLiteral("file"), file);
        action.setOption(QStringLiteral("action"), what);
        action.setOption(QStringLiteral("newstring"), newString);
    }

    // The content after a file-edit of a fresh file with that content.
    QByteArray edited(const QByteArray& content, const QString& what, const QString& newString,
                      const QList<QPair<QString, QString>>& options,
                      QStringList* errors = nullptr) {
        TempDir dir;
        const QString path = dir.write(QStringLiteral("conf"), content);
        SV_FileEditAction action;
        edit(action, path, what, newString);
        for (const auto& o : options)
            action.setOption(o.first, o.second);
        const QStringList e = runAction(action, inStart).errors;
        if (errors)
            *errors = e;
        else if (!e.isEmpty())
            return "errors: " + e.join(QLatin1Char('|')).toUtf8();
        if (entries(dir.path()) != QStringList{QStringLiteral("conf")})
            return "left behind: " + entries(dir.path()).join(QLatin1Char(' ')).toUtf8();
        return readAll(path);
    }

private slots:
    void initTestCase() {
        vantortest::installMessageHandler();
        ::umask(022);
        SV_Engine* engine = SV_Engine::engine();
        engine->loadInstallInfo(vantortest::parseXml(
            QStringLiteral("<installation><install-info><resources dir='%1'/></install-info>"
                           "</installation>")
                .arg(m_resources.path())));
        engine->loadVariables(vantortest::parseXml(QStringLiteral(
            "<installation><variables>"
            "<variable id='host' default='mail.example.org'><data-type><text-data/></data-type>"
            "</variable>"
            "<variable id='conf' default='main.cf'><data-type><text-data/></data-type>"
            "</variable></variables></installation>")));
        QCOMPARE(engine->resourceDir(), m_resources.path());
    }
    void init() { vantortest::clearMessages(); }

    void replaceRunsOnAfterTheInsertedText() {
        QCOMPARE(edited("foo foo", QStringLiteral("replace"), QStringLiteral("foobar"),
                        {{QStringLiteral("replace_regexp"), QStringLiteral("foo")}}),
                 QByteArray("foobar foobar"));
        // References in the new string are filled in; the pattern spans lines.
        QCOMPARE(edited("host=old\nport=1\n", QStringLiteral("replace"),
                        QStringLiteral("host=$$host$$"),
                        {{QStringLiteral("replace_regexp"), QStringLiteral("host=[^\\n]*")}}),
                 QByteArray("host=mail.example.org\nport=1\n"));
        // A pattern that matches the empty text ends (one insertion per position).
        QCOMPARE(edited("ab", QStringLiteral("replace"), QStringLiteral("-"),
                        {{QStringLiteral("replace_regexp"), QStringLiteral("x*")}}),
                 QByteArray("-a-b-"));
        // No match and fallback "append": an empty line, then the string without a newline.
        QCOMPARE(edited("a\n", QStringLiteral("replace"), QStringLiteral("x"),
                        {{QStringLiteral("replace_regexp"), QStringLiteral("zzz")},
                         {QStringLiteral("fallback"), QStringLiteral("append")}}),
                 QByteArray("a\n\nx"));
        QStringList errors;
        QCOMPARE(edited("a(\n", QStringLiteral("replace"), QStringLiteral("x"),
                        {{QStringLiteral("replace_regexp"), QStringLiteral("a(")}}, &errors),
                 QByteArray("a(\n"));
        QCOMPARE(errors,
                 QStringList{actionError(QStringLiteral("edit"),
                                         QStringLiteral("The Regular Expression: a( is invalid"))});
    }

    void addNewlinePlacesTheLine() {
        const QList<QPair<QString, QString>> afterB = {
            {QStringLiteral("append_regexp"), QStringLiteral("b")}};
        QCOMPARE(edited("a\nb\nc\n", QStringLiteral("add_newline"), QStringLiteral("x"), afterB),
                 QByteArray("a\nb\nx\nc\n"));
        // No match: last, before the trailing newline; without one, after the last line.
        QCOMPARE(edited("a\nc\n", QStringLiteral("add_newline"), QStringLiteral("x"), afterB),
                 QByteArray("a\nc\nx\n"));
        QCOMPARE(edited("a\nc", QStringLiteral("add_newline"), QStringLiteral("x"), {}),
                 QByteArray("a\nc\nx"));
        // A match on the last line without a newline.
        QCOMPARE(edited("a\nb", QStringLiteral("add_newline"), QStringLiteral("x"), afterB),
                 QByteArray("a\nb\nx"));
        // An empty file becomes the new line.
        QCOMPARE(edited("", QStringLiteral("add_newline"), QStringLiteral("x"), afterB),
                 QByteArray("x\n"));
        // unique_regexp: a match means present, no match absent.
        QCOMPARE(edited("a\nX=1\n", QStringLiteral("add_newline"), QStringLiteral("X=2"),
                        {{QStringLiteral("unique_regexp"), QStringLiteral("\\nX=")}}),
                 QByteArray("a\nX=1\n"));
        QCOMPARE(edited("a\n", QStringLiteral("add_newline"), QStringLiteral("X=2"),
                        {{QStringLiteral("unique_regexp"), QStringLiteral("\\nX=")}}),
                 QByteArray("a\nX=2\n"));
        // Any other action changes nothing.
        QCOMPARE(edited("a\n", QStringLiteral("append"), QStringLiteral("y"), {}),
                 QByteArray("a\n"));
    }

    // Patterns see the file as one text: "." matches a line end, "^" and "$" are the start
    // and the very end of the text, and \w, \d and \b know every Unicode letter and digit.
    void patternsSeeTheWholeFileAsOneText() {
        const auto replaced = [this](const QByteArray& content, const char* pattern) {
            return edited(content, QStringLiteral("replace"), QStringLiteral("X"),
                          {{QStringLiteral("replace_regexp"), QString::fromUtf8(pattern)}});
        };
        // "." matches the line end between b and c; a bracket expression can keep to a line.
        QCOMPARE(replaced("a\nb\nc\n", "b.c"), QByteArray("a\nX\n"));
        QCOMPARE(replaced("a=1\nb=2\n", "a=.*"), QByteArray("X"));
        QCOMPARE(replaced("a=1\nb=2\n", "a=[^\n]*"), QByteArray("X\nb=2\n"));
        // "$" is the very end of the text, not a place before its last line end.
        QCOMPARE(replaced("a\nb\n", "b$"), QByteArray("a\nb\n"));
        QVERIFY(vantortest::messages().contains(
            QStringLiteral("Log message from: edit: The Regular Expression: b$ matched nothing")));
        QCOMPARE(replaced("a\nb", "b$"), QByteArray("a\nX"));
        QCOMPARE(replaced("a\nb\n", "b\n$"), QByteArray("a\nX"));
        QCOMPARE(replaced("a\nb\n", "(b|$)"), QByteArray("a\nX\nX"));
        // A dollar sign that is escaped or in a bracket expression is the character itself.
        QCOMPARE(replaced("p=$1\n", "\\$1"), QByteArray("p=X\n"));
        QCOMPARE(replaced("p=$1\n", "[$]1"), QByteArray("p=X\n"));
        QCOMPARE(replaced("p=$1\n", "[]$]1"), QByteArray("p=X\n"));
        QCOMPARE(replaced("p=$1:\n", "[[:digit:]$]+:"), QByteArray("p=X\n"));
        QCOMPARE(replaced("p=$1\n", "\\Q=$\\E1"), QByteArray("pX\n"));
        // "^" is only the start of the text.
        QCOMPARE(replaced("a\na\n", "^a"), QByteArray("X\na\n"));
        // Unicode letters and digits.
        QCOMPARE(replaced("caf\xc3\xa9 au lait\n", "caf\\w"), QByteArray("X au lait\n"));
        QCOMPARE(replaced("\xd0\xbf\xd0\xbe\xd1\x80\xd1\x82\n", "^\\w+\\b"), QByteArray("X\n"));
        QCOMPARE(replaced("port=\xd9\xa3\xd9\xa8\xd9\xa9\n", "\\d+"), QByteArray("port=X\n"));
        // Case counts.
        QCOMPARE(replaced("Host\n", "host"), QByteArray("Host\n"));

        // add_newline reads its patterns the same way.
        QCOMPARE(edited("a\nb\nc\n", QStringLiteral("add_newline"), QStringLiteral("x"),
                        {{QStringLiteral("append_regexp"), QStringLiteral("a.b")}}),
                 QByteArray("a\nb\nx\nc\n"));
        QCOMPARE(edited("a\nX=1", QStringLiteral("add_newline"), QStringLiteral("X=2"),
                        {{QStringLiteral("unique_regexp"), QStringLiteral("X=\\d$")}}),
                 QByteArray("a\nX=1"));
        QCOMPARE(edited("a\nX=1\n", QStringLiteral("add_newline"), QStringLiteral("X=2"),
                        {{QStringLiteral("unique_regexp"), QStringLiteral("X=\\d$")}}),
                 QByteArray("a\nX=1\nX=2\n"));
    }

    // A pattern that cannot be used is an error of the action, and the file stays as it was.
    void invalidPatternsAreErrors() {
        const struct {
            const char* action;
            const char* option;
            const char* pattern;
        } cases[] = {
            {"replace", "replace_regexp", "a("},   {"replace", "replace_regexp", "[b"},
            {"replace", "replace_regexp", ""}, // would match between every two characters
            {"add_newline", "unique_regexp", "("}, {"add_newline", "append_regexp", "b)"},
        };
        for (const auto& c : cases) {
            QStringList errors;
            QCOMPARE(edited("a\nb\n", QString::fromLatin1(c.action), QStringLiteral("x"),
                            {{QString::fromLatin1(c.option), QString::fromLatin1(c.pattern)},
                             {QStringLiteral("fallback"), QStringLiteral("append")}},
                            &errors),
                     QByteArray("a\nb\n"));
            QCOMPARE(errors,
                     QStringList{actionError(QStringLiteral("edit"),
                                             QStringLiteral("The Regular Expression: %1 is invalid")
                                                 .arg(QString::fromLatin1(c.pattern)))});
        }
        // Not given at all: the same.
        QStringList errors;
        QCOMPARE(edited("a\n", QStringLiteral("replace"), QStringLiteral("x"), {}, &errors),
                 QByteArray("a\n"));
        QCOMPARE(errors.size(), 1);
    }

    void unchangedFilesAreNotRewritten() {
        TempDir dir;
        const QString path = dir.write(QStringLiteral("conf"), "a\nx\n");
        const ino_t inode = statOf(path).st_ino;
        for (const QString& what : {QStringLiteral("replace"), QStringLiteral("add_newline")}) {
            SV_FileEditAction action;
            edit(action, path, what, QStringLiteral("x"));
            action.setOption(QStringLiteral("replace_regexp"), QStringLiteral("nomatch"));
            QCOMPARE(runAction(action, inStart).errors, QStringList());
            QCOMPARE(statOf(path).st_ino, inode);
        }
        QCOMPARE(readAll(path), QByteArray("a\nx\n"));
        QVERIFY(vantortest::messages().contains(
            QStringLiteral("Log message from: edit: changing file: %1\nnewstring = x\n"
                           "action to perform = add_newline")
                .arg(path)));
    }

    void lineEndsAndEncodingsAreKept() {
        // CRLF lines and UTF-8 text: the new line gets CRLF too.
        QCOMPARE(edited("gr\xc3\xb6\xc3\x9f"
                        "e=1\r\nb\r\n",
                        QStringLiteral("add_newline"), QStringLiteral("\u00e9t\u00e9=2"),
                        {{QStringLiteral("append_regexp"), QStringLiteral("gr\u00f6\u00dfe")}}),
                 QByteArray("gr\xc3\xb6\xc3\x9f"
                            "e=1\r\n\xc3\xa9t\xc3\xa9=2\r\nb\r\n"));
        QCOMPARE(edited("a\r\nb\r\n", QStringLiteral("add_newline"), QStringLiteral("x"), {}),
                 QByteArray("a\r\nb\r\nx\r\n"));
        // Bytes that are not UTF-8 (Latin-1) pass unchanged.
        QCOMPARE(edited("caf\xe9 t\xe9l\r\n", QStringLiteral("replace"), QStringLiteral("T"),
                        {{QStringLiteral("replace_regexp"), QStringLiteral("t")}}),
                 QByteArray("caf\xe9 T\xe9l\r\n"));
    }

    void editKeepsModeAndOwner() {
        TempDir dir;
        const QString path = dir.write(QStringLiteral("conf"), "secret=1\n");
        QCOMPARE(::chmod(QFile::encodeName(path).constData(), 0640), 0);
        if (::geteuid() == 0)
            QCOMPARE(::chown(QFile::encodeName(path).constData(), 1234, 2345), 0);
        const struct stat before = statOf(path);
        SV_FileEditAction action;
        edit(action, path, QStringLiteral("replace"), QStringLiteral("secret=2"));
        action.setOption(QStringLiteral("replace_regexp"), QStringLiteral("secret=1"));
        QCOMPARE(runAction(action, inStart).errors, QStringList());
        QCOMPARE(readAll(path), QByteArray("secret=2\n"));
        const struct stat after = statOf(path);
        QVERIFY(after.st_ino != before.st_ino); // replaced, not rewritten in place
        QCOMPARE(after.st_mode & 07777, mode_t(0640));
        QCOMPARE(after.st_uid, before.st_uid);
        QCOMPARE(after.st_gid, before.st_gid);

        // Through a symbolic link: the file it points at changes, the link stays.
        const QString link = dir.file(QStringLiteral("link"));
        QVERIFY(QFile::link(path, link));
        SV_FileEditAction viaLink;
        edit(viaLink, link, QStringLiteral("add_newline"), QStringLiteral("more=1"));
        QCOMPARE(runAction(viaLink, inStart).errors, QStringList());
        QVERIFY(QFileInfo(link).isSymLink());
        QCOMPARE(readAll(path), QByteArray("secret=2\nmore=1\n"));
        QCOMPARE(statOf(path).st_mode & 07777, mode_t(0640));
    }

    void failedWritesLeaveTheOriginal() {
        TempDir dir;
        const QString path = dir.write(QStringLiteral("conf"), "a=1\n");
        {
            // Renaming over an immutable file fails, also for root.
            Immutable frozen(path);
            if (!frozen.ok())
                QSKIP("chattr +i is not supported here");
            SV_FileEditAction action;
            edit(action, path, QStringLiteral("add_newline"), QStringLiteral("b=2"));
            QCOMPARE(
                runAction(action, inStart).errors,
                QStringList{actionError(QStringLiteral("edit"),
                                        QStringLiteral("Could not write to file %1").arg(path))});
        }
        QCOMPARE(readAll(path), QByteArray("a=1\n"));
        QCOMPARE(entries(dir.path()), QStringList{QStringLiteral("conf")});
        {
            // No temporary file can be made in an immutable directory.
            Immutable frozen(dir.path());
            QVERIFY(frozen.ok());
            SV_FileEditAction action;
            edit(action, path, QStringLiteral("add_newline"), QStringLiteral("b=2"));
            QCOMPARE(runAction(action, inStart).errors.size(), 1);
        }
        QCOMPARE(readAll(path), QByteArray("a=1\n"));
        {
            // A write that fails half-way (file size limit).
            FileSizeLimit limit(4096);
            SV_FileEditAction action;
            edit(action, path, QStringLiteral("add_newline"), QString(8192, QLatin1Char('z')));
            QCOMPARE(runAction(action, inStart).errors.size(), 1);
        }
        QCOMPARE(readAll(path), QByteArray("a=1\n"));
        QCOMPARE(entries(dir.path()), QStringList{QStringLiteral("conf")});
    }

    void editOfMissingOrUnreadableFiles() {
        TempDir dir;
        SV_FileEditAction action;
        edit(action, dir.file(QStringLiteral("none")), QStringLiteral("add_newline"),
             QStringLiteral("x"));
        QCOMPARE(runAction(action, inStart).errors,
                 QStringList{actionError(QStringLiteral("edit"),
                                         QStringLiteral("Input File %1 does not exist")
                                             .arg(dir.file(QStringLiteral("none"))))});
        QVERIFY(!QFile::exists(dir.file(QStringLiteral("none"))));
        const QString sub = dir.mkdir(QStringLiteral("sub"));
        edit(action, sub, QStringLiteral("add_newline"), QStringLiteral("x"));
        QCOMPARE(runAction(action, inStart).errors,
                 QStringList{actionError(
                     QStringLiteral("edit"),
                     QStringLiteral("Could not open input file: %1 for reading").arg(sub))});
    }

    void installCopiesByteForByte() {
        const QByteArray content("bin\0ary\r\n\xc3\xa9\xff", 12);
        const QString source = m_resources.write(QStringLiteral("etc/main.cf"), content);
        TempDir target;
        const QString destination = target.file(QStringLiteral("main.cf"));
        SV_FileInstallAction action;
        action.setID(QStringLiteral("inst"));
        action.setOption(QStringLiteral("file"), QStringLiteral("etc/$$conf$$"));
        action.setOption(QStringLiteral("install-location"), destination);
        QCOMPARE(runAction(action, inStart).errors, QStringList());
        QCOMPARE(readAll(destination), content);
        QCOMPARE(statOf(destination).st_mode & 07777, mode_t(0644));
        QVERIFY(vantortest::messages().contains(
            QStringLiteral("Log message from: inst: Installing: %1 to: %2")
                .arg(source, destination)));
        QCOMPARE(entries(target.path()), QStringList{QStringLiteral("main.cf")});

        // Over an existing file: its mode and owner stay.
        target.write(QStringLiteral("main.cf"), "old");
        QCOMPARE(::chmod(QFile::encodeName(destination).constData(), 0600), 0);
        if (::geteuid() == 0)
            QCOMPARE(::chown(QFile::encodeName(destination).constData(), 4321, 4322), 0);
        const struct stat before = statOf(destination);
        QCOMPARE(runAction(action, inStart).errors, QStringList());
        QCOMPARE(readAll(destination), content);
        const struct stat after = statOf(destination);
        QCOMPARE(after.st_mode & 07777, mode_t(0600));
        QCOMPARE(after.st_uid, before.st_uid);
        QCOMPARE(after.st_gid, before.st_gid);
    }

    void installFillsTemplates() {
        const QString source =
            m_resources.write(QStringLiteral("tmpl"), "myhostname = $$host$$\r\nlast line");
        TempDir target;
        const QString destination = target.write(QStringLiteral("out"), "previous");
        SV_FileInstallAction action;
        action.setID(QStringLiteral("inst"));
        action.setOption(QStringLiteral("file"), QStringLiteral("tmpl"));
        action.setOption(QStringLiteral("install-location"), destination);
        action.setOption(QStringLiteral("template"), QStringLiteral("true"));
        QCOMPARE(runAction(action, inStart).errors, QStringList());
        QCOMPARE(readAll(destination), QByteArray("myhostname = mail.example.org\nlast line\n"));
        QCOMPARE(entries(target.path()), QStringList{QStringLiteral("out")});

        // Into a directory where nothing can be created: the old file stays.
        target.write(QStringLiteral("out"), "previous");
        Immutable frozen(target.path());
        if (!frozen.ok())
            QSKIP("chattr +i is not supported here");
        QCOMPARE(runAction(action, inStart).errors,
                 QStringList{actionError(QStringLiteral("inst"),
                                         QStringLiteral("Could not install template file: "
                                                        "%1 to: %2")
                                             .arg(source, destination))});
        QCOMPARE(readAll(destination), QByteArray("previous"));
    }

    void installFailuresLeaveTheDestination() {
        TempDir target;
        const QString destination = target.write(QStringLiteral("out"), "previous");
        SV_FileInstallAction action;
        action.setID(QStringLiteral("inst"));
        action.setOption(QStringLiteral("install-location"), destination);

        // A missing source, copied or as a template.
        action.setOption(QStringLiteral("file"), QStringLiteral("missing"));
        const QString missing = m_resources.file(QStringLiteral("missing"));
        for (const QString& mode : {QStringLiteral("false"), QStringLiteral("true")}) {
            action.setOption(QStringLiteral("template"), mode);
            QCOMPARE(runAction(action, inStart).errors,
                     QStringList{actionError(QStringLiteral("inst"),
                                             QStringLiteral("Could not read from input "
                                                            "file: %1")
                                                 .arg(missing))});
            QCOMPARE(readAll(destination), QByteArray("previous"));
        }

        // The copy fails half-way: reported, nothing half-written left.
        action.setOption(QStringLiteral("template"), QString());
        m_resources.write(QStringLiteral("big"), QByteArray(100000, 'x'));
        action.setOption(QStringLiteral("file"), QStringLiteral("big"));
        {
            FileSizeLimit limit(50000);
            QCOMPARE(runAction(action, inStart).errors,
                     QStringList{actionError(QStringLiteral("inst"),
                                             QStringLiteral("Could not write to output "
                                                            "file: %1")
                                                 .arg(destination))});
        }
        QCOMPARE(readAll(destination), QByteArray("previous"));
        QCOMPARE(entries(target.path()), QStringList{QStringLiteral("out")});

        // The rename over an immutable destination fails.
        {
            Immutable frozen(destination);
            if (!frozen.ok())
                QSKIP("chattr +i is not supported here");
            QCOMPARE(runAction(action, inStart).errors.size(), 1);
        }
        QCOMPARE(readAll(destination), QByteArray("previous"));
        QCOMPARE(entries(target.path()), QStringList{QStringLiteral("out")});

        action.setOption(QStringLiteral("action"), QStringLiteral("copy"));
        QCOMPARE(runAction(action, inStart).errors,
                 QStringList{actionError(QStringLiteral("inst"),
                                         QStringLiteral("Invalid action string: copy"))});
    }

    void removeDeletesOrReportsTheSystemsText() {
        TempDir dir;
        const QString path = dir.write(QStringLiteral("old"), "x");
        SV_FileInstallAction action;
        action.setID(QStringLiteral("rm"));
        action.setOption(QStringLiteral("action"), QStringLiteral("remove"));
        action.setOption(QStringLiteral("file"), path);
        QCOMPARE(runAction(action, inStart).errors, QStringList());
        QVERIFY(!QFile::exists(path));
        QCOMPARE(runAction(action, inStart).errors,
                 QStringList{actionError(QStringLiteral("rm"),
                                         QStringLiteral("unlink failed for file: %1, error "
                                                        "string = No such file or directory")
                                             .arg(path))});
        QVERIFY(!action.successful());
    }
};

QTEST_GUILESS_MAIN(TestFileActions)
#include "tst_fileactions.moc"
