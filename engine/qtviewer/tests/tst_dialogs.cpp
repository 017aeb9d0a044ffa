// The log viewer, the language dialog and the splash screen, with real clicks and keys
// on the offscreen platform.
#include "sv_engine.h"
#include "sv_installfilebuilder.h"
#include "sv_qtlanguageselectdlg.h"
#include "sv_qtlogviewer.h"
#include "sv_qtsplashscreen.h"
#include "sv_qtviewer.h"
#include "sv_testsupport.h"

#include <QAbstractButton>
#include <QApplication>
#include <QButtonGroup>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTextBrowser>
#include <QTimer>
#include <QtTest>

#include <sys/stat.h>

namespace {

SV_Engine* engine() {
    return SV_Engine::engine();
}

QList<QPushButton*> rowButtons(QWidget* w) {
    QList<QPushButton*> buttons = w->findChildren<QPushButton*>();
    std::sort(buttons.begin(), buttons.end(),
              [](QPushButton* a, QPushButton* b) { return a->x() < b->x(); });
    return buttons;
}

QPushButton* buttonNamed(QWidget* w, const QString& text) {
    for (QPushButton* b : w->findChildren<QPushButton*>())
        if (b->text() == text)
            return b;
    return nullptr;
}

} // namespace

class TestDialogs : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        vantortest::installMessageHandler();
        engine()->addErrMessage(QStringLiteral("act1"), QStringLiteral("first failure"));
        engine()->addLogMessage(QStringLiteral("act2"), QStringLiteral("a log line"));
        engine()->dbgStream() << "a debug line\n";
        engine()->dbgStream().flush();
    }

    // The type buttons in their order; the viewer opens on the errors, "All" shows every
    // kind, and each click renders the log anew.
    void logViewerButtons() {
        SV_QtLogViewer log(nullptr, "log");
        log.show();
        QVERIFY(QTest::qWaitForWindowExposed(&log));
        QCOMPARE(log.windowTitle(), QStringLiteral("Installation Log Viewer"));
        QCOMPARE(log.size(), QSize(640, 480));
        QStringList texts;
        for (QPushButton* b : rowButtons(&log))
            texts << b->text();
        QCOMPARE(texts, (QStringList{"All", "Debug", "Errors", "Log", "Save To File", "Close"}));
        for (int id = 1; id <= 4; ++id)
            QCOMPARE(static_cast<SV_QtLogViewer::SV_QtLogButton*>(log.buttonGroup()->button(id))
                         ->type(),
                     SV_LogMessageType(id));

        const QString errors = log.textView()->toPlainText();
        QVERIFY(errors.contains("first failure"));
        QVERIFY(!errors.contains("a log line"));
        QVERIFY(!errors.contains("a debug line"));

        QTest::mouseClick(buttonNamed(&log, "All"), Qt::LeftButton);
        const QString all = log.textView()->toPlainText();
        QVERIFY(all.contains("first failure"));
        QVERIFY(all.contains("a log line"));
        QVERIFY(all.contains("a debug line"));

        QTest::mouseClick(buttonNamed(&log, "Debug"), Qt::LeftButton);
        QVERIFY(log.textView()->toPlainText().contains("a debug line"));
        QVERIFY(!log.textView()->toPlainText().contains("first failure"));

        engine()->addLogMessage(QStringLiteral("act3"), QStringLiteral("arrived later"));
        QVERIFY(!log.textView()->toPlainText().contains("arrived later"));
        QTest::mouseClick(buttonNamed(&log, "Log"), Qt::LeftButton);
        QVERIFY(log.textView()->toPlainText().contains("arrived later"));
        QVERIFY(!log.textView()->toPlainText().contains("first failure"));
        QVERIFY(log.textView()->isReadOnly());

        QTest::mouseClick(buttonNamed(&log, "Close"), Qt::LeftButton);
        QVERIFY(!log.isVisible());

        // Escape closes it too, wherever the focus is in it.
        log.show();
        QVERIFY(QTest::qWaitForWindowExposed(&log));
        log.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&log));
        log.textView()->setFocus();
        QTest::keyClick(log.textView(), Qt::Key_Escape);
        QVERIFY(!log.isVisible());
        QCOMPARE(log.textView()->accessibleName(), QStringLiteral("Installation Log Viewer"));
    }

    // "Save To File" writes the plain text of all messages, whatever view is shown, and
    // replaces an existing file, which only its owner can read afterwards (0600, whatever
    // mode it had); a cancelled dialog writes nothing.
    void logViewerSave() {
        vantortest::TempDir dir;
        const QString target = dir.write("saved.log", "old content that is longer than the log "
                                                      "itself would be............................"
                                                      "..............................................");
        QVERIFY(::chmod(QFile::encodeName(target).constData(), 0640) == 0);
        QString askedStart;
        SV_QtLogViewer::setFileNameAsker([&](QWidget*, const QString& start) {
            askedStart = start;
            return target;
        });
        SV_QtLogViewer log;
        log.show();
        QTest::mouseClick(buttonNamed(&log, "Errors"), Qt::LeftButton);
        QTest::mouseClick(buttonNamed(&log, "Save To File"), Qt::LeftButton);
        QCOMPARE(askedStart, QStringLiteral("install.log"));
        QFile file(target);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(QString::fromUtf8(file.readAll()), engine()->getTextLog(SV_LogAll));
        file.close();
        QVERIFY(engine()->getTextLog(SV_LogAll).contains("a log line"));
        struct stat st;
        QVERIFY(::stat(QFile::encodeName(target).constData(), &st) == 0);
        QCOMPARE(int(st.st_mode & 0777), 0600);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"saved.log"});

        // Cancelled: nothing written.
        SV_QtLogViewer::setFileNameAsker([](QWidget*, const QString&) { return QString(); });
        const QString other = dir.file("untouched.log");
        QTest::mouseClick(buttonNamed(&log, "Save To File"), Qt::LeftButton);
        QVERIFY(!QFile::exists(other));

        // A file that cannot be written is reported, not passed over in silence.
        const QString bad = dir.file("no/such/dir/x.log");
        SV_QtLogViewer::setFileNameAsker([bad](QWidget*, const QString&) { return bad; });
        QString warning;
        QTimer::singleShot(50, [&warning] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                warning = box->text();
                box->accept();
            }
        });
        QTest::mouseClick(buttonNamed(&log, "Save To File"), Qt::LeftButton);
        QVERIFY(warning.contains(QStringLiteral("x.log")));
        QVERIFY(!QFile::exists(bad));
    }

    // The detected language has the focus; a click chooses; Escape keeps the detected
    // one (or the first when the locale matches none).
    void languageDialog() {
        const SV_XmlNode root = vantortest::parseXml(
            "<installation><languages dir='tr'>"
            "<language name='Deutsch' encoding='de'/><language name='English' encoding='en'/>"
            "<language name='Francais' encoding='fr'/></languages></installation>");
        engine()->loadLanguages(root);
        QCOMPARE(engine()->languages().size(), 3);

        SV_QtLanguageSelectDlg dlg;
        QCOMPARE(dlg.findChildren<QPushButton*>().size(), 3);
        engine()->setLocale(QStringLiteral("en"));

        auto runWith = [&dlg](const std::function<void()>& act) {
            dlg.initAutodetectedLanguage();
            QTimer::singleShot(0, [&dlg, act] {
                QVERIFY(QTest::qWaitForWindowExposed(&dlg));
                act();
            });
            dlg.exec();
            return dlg.selectedLanguage();
        };

        QWidget* focused = nullptr;
        QCOMPARE(runWith([&] {
                     focused = QApplication::focusWidget();
                     QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
                 }),
                 QStringLiteral("en"));
        QCOMPARE(focused, static_cast<QWidget*>(dlg.buttonGroup()->button(1)));

        // Return takes the language that has the focus: the detected one, or another one
        // the user moved to.
        QCOMPARE(runWith([&] { QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return); }),
                 QStringLiteral("en"));
        QCOMPARE(runWith([&] {
                     QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
                     QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
                 }),
                 QStringLiteral("fr"));

        QCOMPARE(runWith([&] {
                     QTest::mouseClick(dlg.buttonGroup()->button(2), Qt::LeftButton);
                 }),
                 QStringLiteral("fr"));

        QCOMPARE(runWith([&] { QTest::keyClick(&dlg, Qt::Key_Escape); }), QStringLiteral("en"));

        engine()->setLocale(QStringLiteral("xx"));
        QCOMPARE(runWith([&] {
                     focused = QApplication::focusWidget();
                     QTest::keyClick(&dlg, Qt::Key_Escape);
                 }),
                 QStringLiteral("de"));
        QCOMPARE(focused, static_cast<QWidget*>(dlg.buttonGroup()->button(0)));

        // Through the viewer: one dialog, reused.
        SV_QtViewer viewer;
        engine()->setLocale(QStringLiteral("fr"));
        QTimer::singleShot(0, [] {
            QTRY_VERIFY(QApplication::activeModalWidget());
            QTest::keyClick(QApplication::activeModalWidget(), Qt::Key_Escape);
        });
        QCOMPARE(viewer.getLanguage(), QStringLiteral("fr"));
        SV_QtLanguageSelectDlg* first = viewer.languageDialog();
        QTimer::singleShot(0, [] {
            QTRY_VERIFY(QApplication::activeModalWidget());
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab, Qt::ShiftModifier);
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
        });
        QCOMPARE(viewer.getLanguage(), QStringLiteral("en"));
        QCOMPARE(viewer.languageDialog(), first);
        delete first;
    }

    // The splash screen: the image (from the resources) above a line, then the message;
    // without an image only the message. Any "show-splash" value shows it.
    void splash() {
        vantortest::TempDir dir;
        const QString old = QDir::currentPath();
        QDir::setCurrent(dir.path());
        QImage image(60, 30, QImage::Format_RGB32);
        image.fill(Qt::darkCyan);
        QVERIFY(image.save(dir.file("splash.png")));

        SV_QtSplashScreen plain(QString(), nullptr, "plain");
        QVERIFY(!plain.imageLabel());
        QCOMPARE(plain.findChildren<QLabel*>().size(), 1);
        QVERIFY(plain.messageLabel()->text().isEmpty());
        plain.setMessage(QStringLiteral("Loading Installation File"));
        QCOMPARE(plain.messageLabel()->text(), QStringLiteral("Loading Installation File"));
        QVERIFY(plain.windowFlags() & Qt::FramelessWindowHint);
        QCOMPARE(plain.windowTitle(), QStringLiteral("Sarvane"));

        SV_QtSplashScreen pictured(QStringLiteral("splash.png"));
        QVERIFY(pictured.imageLabel());
        QCOMPARE(pictured.imageLabel()->pixmap().size(), QSize(60, 30));
        pictured.show();
        QVERIFY(pictured.isVisible());
        pictured.stop();
        QVERIFY(!pictured.isVisible());

        // A missing image leaves an empty image label.
        SV_QtSplashScreen missing(QStringLiteral("nothere.png"));
        QVERIFY(missing.imageLabel());
        QVERIFY(missing.imageLabel()->pixmap().isNull());

        SV_QtViewer none;
        none.startLoading();
        QVERIFY(!none.splashScreen());
        none.setLoadingMessage(QStringLiteral("ignored"));

        SV_QtViewer shown;
        shown.setOption(QStringLiteral("show-splash"), QStringLiteral("false"));
        shown.setOption(QStringLiteral("splash-img"), QStringLiteral("splash.png"));
        shown.startLoading();
        QVERIFY(shown.splashScreen());
        QVERIFY(shown.splashScreen()->isVisible());
        QCOMPARE(shown.splashScreen()->imageLabel()->pixmap().size(), QSize(60, 30));
        shown.setLoadingMessage(QStringLiteral("Running Preinstall"));
        QCOMPARE(shown.splashScreen()->messageLabel()->text(), QStringLiteral("Running Preinstall"));
        delete shown.splashScreen();
        QDir::setCurrent(old);
    }
};

QTEST_MAIN(TestDialogs)
#include "tst_dialogs.moc"
