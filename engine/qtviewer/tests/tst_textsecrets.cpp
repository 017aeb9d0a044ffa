// The wizard window walked to Done, one scenario per process (the engine's init() runs
// once): texts in any script shown as written (pages, command output, log window, saved
// log), no secret in any of them or on standard error, the saved log readable by its
// owner only, and in German no page showing an English text of the engine's catalogue.
//
//   engine_qtviewer_textsecrets [--png DIR] russian|japanese|secret|german
//
// With --png every page (and the log window) is also saved as DIR/<scenario>-NN-<what>.png.
#include "sv_engine.h"
#include "sv_installfilebuilder.h"
#include "sv_qtlogviewer.h"
#include "sv_qtstagewidget.h"
#include "sv_qtviewer.h"
#include "sv_scenariocheck.h"
#include "sv_testsupport.h"
#include "sv_variable.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSet>
#include <QTextBrowser>
#include <QTextEdit>
#include <QTimer>
#include <QXmlStreamReader>
#include <QtTest>

#include <cstdio>
#include <functional>

using vantortest::InstallFileBuilder;
using vantortest::TempDir;

namespace {

SV_QtViewer* g_viewer = nullptr;
QString g_scenario;
QString g_pngDir;
int g_pictures = 0;
QStringList g_shown;
// What each page needs before it can be left, and what is checked on it once it can.
std::function<void(const QString& stage)> g_fill;
std::function<void(const QString& stage)> g_check;

void fail(const QString& what) {
    std::fprintf(stderr, "FAIL: %s\n", qUtf8Printable(what));
    ++vantortest::scenarioFailures();
}

void picture(QWidget* widget, const QString& what) {
    if (g_pngDir.isEmpty() || !widget)
        return;
    const QString name = QStringLiteral("%1/%2-%3-%4.png")
                             .arg(g_pngDir, g_scenario)
                             .arg(++g_pictures, 2, 10, QLatin1Char('0'))
                             .arg(what);
    if (widget->grab().save(name))
        std::fprintf(stderr, "wrote %s\n", qPrintable(name));
    else
        fail(QStringLiteral("cannot write %1").arg(name));
}

// Every text that a widget below root shows: labels, buttons, group titles, fields and
// text views (visible ones only), and the window titles.
QStringList visibleTexts(QWidget* root) {
    QStringList texts{root->windowTitle()};
    for (QWidget* w : root->findChildren<QWidget*>()) {
        if (!w->isVisible())
            continue;
        if (auto* l = qobject_cast<QLabel*>(w))
            texts << l->text();
        else if (auto* b = qobject_cast<QAbstractButton*>(w))
            texts << b->text();
        else if (auto* g = qobject_cast<QGroupBox*>(w))
            texts << g->title();
        else if (auto* e = qobject_cast<QLineEdit*>(w))
            texts << e->text();
        else if (auto* t = qobject_cast<QTextEdit*>(w))
            texts << t->toPlainText();
        else if (auto* p = qobject_cast<QPlainTextEdit*>(w))
            texts << p->toPlainText();
    }
    return texts;
}

bool anyContains(const QStringList& texts, const QString& wanted) {
    for (const QString& t : texts)
        if (t.contains(wanted))
            return true;
    return false;
}

void expectShown(const QString& where, const QStringList& texts, const QStringList& wanted) {
    for (const QString& w : wanted)
        if (!anyContains(texts, w))
            fail(QStringLiteral("%1: \"%2\" not shown; shown: %3")
                     .arg(where, w, texts.join(QStringLiteral(" | "))));
}

void expectHidden(const QString& where, const QString& all, const QStringList& secrets) {
    for (const QString& s : secrets)
        if (all.contains(s))
            fail(QStringLiteral("%1 shows the secret \"%2\"").arg(where, s));
}

QPushButton* buttonWithText(QWidget* root, const QString& text) {
    for (QPushButton* b : root->findChildren<QPushButton*>())
        if (b->text() == text)
            return b;
    return nullptr;
}

// Waits for the forward button of the current page (filling in the page), checks the
// page, takes its picture and moves on.
void stepWhenReady(const QString& stage, int tries) {
    QPushButton* forward =
        g_viewer->nextButton()->isHidden() ? g_viewer->doneButton() : g_viewer->nextButton();
    if (!forward->isEnabled()) {
        if (tries == 5 && g_fill)
            g_fill(stage);
        if (tries > 400) {
            fail(QStringLiteral("%1: the forward button never became enabled").arg(stage));
            QCoreApplication::exit(3);
            return;
        }
        QTimer::singleShot(50, [stage, tries] { stepWhenReady(stage, tries + 1); });
        return;
    }
    if (g_check)
        g_check(stage);
    picture(g_viewer->mainWindow(), stage);
    g_shown << stage;
    QTest::mouseClick(forward, Qt::LeftButton);
}

// Opens the log window on all messages and returns what it shows; with a file name, saves
// the log there with "Save To File".
QString showAllLog(const QString& saveTo = QString()) {
    g_viewer->showLog();
    SV_QtLogViewer* log = g_viewer->logViewer();
    if (!log) {
        fail(QStringLiteral("no log window"));
        return QString();
    }
    QPushButton* all = buttonWithText(log, QCoreApplication::translate("SV_QtLogViewer", "All"));
    if (!all)
        fail(QStringLiteral("the log window has no button \"All\""));
    else
        QTest::mouseClick(all, Qt::LeftButton);
    const QString shown = log->findChild<QTextBrowser*>()->toPlainText();
    picture(log, QStringLiteral("log"));
    if (!saveTo.isEmpty()) {
        SV_QtLogViewer::setFileNameAsker([saveTo](QWidget*, const QString&) { return saveTo; });
        QPushButton* save =
            buttonWithText(log, QCoreApplication::translate("SV_QtLogViewer", "Save To File"));
        if (!save)
            fail(QStringLiteral("the log window has no button \"Save To File\""));
        else
            QTest::mouseClick(save, Qt::LeftButton);
    }
    log->hide();
    return shown;
}

QByteArray readFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// A saved log replaces an existing file that anybody could read: afterwards only its
// owner can.
void checkSavedLog(const QString& path, const QByteArrayList& wanted) {
    const QByteArray saved = readFile(path);
    for (const QByteArray& w : wanted)
        if (!saved.contains(w))
            fail(QStringLiteral("the saved log lacks \"%1\":\n%2")
                     .arg(QString::fromUtf8(w), QString::fromUtf8(saved)));
    const QFileDevice::Permissions others = QFileDevice::ReadGroup | QFileDevice::WriteGroup |
                                            QFileDevice::ReadOther | QFileDevice::WriteOther;
    if (QFileInfo(path).permissions() & others)
        fail(QStringLiteral("the saved log can be read by others"));
    if (!(QFileInfo(path).permissions() & QFileDevice::ReadOwner))
        fail(QStringLiteral("the saved log cannot be read by its owner"));
}

QString preparedLogFile(const TempDir& dir) {
    const QString path = dir.write(QStringLiteral("install.log"), "an older log\n");
    QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                    QFileDevice::ReadGroup | QFileDevice::ReadOther);
    return path;
}

