// Walks the product install file of the medium through the wizard window on an 800x600
// desktop in one language, page by page to Done, installing into a sandbox target of its
// own (on a free port; the directory server is stopped at the end). On every page it checks
// that the buttons lie on the screen, that the page fits the window and that no wrapped
// label is cut off; in German also that no text of the page is left in English (a visible
// text equal to a source text that has a translation). With "--png DIR" it writes a picture
// of every page (DIR/<lang>-NN-<stage>.png); scripts/screenshots.sh uses that.
//   installer_screens MEDIUM_DIR LANG [--png DIR]
#include "sv_engine.h"
#include "sv_qtstagewidget.h"
#include "sv_qtviewer.h"
#include "sv_testsupport.h"
#include "sv_variable.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QMainWindow>
#include <QProcess>
#include <QPushButton>
#include <QSet>
#include <QTcpServer>
#include <QTimer>
#include <QXmlStreamReader>
#include <QtTest>

#include <cstdio>

namespace {

int g_failures = 0;
SV_QtViewer* g_viewer = nullptr;
QString g_pngDir;
QString g_lang;
QString g_port;
QStringList g_shown;
QSet<QString> g_english; // source texts that have a translation different from themselves
const QSize kDesktop(800, 600);

void fail(const QString& what) {
    std::fprintf(stderr, "FAIL: %s\n", qPrintable(what));
    ++g_failures;
}

// The source texts of a .ts file whose translation differs from them.
void readEnglish(const QString& tsFile) {
    QFile file(tsFile);
    if (!file.open(QIODevice::ReadOnly)) {
        fail(QStringLiteral("cannot read %1").arg(tsFile));
        return;
    }
    QXmlStreamReader xml(&file);
    QString source;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        if (xml.name() == QLatin1String("source")) {
            source = xml.readElementText();
        } else if (xml.name() == QLatin1String("translation")) {
            const QString text = xml.readElementText();
            if (!text.isEmpty() && text != source)
                g_english.insert(QString(source).remove(QLatin1Char('&')));
        }
    }
}

void checkPage(const QString& stage) {
    QMainWindow* window = g_viewer->mainWindow();
    const QRect screen(QPoint(0, 0), kDesktop);
    const QRect windowRect(window->mapToGlobal(QPoint(0, 0)), window->size());
    if (!screen.contains(windowRect))
        fail(QStringLiteral("%1: the window leaves the 800x600 screen").arg(stage));
    const QSize needed = g_viewer->mainFrame()->minimumSizeHint();
    if (needed.width() > window->width() || needed.height() > window->height())
        fail(QStringLiteral("%1: the page needs %2x%3 but the window is %4x%5")
                 .arg(stage)
                 .arg(needed.width())
                 .arg(needed.height())
                 .arg(window->width())
                 .arg(window->height()));
    for (QLabel* label : window->findChildren<QLabel*>()) {
        if (!label->isVisible())
            continue;
        if (label->wordWrap() && label->heightForWidth(label->width()) > label->height())
            fail(QStringLiteral("%1: label \"%2\" is cut off").arg(stage, label->text()));
        if (g_lang == QLatin1String("de") && g_english.contains(label->text().remove(QLatin1Char('&'))))
            fail(QStringLiteral("%1: English text \"%2\"").arg(stage, label->text()));
    }
    for (QAbstractButton* button : window->findChildren<QAbstractButton*>()) {
        if (!button->isVisible())
            continue;
        const QRect r(button->mapToGlobal(QPoint(0, 0)), button->size());
        if (!screen.contains(r) || !windowRect.contains(r))
            fail(QStringLiteral("%1: button %2 lies off the screen").arg(stage, button->text()));
        if (g_lang == QLatin1String("de") && g_english.contains(button->text().remove(QLatin1Char('&'))))
            fail(QStringLiteral("%1: English button \"%2\"").arg(stage, button->text()));
    }
    for (QGroupBox* box : window->findChildren<QGroupBox*>())
        if (box->isVisible() && g_lang == QLatin1String("de") && g_english.contains(box->title()))
            fail(QStringLiteral("%1: English title \"%2\"").arg(stage, box->title()));
}

void savePicture(const QString& stage) {
    if (g_pngDir.isEmpty())
        return;
    const QString name = QStringLiteral("%1/%2-%3-%4.png")
                             .arg(g_pngDir, g_lang)
                             .arg(g_shown.size() + 1, 2, 10, QLatin1Char('0'))
                             .arg(stage);
    if (!g_viewer->mainWindow()->grab().save(name))
        fail(QStringLiteral("cannot write %1").arg(name));
    else
        std::fprintf(stderr, "wrote %s\n", qPrintable(name));
}