// ---- a file in another script ----

struct NonLatin {
    QString file;
    QStringList welcome; // texts of the first page
    QString output;      // the command's output line
};

void nonLatin(const NonLatin& n, const TempDir& dir) {
    const QString logFile = preparedLogFile(dir);
    g_check = [=](const QString& stage) {
        const QStringList texts = visibleTexts(g_viewer->mainWindow());
        if (stage == QLatin1String("welcome")) {
            expectShown(stage, texts, n.welcome);
            for (const QString& t : texts)
                if (t.contains(QLatin1Char('?')))
                    fail(QStringLiteral("welcome: a question mark in \"%1\"").arg(t));
        } else {
            expectShown(stage, texts, {n.output});
            const QString log = showAllLog(logFile);
            if (!log.contains(QStringLiteral("Standard Out = ") + n.output))
                fail(QStringLiteral("the log window lacks the output: %1").arg(log));
            checkSavedLog(logFile, {("   Standard Out = " + n.output + "\n").toUtf8()});
            // Standard error got the log messages in full as well.
            if (!anyContains(vantortest::messages(), QStringLiteral("Standard Out = ") + n.output))
                fail(QStringLiteral("standard error lacks the output"));
        }
    };
    SV_Engine::engine()->setInstallFile(n.file);
}

// ---- secrets ----

const QString kPassword = QStringLiteral("Geheimnis-€42");

void secrets(const TempDir& dir) {
    const QString root = dir.mkdir(QStringLiteral("root"));
    InstallFileBuilder b;
    b.section("variables")
        .addXml(
            "<variable id='pw'><string>Password</string><data-type><password-data>"
            "<password-conditions min_length='6'/></password-data></data-type></variable>"
            "<variable "
            "id='gen'><string>Generated</string><data-type><text-data/></data-type></variable>");
    b.section("actions").addXml(
        QStringLiteral(
            "<action type='generate-password' id='make'><option-param param='length' value='14'/>"
            "<option-param param='min' value='65'/><option-param param='max' value='90'/></action>"
            "<action type='process' id='use'><option-param param='process' value='sh'/>"
            "<option-param param='arg1' value='-c'/>"
            "<option-param param='arg2' value='printf \"%s %s\" \"$2\" \"$3\" &gt;\"$1/received\"; "
            "echo \"out $2 $3\"; echo \"err $2 $3\" &gt;&amp;2'/>"
            "<option-param param='arg3' value='use'/><option-param param='arg4' value='%1'/>"
            "<option-param param='arg5' value='$$pw$$'/><option-param param='arg6' "
            "value='$$gen$$'/>"
            "<option-param param='stderr-is-err' value='false'/></action>")
            .arg(root));
    b.section("pre-install").addXml("<var-init var_id='gen' action_id='make'/>");
    b.section("stages").addXml(
        "<stage id='password'><string>Password</string><ui><ui-element><input-element>"
        "<variable-input var_id='pw'/></input-element></ui-element></ui>"
        "<continue-conditions><var-condition var_id='pw' "
        "condition='valid-password'/></continue-conditions></stage>"
        "<stage "
        "id='use'><string>Use</string><ui><finish/><ui-element><output-element><string>Using "
        "it</string>"
        "<action-sequence output='text'><actionID action_id='use'/></action-sequence>"
        "</output-element></ui-element></ui></stage>");
    const QString file = dir.file(QStringLiteral("install.xml"));
    CHECK(b.save(file));
    const QString logFile = preparedLogFile(dir);

    // The password is typed, key by key, into both fields.
    g_fill = [](const QString& stage) {
        if (stage != QLatin1String("password"))
            return;
        int typed = 0;
        for (QLineEdit* e : g_viewer->currentStageWidget()->findChildren<QLineEdit*>()) {
            if (e->echoMode() != QLineEdit::Password)
                continue;
            e->setFocus();
            for (const QChar c : kPassword) {
                if (c.unicode() < 0x80)
                    QTest::keyClick(e, c.toLatin1());
                else // a key that only gives its text, as an input method does
                    QTest::sendKeyEvent(QTest::Click, e, Qt::Key_unknown, QString(c),
                                        Qt::NoModifier);
            }
            ++typed;
        }
        if (typed != 2)
            fail(QStringLiteral("%1 password fields").arg(typed));
    };
    g_check = [=](const QString& stage) {
        if (stage != QLatin1String("use"))
            return;
        const QByteArray received = readFile(root + QStringLiteral("/received"));
        const QString generated = QString::fromUtf8(received).section(QLatin1Char(' '), 1);
        CHECK_EQ(QString::fromUtf8(received).section(QLatin1Char(' '), 0, 0), kPassword);
        CHECK(generated.size() == 14);
        const QStringList secrets{kPassword, generated};
        const QStringList page = visibleTexts(g_viewer->mainWindow());
        expectShown(stage, page, {QStringLiteral("out ******** ********")});
        expectHidden(QStringLiteral("the page"), page.join(QLatin1Char('\n')), secrets);
        const QString log = showAllLog(logFile);
        if (!log.contains(QStringLiteral("Command line = sh -c")))
            fail(QStringLiteral("the log window lacks the command line: %1").arg(log));
        expectHidden(QStringLiteral("the log window"), log, secrets);
        checkSavedLog(logFile, {"   Standard Out = out ******** ********\n",
                                "   Standard Err = err ******** ********\n"});
        expectHidden(QStringLiteral("the saved log"), QString::fromUtf8(readFile(logFile)),
                     secrets);
        expectHidden(QStringLiteral("standard error"),
                     vantortest::messages().join(QLatin1Char('\n')), secrets);
        if (!anyContains(vantortest::messages(),
                         QStringLiteral("Log message from: use: Command line = ")))
            fail(QStringLiteral("standard error lacks the log message"));
    };
    SV_Engine::engine()->setInstallFile(file);
}