void store(const QString& id, const QStringList& values) {
    if (SV_Variable* v = SV_Engine::engine()->variable(id))
        v->storeValue(values);
    else
        fail(QStringLiteral("no variable %1").arg(id));
}

// What the administrator enters on the pages that need it, then the picture, then forward.
void stepWhenReady(const QString& stage, int tries) {
    if (tries == 0) {
        if (stage == QLatin1String("welcome"))
            store(QStringLiteral("licence_accepted"), {QStringLiteral("true")});
        else if (stage == QLatin1String("host"))
            store(QStringLiteral("mail_domain"), {QStringLiteral("example.org")});
        else if (stage == QLatin1String("directory")) {
            store(QStringLiteral("ldap_port"), {g_port});
            store(QStringLiteral("admin_password"), {QStringLiteral("s3cret-pw"), QStringLiteral("s3cret-pw")});
        } else if (stage == QLatin1String("postmaster"))
            store(QStringLiteral("postmaster_password"), {QStringLiteral("post-pw-1"), QStringLiteral("post-pw-1")});
    }
    QPushButton* forward =
        g_viewer->nextButton()->isHidden() ? g_viewer->doneButton() : g_viewer->nextButton();
    if (!forward->isEnabled()) {
        if (tries > 1200) { // a minute
            fail(QStringLiteral("%1: the forward button never became enabled").arg(stage));
            QCoreApplication::exit(3);
            return;
        }
        QTimer::singleShot(50, [stage, tries] { stepWhenReady(stage, tries + 1); });
        return;
    }
    checkPage(stage);
    savePicture(stage);
    g_shown << stage;
    QTest::mouseClick(forward, Qt::LeftButton);
}

} // namespace

int main(int argc, char** argv) {
    vantortest::installMessageHandler();
    QApplication app(argc, argv);
    if (argc < 3) {
        std::fprintf(stderr, "usage: installer_screens MEDIUM_DIR LANG [--png DIR]\n");
        return 2;
    }
    const QString medium = QFile::decodeName(argv[1]);
    g_lang = QString::fromLatin1(argv[2]);
    g_pngDir = vantortest::pngDirArgument(argc, argv, 3);
    for (const QString& ts : app.arguments().mid(3))
        if (ts.endsWith(QLatin1String(".ts")))
            readEnglish(ts);

    {
        QTcpServer probe;
        probe.listen(QHostAddress::LocalHost, 0);
        g_port = QString::number(probe.serverPort());
    }
    vantortest::TempDir target;
    // rulesmith works below the target as the user cyrus (where that user exists).
    QFile::setPermissions(target.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                             QFileDevice::ExeOwner | QFileDevice::ReadGroup |
                                             QFileDevice::ExeGroup | QFileDevice::ReadOther |
                                             QFileDevice::ExeOther);
    qputenv("QUORELLE_TARGET", QFile::encodeName(target.path()));

    SV_Engine::setViewerFactory([] {
        g_viewer = new SV_QtViewer(nullptr, "viewer");
        g_viewer->setDesktopSize(kDesktop.width(), kDesktop.height());
        g_viewer->setStageShownHook([](const QString& id) {
            QTimer::singleShot(100, [id] { stepWhenReady(id, 0); });
        });
        return g_viewer;
    });
    SV_Engine* engine = SV_Engine::engine();
    engine->setInstallFile(medium + QStringLiteral("/install.xml"));
    engine->setPrefix(medium + QStringLiteral("/bin"));
    engine->setLocale(g_lang);
    engine->init();

    QTimer::singleShot(240000, [] {
        fail(QStringLiteral("time-out"));
        QCoreApplication::exit(98);
    });
    const int status = app.exec();
    QProcess::execute(QStringLiteral("sh"), {medium + QStringLiteral("/resources/scripts/directory.sh"),
                                             QStringLiteral("stop"), target.path()});
    if (status != 0)
        fail(QStringLiteral("the run ended with status %1").arg(status));

    const QStringList expected{"welcome", "kind",    "host",    "directory", "postmaster",
                               "checks",  "summary", "install", "finish"};
    if (g_shown != expected)
        fail(QStringLiteral("pages shown: %1").arg(g_shown.join(QLatin1Char(' '))));
    if (!QFile::exists(target.file(QStringLiteral("etc/opt/quorelle/msg/msg.conf"))))
        fail(QStringLiteral("the installation wrote no msg.conf"));
    std::fprintf(stderr, "%s: %d pages, %s\n", qPrintable(g_lang), int(g_shown.size()),
                 g_failures ? "FAILED" : "passed");
    return g_failures ? 1 : 0;
}