// ---- German ----

// The engine's own texts that its German catalogue translates, as the English source
// (without the mnemonic marks).
QSet<QString> englishEngineTexts() {
    QSet<QString> english;
    QFile ts(QStringLiteral(VANTOR_ENGINE_TS_DE));
    if (!ts.open(QIODevice::ReadOnly)) {
        fail(QStringLiteral("cannot read %1").arg(ts.fileName()));
        return english;
    }
    QXmlStreamReader xml(&ts);
    QString source;
    while (!xml.atEnd()) {
        xml.readNext();
        if (!xml.isStartElement())
            continue;
        if (xml.name() == QLatin1String("source"))
            source = xml.readElementText();
        else if (xml.name() == QLatin1String("translation")) {
            const QString translation = xml.readElementText();
            if (!translation.isEmpty() && translation != source)
                english << QString(source).remove(QLatin1Char('&'));
        }
    }
    if (english.size() < 20)
        fail(QStringLiteral("only %1 translated engine texts").arg(english.size()));
    return english;
}

void expectGerman(const QString& where, const QStringList& texts) {
    static const QSet<QString> english = englishEngineTexts();
    for (QString text : texts) {
        text.remove(QLatin1Char('&'));
        for (const QString& e : english) {
            // Short words must be the whole text; a sentence is also found inside one.
            if (text == e || (e.size() > 12 && text.contains(e)))
                fail(QStringLiteral("%1 shows the English \"%2\"").arg(where, e));
        }
    }
}

void setIfEmpty(const QString& id, const QStringList& values) {
    SV_Variable* v = SV_Engine::engine()->variable(id);
    if (v && v->value().isEmpty())
        v->storeValue(values);
}

// Waits for a modal message box, checks it is German and answers it with the button
// of the given text.
void answerGermanBox(const QString& expectedText, const QString& button) {
    auto* poll = new QTimer(qApp);
    auto tries = std::make_shared<int>(200);
    QObject::connect(poll, &QTimer::timeout, [=] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) {
            if (--*tries <= 0) {
                fail(QStringLiteral("no question appeared"));
                poll->deleteLater();
            }
            return;
        }
        poll->stop();
        poll->deleteLater();
        CHECK_EQ(box->text(), expectedText);
        expectGerman(QStringLiteral("the question"), visibleTexts(box));
        picture(box, QStringLiteral("question"));
        QPushButton* b = buttonWithText(box, button);
        if (!b) {
            fail(QStringLiteral("the question has no button %1").arg(button));
            box->reject();
        } else {
            QTest::mouseClick(b, Qt::LeftButton);
        }
    });
    poll->start(20);
}

void german(const TempDir& dir) {
    // Laid out as installed: PREFIX/bin and PREFIX/share/quorelle/translations/de.
    const QString bin = dir.mkdir(QStringLiteral("prefix/bin"));
    dir.mkdir(QStringLiteral("prefix/share/quorelle"));
    CHECK(QFile::link(QStringLiteral(VANTOR_TRANSLATIONS_DIR),
                      dir.file(QStringLiteral("prefix/share/quorelle/translations"))));
    const QString root = dir.mkdir(QStringLiteral("root"));
    qputenv("QUORELLE_INSTALL_ROOT", QFile::encodeName(root));
    SV_Engine* engine = SV_Engine::engine();
    engine->setInstallFile(QStringLiteral(VANTOR_EXAMPLE_INSTALL_FILE));
    engine->setPrefix(bin);
    engine->setLocale(QStringLiteral("de"));
    g_fill = [root](const QString&) {
        setIfEmpty(QStringLiteral("maildomain"), {QStringLiteral("example.org")});
        setIfEmpty(QStringLiteral("install_root"), {root});
        setIfEmpty(QStringLiteral("admin_password"),
                   {QStringLiteral("s3cret-pw"), QStringLiteral("s3cret-pw")});
    };
    g_check = [](const QString& stage) {
        expectGerman(stage, visibleTexts(g_viewer->mainWindow()));
        if (stage == QLatin1String("welcome")) {
            // Cancel asks in German; "Nein" keeps the wizard.
            answerGermanBox(QStringLiteral("Möchten Sie die Installation wirklich beenden?"),
                            QStringLiteral("&Nein"));
            QTest::mouseClick(g_viewer->cancelButton(), Qt::LeftButton);
            QTest::qWait(50);
        } else if (stage == QLatin1String("install")) {
            const QString log = showAllLog();
            expectGerman(QStringLiteral("the log window"), visibleTexts(g_viewer->logViewer()));
            Q_UNUSED(log);
        }
    };
}

} // namespace

int main(int argc, char** argv) {
    vantortest::installMessageHandler();
    QApplication app(argc, argv);
    g_pngDir = vantortest::pngDirArgument(argc, argv);
    g_scenario = argc > 1 ? QString::fromLocal8Bit(argv[argc - 1]) : QString();

    TempDir dir;
    SV_Engine::setViewerFactory([] {
        g_viewer = new SV_QtViewer(nullptr, "viewer");
        g_viewer->setDesktopSize(800, 600);
        g_viewer->setStageShownHook(
            [](const QString& id) { QTimer::singleShot(100, [id] { stepWhenReady(id, 0); }); });
        return g_viewer;
    });
    SV_Engine* engine = SV_Engine::engine();
    engine->setPrefix(dir.path());
    QStringList expectedPages;
    if (g_scenario == QLatin1String("russian")) {
        nonLatin({QStringLiteral(VANTOR_UNICODE_DATA "/russian.xml"),
                  {QStringLiteral("Добро пожаловать"),
                   QStringLiteral("Мастер установит почтовый сервер на узле почта.пример.рф."),
                   QStringLiteral("Имя узла"), QStringLiteral("почта.пример.рф"),
                   QStringLiteral("Вид установки"), QStringLiteral("Полная установка"),
                   QStringLiteral("Только почта"), QStringLiteral("Запустить службы"),
                   QStringLiteral("Да, запустить"), QStringLiteral("Нет, позже")},
                  QStringLiteral("Сервер почта.пример.рф — готов")},
                 dir);
        expectedPages = QStringList{"welcome", "check"};
    } else if (g_scenario == QLatin1String("japanese")) {
        nonLatin({QStringLiteral(VANTOR_UNICODE_DATA "/japanese.xml"),
                  {QStringLiteral("ようこそ"),
                   QStringLiteral(
                       "このウィザードは メール.例え.jp にメールサーバーをインストールします。"),
                   QStringLiteral("ホスト名"), QStringLiteral("メール.例え.jp"),
                   QStringLiteral("インストールの種類"), QStringLiteral("完全インストール"),
                   QStringLiteral("メールのみ"), QStringLiteral("サービスを開始する"),
                   QStringLiteral("はい、開始する"), QStringLiteral("いいえ、後で")},
                  QStringLiteral("サーバー メール.例え.jp の準備ができました")},
                 dir);
        expectedPages = QStringList{"welcome", "check"};
    } else if (g_scenario == QLatin1String("secret")) {
        secrets(dir);
        expectedPages = QStringList{"password", "use"};
    } else if (g_scenario == QLatin1String("german")) {
        german(dir);
        expectedPages =
            QStringList{"welcome", "kind", "settings", "admin", "checks", "install", "done"};
    } else {
        std::fprintf(stderr, "unknown scenario\n");
        return 2;
    }
    engine->init();

    QTimer::singleShot(90000, [] {
        fail(QStringLiteral("time-out"));
        QCoreApplication::exit(98);
    });
    const int status = app.exec();
    CHECK(status == 0);
    if (g_shown != expectedPages)
        fail(QStringLiteral("pages shown: %1").arg(g_shown.join(QLatin1Char(' '))));
    std::fprintf(stderr, "%s: %s\n", qPrintable(g_scenario),
                 vantortest::scenarioFailures() ? "FAILED" : "passed");
    return vantortest::scenarioFailures() ? 1 : 0;
}
