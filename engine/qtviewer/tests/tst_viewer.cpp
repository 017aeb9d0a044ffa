// The wizard window driven with real clicks and keys on the offscreen platform. The
// engine is not initialised from a file: each test loads its own variables and stages
// into the singleton (a later stage list replaces the first stage) and starts a fresh
// viewer on them.
#include "sv_actionprocessor.h"
#include "sv_engine.h"
#include "sv_installfilebuilder.h"
#include "sv_qtlogviewer.h"
#include "sv_qtoutputwidgets.h"
#include "sv_qtstagewidget.h"
#include "sv_qtviewer.h"
#include "sv_stage.h"
#include "sv_testsupport.h"
#include "sv_variable.h"

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QLabel>
#include <QGroupBox>
#include <QLineEdit>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMessageBox>
#include <QPainter>
#include <QPointer>
#include <QPushButton>
#include <QStackedWidget>
#include <QStyle>
#include <QTimer>
#include <QTranslator>
#include <QtTest>

#include <functional>
#include <memory>

using vantortest::parseXml;

namespace {

SV_Engine* engine() {
    return SV_Engine::engine();
}

// Loads "<installation>" + xml + "</installation>": variables, actions and stages.
void load(const QString& xml) {
    const SV_XmlNode root = parseXml(QStringLiteral("<installation>") + xml +
                                      QStringLiteral("</installation>"));
    QVERIFY(!root.isNull());
    engine()->loadVariables(root);
    engine()->loadActions(root);
    engine()->loadStages(root);
}

QString textVar(const QString& id, const QString& def = QString()) {
    return QStringLiteral("<variable id='%1' default='%2'><string>%1</string>"
                          "<data-type><text-data/></data-type></variable>")
        .arg(id, def);
}

QString textInput(const QString& var) {
    return QStringLiteral("<ui-element><input-element><variable-input var_id='%1'/>"
                          "</input-element></ui-element>")
        .arg(var);
}

QString label(const QString& text) {
    return QStringLiteral("<ui-element><output-element><string>%1</string><text-output/>"
                          "</output-element></ui-element>")
        .arg(text);
}

// A stage condition that never holds: "or" with no conditions.
const char kNeverValid[] = "<valid-conditions condition='or'/>";

void setValue(const QString& id, const QString& value) {
    SV_Variable* v = engine()->variable(id);
    QVERIFY(v);
    v->storeValue(QStringList{value});
}

// Answers the next modal message box by clicking the button with that text (or the
// first button), after recording its text. Polls from the event loop, so it also works
// while the caller sits in the box's own exec().
void answerMessageBox(const QString& buttonText, QString* seenText = nullptr) {
    auto* poll = new QTimer(qApp);
    auto tries = std::make_shared<int>(250);
    poll->setInterval(20);
    QObject::connect(poll, &QTimer::timeout, [poll, tries, buttonText, seenText] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) {
            if (--*tries <= 0)
                poll->deleteLater();
            return;
        }
        poll->stop();
        poll->deleteLater();
        if (seenText)
            *seenText = box->text();
        for (QAbstractButton* b : box->buttons()) {
            if (buttonText.isEmpty() || b->text() == buttonText) {
                QTest::mouseClick(b, Qt::LeftButton);
                return;
            }
        }
    });
    poll->start();
}

} // namespace

class TestViewer : public QObject {
    Q_OBJECT

    std::unique_ptr<SV_QtViewer> m_viewer;
    QPointer<QWidget> m_log;

    SV_QtViewer* start(const QMap<QString, QString>& options = {}, int w = 1024, int h = 768) {
        m_viewer = std::make_unique<SV_QtViewer>(nullptr, "viewer");
        for (auto it = options.begin(); it != options.end(); ++it)
            m_viewer->setOption(it.key(), it.value());
        m_viewer->setDesktopSize(w, h);
        m_viewer->startInstaller();
        return m_viewer.get();
    }

    QString currentStage() const {
        SV_QtStageWidget* w = m_viewer->currentStageWidget();
        return w ? w->stage()->ID() : QString();
    }

private slots:
    void initTestCase() {
        vantortest::installMessageHandler();
        load(QStringLiteral("<variables>") + textVar("name") + textVar("host", "mail") +
             textVar("other") + QStringLiteral("</variables>"));
    }

    void cleanup() {
        if (m_viewer) {
            m_log = m_viewer->logViewer();
            delete m_viewer->mainWindow();
            delete m_log; // a window of its own in sdi mode
            m_viewer.reset();
        }
    }

    // Button texts and visibility follow each stage; the forward button starts disabled
    // and follows the continue conditions.
    void buttonsPerStage() {
        load(QStringLiteral(
                 "<stages>"
                 "<stage id='b1'><string>First</string><ui><back visible='false'/>"
                 "<cancel><string>&amp;Quit</string></cancel>"
                 "<next><string>Go &amp;on</string></next>%1</ui></stage>"
                 "<stage id='b2'><string>Second</string><ui><cancel visible='false'/>"
                 "<finish><string>&amp;Install</string></finish>%2</ui>"
                 "<continue-conditions condition='and'>"
                 "<var-condition var_id='other' condition='not-empty'/></continue-conditions>"
                 "</stage></stages>")
                 .arg(label("Hello"), textInput("other")));
        setValue("other", QString());
        SV_QtViewer* v = start();
        QCOMPARE(currentStage(), QStringLiteral("b1"));
        QCOMPARE(v->titleLabel()->text(), QStringLiteral("<h3>First</h3>"));
        QVERIFY(v->backButton()->isHidden());
        QVERIFY(!v->cancelButton()->isHidden());
        QCOMPARE(v->cancelButton()->text(), QStringLiteral("&Quit"));
        QCOMPARE(v->nextButton()->text(), QStringLiteral("Go &on"));
        QVERIFY(v->doneButton()->isHidden());
        QTRY_VERIFY(v->nextButton()->isEnabled()); // no conditions, no actions

        QTest::mouseClick(v->nextButton(), Qt::LeftButton);
        QCOMPARE(currentStage(), QStringLiteral("b2"));
        QCOMPARE(v->titleLabel()->text(), QStringLiteral("<h3>Second</h3>"));
        QVERIFY(v->nextButton()->isHidden());
        QVERIFY(!v->doneButton()->isHidden());
        QCOMPARE(v->doneButton()->text(), QStringLiteral("&Install"));
        QVERIFY(v->cancelButton()->isHidden());
        QVERIFY(!v->backButton()->isHidden());
        QCOMPARE(v->backButton()->text(), QStringLiteral("&Back"));
        QVERIFY(!v->doneButton()->isEnabled());
        setValue("other", QStringLiteral("x"));
        QTRY_VERIFY(v->doneButton()->isEnabled());
        setValue("other", QString());
        QTRY_VERIFY(!v->doneButton()->isEnabled());

        // Back returns to the first stage with its own texts again.
        QTest::mouseClick(v->backButton(), Qt::LeftButton);
        QCOMPARE(currentStage(), QStringLiteral("b1"));
        QCOMPARE(v->cancelButton()->text(), QStringLiteral("&Quit"));
        QVERIFY(!v->cancelButton()->isHidden());
        QVERIFY(!v->nextButton()->isHidden());
        QVERIFY(v->doneButton()->isHidden());
        // Every stage widget exists up front, one per stage, in the stack.
        QCOMPARE(v->stageStack()->count(), 2);
    }

    // Translations installed after the viewer was made (as the engine installs those of
    // the locale) give the default button labels.
    void defaultLabelsTranslatedAtStart() {
        class German : public QTranslator {
        public:
            QString translate(const char* context, const char* source, const char*, int) const override {
                if (qstrcmp(context, "SV_Wizard") != 0)
                    return QString();
                const QMap<QString, QString> de{{"&Cancel", "&Abbrechen"}, {"&Back", "&Zurück"},
                                                {"&Next", "&Weiter"}, {"&Done", "&Fertig"}};
                return de.value(QString::fromLatin1(source));
            }
            bool isEmpty() const override { return false; }
        };
        load(QStringLiteral("<stages><stage id='t1'><string>One</string><ui>%1</ui></stage>"
                            "<stage id='t2'><string>Two</string><ui>%1</ui></stage></stages>")
                 .arg(label("Hello")));
        m_viewer = std::make_unique<SV_QtViewer>(nullptr, "viewer");
        German german;
        QCoreApplication::installTranslator(&german);
        m_viewer->setDesktopSize(1024, 768);
        m_viewer->startInstaller();
        SV_QtViewer* v = m_viewer.get();
        QCOMPARE(v->cancelButton()->text(), QStringLiteral("&Abbrechen"));
        QCOMPARE(v->nextButton()->text(), QStringLiteral("&Weiter"));
        QTRY_VERIFY(v->nextButton()->isEnabled());
        QTest::mouseClick(v->nextButton(), Qt::LeftButton);
        QCOMPARE(v->backButton()->text(), QStringLiteral("&Zurück"));
        QCoreApplication::removeTranslator(&german);
    }

    // Next on the last valid stage stays; Back on the first shown stage shows the
    // engine's first stage, even when that one is not valid.
    void navigationEnds() {
        load(QStringLiteral("<stages>"
                            "<stage id='n0'><string>Hidden</string>%1<ui>%2</ui></stage>"
                            "<stage id='n1'><string>One</string><ui>%2</ui><sub-stages>"
                            "<stage id='n1a'><string>Sub</string><ui>%2</ui></stage>"
                            "</sub-stages></stage>"
                            "<stage id='n2'><string>Two</string><ui>%2</ui></stage>"
                            "<stage id='n3'><string>Never</string>%1<ui>%2</ui></stage>"
                            "</stages>")
                 .arg(QLatin1String(kNeverValid), label("x")));
        SV_QtViewer* v = start();
        QCOMPARE(currentStage(), QStringLiteral("n1"));
        // Sub-stages get their widgets too.
        QCOMPARE(v->stageStack()->count(), 5);
        QVERIFY(v->stageWidget("n1a"));
        QTRY_VERIFY(v->nextButton()->isEnabled());
        v->slot_next();
        QCOMPARE(currentStage(), QStringLiteral("n1a"));
        v->slot_next();
        QCOMPARE(currentStage(), QStringLiteral("n2"));
        v->slot_next(); // n3 is never valid: nothing happens
        QCOMPARE(currentStage(), QStringLiteral("n2"));
        QCOMPARE(v->stageStack()->currentWidget(), v->stageWidget("n2"));
        v->slot_back();
        QCOMPARE(currentStage(), QStringLiteral("n1a"));
        v->slot_back();
        QCOMPARE(currentStage(), QStringLiteral("n1"));
        v->slot_back();
        QCOMPARE(currentStage(), QStringLiteral("n0"));
        QCOMPARE(v->titleLabel()->text(), QStringLiteral("<h3>Hidden</h3>"));
    }

    // Focus starts on the first input; Tab runs through the inputs to the forward
    // button, then Back, then Cancel. Without inputs the forward button has the focus.
    void tabOrderAndFocus() {
        load(QStringLiteral("<stages>"
                            "<stage id='t1'><string>Inputs</string><ui>%1%2%3</ui></stage>"
                            "<stage id='t2'><string>Label</string><ui>%4</ui></stage>"
                            "<stage id='t3'><string>Last</string><ui>%4</ui></stage>"
                            "</stages>")
                 .arg(textInput("name"), label("between"), textInput("host"), label("y")));
        SV_QtViewer* v = start();
        QMainWindow* w = v->mainWindow();
        QApplication::setActiveWindow(w);
        QVERIFY(QTest::qWaitForWindowActive(w));
        QTRY_VERIFY(v->nextButton()->isEnabled());
        SV_QtStageWidget* stage = v->currentStageWidget();
        QWidget* first = stage->firstFocusWidget();
        QWidget* last = stage->lastFocusWidget();
        QVERIFY(first && last && first != last);
        QTRY_COMPARE(QApplication::focusWidget(), first);

        // Typing goes into the focused input and so into its variable.
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("alice"));
        QCOMPARE(engine()->variable("name")->value(), QStringLiteral("alice"));

        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), last);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), v->nextButton());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), v->backButton());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), v->cancelButton());

        // Backwards through the chain, then Space on Next.
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
        QCOMPARE(QApplication::focusWidget(), v->backButton());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
        QCOMPARE(QApplication::focusWidget(), v->nextButton());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
        QCOMPARE(currentStage(), QStringLiteral("t2"));
        QTRY_VERIFY(v->nextButton()->isEnabled());
        QCOMPARE(QApplication::focusWidget(), v->nextButton());
    }

    // mdi mode only on a desktop larger than 640x480 (in either direction).
    void tooSmallDesktop_data() {
        QTest::addColumn<int>("w");
        QTest::addColumn<int>("h");
        QTest::addColumn<bool>("mdi");
        QTest::newRow("640x480") << 640 << 480 << false;
        QTest::newRow("600x400") << 600 << 400 << false;
        QTest::newRow("640x481") << 640 << 481 << true;
        QTest::newRow("641x480") << 641 << 480 << true;
    }
    void tooSmallDesktop() {
        QFETCH(int, w);
        QFETCH(int, h);
        QFETCH(bool, mdi);
        load(QStringLiteral("<stages><stage id='d1'><string>D</string><ui>%1</ui></stage>"
                            "</stages>")
                 .arg(label("x")));
        SV_QtViewer* v = start({{"mdi-mode", "true"}, {"size", "maximized"}}, w, h);
        QCOMPARE(v->mdiMode(), mdi);
        QCOMPARE(v->workspace() != nullptr, mdi);
        if (!mdi) {
            QCOMPARE(v->mainWindow()->centralWidget(), v->mainFrame());
            QVERIFY(v->mainWindow()->isFullScreen()); // "maximized" on a small desktop
        } else {
            QVERIFY(qobject_cast<QMdiSubWindow*>(v->mainFrame()->parentWidget()));
        }
        QCOMPARE(v->mainWindow()->maximumSize(), QSize(w, h));
        QCOMPARE(v->mainWindow()->windowTitle(), QStringLiteral("Sarvane"));
    }

    // sdi mode, "size" absent: at least half the desktop, centred on it.
    void halfScreenCentred() {
        load(QStringLiteral("<stages><stage id='h1'><string>H</string><ui>%1</ui></stage>"
                            "</stages>")
                 .arg(label("x")));
        SV_QtViewer* v = start({}, 1024, 768);
        QMainWindow* w = v->mainWindow();
        QCOMPARE(w->minimumSize(), QSize(512, 384));
        QVERIFY(w->isVisible());
        QVERIFY(!w->isFullScreen());
        QCOMPARE(w->pos(), QPoint((1024 - w->width()) / 2, (768 - w->height()) / 2));
    }

    // In mdi mode a child window is made at least 4:3 and centred in the workspace.
    void mdiFourToThree_data() {
        QTest::addColumn<QSize>("hint");
        QTest::addColumn<QSize>("expected");
        QTest::newRow("wide") << QSize(400, 200) << QSize(400, 300);
        QTest::newRow("tall") << QSize(300, 400) << QSize(533, 400);
        QTest::newRow("4:3") << QSize(400, 300) << QSize(400, 300);
    }
    void mdiFourToThree() {
        QFETCH(QSize, hint);
        QFETCH(QSize, expected);
        load(QStringLiteral("<stages><stage id='m1'><string>M</string><ui>%1</ui></stage>"
                            "</stages>")
                 .arg(label("x")));
        SV_QtViewer* v = start({{"mdi-mode", "true"}, {"size", "maximized"}}, 1024, 768);
        QVERIFY(v->workspace());
        // The wizard frame itself went through the same rule.
        QWidget* frame = v->mainFrame()->parentWidget();
        QVERIFY(frame->width() * 3 / 4 <= frame->height());

        class Sized : public QWidget {
        public:
            explicit Sized(QSize s) : m_size(s) {}
            QSize sizeHint() const override { return m_size; }
            QSize m_size;
        };
        auto* widget = new Sized(hint);
        QMdiSubWindow* sub =
            v->workspace()->addSubWindow(widget, Qt::SubWindow | Qt::FramelessWindowHint);
        QStringList expectedLines{
            "showCenteredWidget in mdi mode",
            QStringLiteral("current width = %1, current height = %2")
                .arg(hint.width())
                .arg(hint.height())};
        if (hint.width() * 3 / 4 > hint.height())
            expectedLines << QStringLiteral("resizing old height: %1 to new height %2")
                                 .arg(hint.height())
                                 .arg(expected.height());
        else if (hint.height() * 4 / 3 > hint.width())
            expectedLines << QStringLiteral("resizing old width: %1 to new width %2")
                                 .arg(hint.width())
                                 .arg(expected.width());
        vantortest::clearMessages();
        v->showCenteredWidget(widget);
        QStringList lines = vantortest::messages();
        lines.removeAll(QStringLiteral("This plugin does not support propagateSizeHints()"));
        QCOMPARE(lines, expectedLines);
        QCOMPARE(sub->size(), expected);
        const QSize area = v->workspace()->size();
        QCOMPARE(sub->pos(), QPoint((area.width() - expected.width()) / 2,
                                    (area.height() - expected.height()) / 2));
    }

    // mdi mode: the wizard frame is a frameless child window unless "view-options" is
    // "titlebar"; the log viewer opens in the lower right quarter.
    void mdiFramesAndLog() {
        load(QStringLiteral("<stages><stage id='f1'><string>F</string><ui>%1</ui></stage>"
                            "</stages>")
                 .arg(label("x")));
        SV_QtViewer* v = start({{"mdi-mode", "true"}, {"size", "maximized"}}, 1024, 768);
        auto* frame = qobject_cast<QMdiSubWindow*>(v->mainFrame()->parentWidget());
        QVERIFY(frame);
        QVERIFY(frame->windowFlags() & Qt::FramelessWindowHint);
        QCOMPARE(v->mainFrame()->maximumSize(), QSize(1014, 728));

        v->showLog();
        QVERIFY(v->logViewer());
        auto* logFrame = qobject_cast<QMdiSubWindow*>(v->logViewer()->parentWidget());
        QVERIFY(logFrame);
        QVERIFY(logFrame->isVisible());
        const QSize area = v->workspace()->size();
        QCOMPARE(logFrame->size(), QSize(area.width() / 2, area.height() / 2));
        QCOMPARE(logFrame->pos(), QPoint(area.width() / 2, area.height() / 2));
        // Shown again: the same viewer.
        SV_QtLogViewer* first = v->logViewer();
        v->showLog();
        QCOMPARE(v->logViewer(), first);
        cleanup();

        v = start({{"mdi-mode", "true"}, {"size", "maximized"}, {"view-options", "titlebar"}},
                  1024, 768);
        frame = qobject_cast<QMdiSubWindow*>(v->mainFrame()->parentWidget());
        QVERIFY(frame);
        QVERIFY(!(frame->windowFlags() & Qt::FramelessWindowHint));
    }

    // sdi mode: the log viewer is a window of its own, 640x480, centred.
    void sdiLog() {
        load(QStringLiteral("<stages><stage id='l1'><string>L</string><ui>%1</ui></stage>"
                            "</stages>")
                 .arg(label("x")));
        SV_QtViewer* v = start({}, 1024, 768);
        v->showLog();
        SV_QtLogViewer* log = v->logViewer();
        QVERIFY(log && log->isWindow() && log->isVisible());
        QCOMPARE(log->pos(),
                 QPoint((1024 - log->width()) / 2, (768 - log->height()) / 2));
    }

    // Workspace backgrounds.
    void backgrounds() {
        vantortest::TempDir dir;
        const QString old = QDir::currentPath();
        QDir::setCurrent(dir.path()); // resources resolve against it without an install-info
        QImage image(20, 10, QImage::Format_RGB32);
        image.fill(Qt::red);
        QVERIFY(image.save(dir.file("logo.png")));
        QImage tile(8, 8, QImage::Format_RGB32);
        tile.fill(Qt::green);
        QVERIFY(tile.save(dir.file("bg-tile-img"), "PNG"));
        load(QStringLiteral("<stages><stage id='g1'><string>G</string><ui>%1</ui></stage>"
                            "</stages>")
                 .arg(label("x")));
        const QMap<QString, QString> mdi{{"mdi-mode", "true"}, {"size", "maximized"}};

        auto with = [&](QMap<QString, QString> extra) {
            QMap<QString, QString> all = mdi;
            for (auto it = extra.begin(); it != extra.end(); ++it)
                all.insert(it.key(), it.value());
            cleanup();
            return start(all, 1024, 768);
        };

        SV_QtViewer* v = with({{"bg-type", "color"}, {"bg-color", "#123456"}});
        QCOMPARE(v->workspace()->background().color(), QColor("#123456"));

        // The tile comes from the resource "bg-tile-img", whatever an option says.
        v = with({{"bg-type", "tiled"}, {"bg-tile-img", "logo.png"}});
        QCOMPARE(v->workspace()->background().texture().size(), QSize(8, 8));

        v = with({{"bg-type", "unknown"}});
        QCOMPARE(v->workspace()->background().color(),
                 v->workspace()->palette().color(QPalette::Dark));

        struct Pos {
            const char* name;
            int x, y; // in halves: 0 left/top, 1 centre, 2 right/bottom
        } positions[] = {{"UL", 0, 0}, {"U", 1, 0}, {"UR", 2, 0},
                         {"LL", 0, 2}, {"L", 1, 2}, {"LR", 2, 2}};
        for (const Pos& p : positions) {
            v = with({{"bg-type", "img-color-overlay"},
                      {"bg-color", "#0000ff"},
                      {"bg-img", "logo.png"},
                      {"overlay-pos", p.name}});
            const QImage bg = v->workspace()->background().texture().toImage();
            const int W = v->workspace()->width(), H = v->workspace()->height();
            QCOMPARE(bg.size(), QSize(W, H));
            const int x = p.x == 0 ? 0 : p.x == 1 ? (W - 20) / 2 : W - 20;
            const int y = p.y == 0 ? 0 : H - 10;
            QVERIFY2(QColor(bg.pixel(x + 1, y + 1)) == QColor(Qt::red), p.name);
            QVERIFY2(QColor(bg.pixel(x + 18, y + 8)) == QColor(Qt::red), p.name);
            // Outside the image: the colour.
            const int ox = p.x == 2 ? x - 2 : x + 22;
            QVERIFY2(QColor(bg.pixel(ox, y + 5)) == QColor(Qt::blue), p.name);
        }
        // An unknown position leaves the plain colour.
        v = with({{"bg-type", "img-color-overlay"},
                  {"bg-color", "#0000ff"},
                  {"bg-img", "logo.png"},
                  {"overlay-pos", "XX"}});
        QCOMPARE(v->workspace()->background().color(), QColor("#0000ff"));
        QVERIFY(v->workspace()->background().texture().isNull());

        // "img": unscaled at the top left of a workspace-sized picture.
        v = with({{"bg-type", "img"}, {"bg-img", "logo.png"}});
        const QImage bg = v->workspace()->background().texture().toImage();
        QCOMPARE(bg.size(), v->workspace()->size());
        QCOMPARE(QColor(bg.pixel(19, 9)), QColor(Qt::red));
        QVERIFY(QColor(bg.pixel(21, 11)) != QColor(Qt::red));
        cleanup();
        QDir::setCurrent(old);
    }

    // "qt-style": old names map onto Qt 6 styles; an unknown name is reported.
    void styles() {
        load(QStringLiteral("<stages><stage id='s1'><string>S</string><ui>%1</ui></stage>"
                            "</stages>")
                 .arg(label("x")));
        start({{"qt-style", "windows"}});
        QCOMPARE(QApplication::style()->name().toLower(), QStringLiteral("windows"));
        cleanup();
        start({{"qt-style", "motif"}, {"palette-active-Button", "#102030"}});
        QCOMPARE(QApplication::style()->name().toLower(), QStringLiteral("fusion"));
        QCOMPARE(QApplication::palette().color(QPalette::Active, QPalette::Button),
                 QColor("#102030"));
        cleanup();
        vantortest::clearMessages();
        start({{"qt-style", "gtk-ish"}});
        QVERIFY(vantortest::messages().contains(
            QStringLiteral("Invalid style setting: gtk-ish for the Qt Viewer")));
        QCOMPARE(QApplication::style()->name().toLower(), QStringLiteral("fusion"));
    }

    // An unrecognised "description-location" is shown as "top".
    void unknownDescriptionLocation() {
        load(QStringLiteral("<stages><stage id='u1'><string>U</string><ui>%1</ui></stage>"
                            "</stages>")
                 .arg(label("x")));
        SV_QtViewer* v = start({{"description-location", "middle"}});
        QVERIFY(v->currentStageWidget());
        QVERIFY(v->currentStageWidget()->outerGrid());
        QVERIFY(v->currentStageWidget()->isVisible());
    }

    // One validation: a number the variable refuses keeps Next disabled, with the reason
    // beside the buttons; Return goes on only once Next can.
    void refusedInputHoldsNext() {
        load(QStringLiteral(
                 "<variables><variable id='port' default='143'><string>IMAP port</string>"
                 "<data-type><numeric-data datatype='uint' min='1' max='65535'/></data-type>"
                 "</variable></variables><stages>"
                 "<stage id='r1'><string>Port</string><ui>%1</ui></stage>"
                 "<stage id='r2'><string>After</string><ui>%2</ui></stage></stages>")
                 .arg(textInput("port"), label("x")));
        SV_QtViewer* v = start();
        QTRY_VERIFY(v->nextButton()->isEnabled());
        QVERIFY(v->reasonLabel()->text().isEmpty());
        auto* edit = qobject_cast<QLineEdit*>(v->currentStageWidget()->firstFocusWidget());
        QVERIFY(edit);
        const QString range = QStringLiteral("a whole number from 1 to 65535");
        const QList<QPair<QString, QString>> refused{
            {"70000", "IMAP port: \"70000\" is not " + range},
            {"0", "IMAP port: \"0\" is not " + range},
            {"", "IMAP port: No value is given; " + range + " is needed"},
        };
        for (const auto& [typed, reason] : refused) {
            edit->clear();
            QTest::keyClicks(edit, typed);
            QCOMPARE(edit->text(), typed);
            QCOMPARE(engine()->variable(QStringLiteral("port"))->value(), typed);
            QTRY_VERIFY(!v->nextButton()->isEnabled());
            QCOMPARE(v->reasonLabel()->text(), reason);
            QVERIFY(v->reasonLabel()->isVisible());
            QCOMPARE(v->nextButton()->toolTip(), reason);
            const QString png = qEnvironmentVariable("VANTOR_TEST_PNG_DIR");
            if (!png.isEmpty() && typed == QLatin1String("70000"))
                v->mainWindow()->grab().save(png + QStringLiteral("/refused-port.png"));
            QTest::keyClick(edit, Qt::Key_Return);
            QCOMPARE(currentStage(), QStringLiteral("r1"));
        }
        edit->clear();
        QTest::keyClicks(edit, QStringLiteral("993"));
        QTRY_VERIFY(v->nextButton()->isEnabled());
        QVERIFY(v->reasonLabel()->text().isEmpty());
        QVERIFY(v->reasonLabel()->isHidden());
        QTest::keyClick(edit, Qt::Key_Return);
        QCOMPARE(currentStage(), QStringLiteral("r2"));
    }

    // A stage's sequence runs on every visit: on the second one Next waits for it again,
    // the text view starts empty and shows the lines once; its title is shown. A page
    // without inputs gives the focus to Next once it is enabled. <finish/> is "&Done".
    void sequenceOnSecondVisit() {
        load(QStringLiteral(
                 "<actions><action type='process' id='say'>"
                 "<option-param param='process' value='echo'/>"
                 "<option-param param='arg1' value='checked'/></action>"
                 "<action type='pause' id='hold'><option-param param='time' value='300'/>"
                 "</action></actions><stages>"
                 "<stage id='q1'><string>One</string><ui>%1</ui></stage>"
                 "<stage id='q2'><string>Checks</string><ui><ui-element><output-element>"
                 "<string>Checking the directory</string><action-sequence output='text'>"
                 "<actionID action_id='say'/><actionID action_id='hold'/></action-sequence>"
                 "</output-element></ui-element></ui></stage>"
                 "<stage id='q3'><string>End</string><ui><finish/>%1</ui></stage></stages>")
                 .arg(label("x")));
        SV_QtViewer* v = start();
        QTRY_VERIFY(v->nextButton()->isEnabled());
        v->slot_next();
        QCOMPARE(currentStage(), QStringLiteral("q2"));
        auto* output =
            qobject_cast<SV_QtTextOutput*>(v->currentStageWidget()->providers().value(0));
        QVERIFY(output && output->group());
        QCOMPARE(output->group()->title(), QStringLiteral("Checking the directory"));
        QVERIFY(output->group()->isVisible());
        QVERIFY(!v->nextButton()->isEnabled());
        QCOMPARE(v->reasonLabel()->text(), QStringLiteral("The stage's actions are still running."));
        QTRY_VERIFY(v->nextButton()->isEnabled());
        QCOMPARE(output->textView()->toPlainText(), QStringLiteral("checked"));
        QCOMPARE(v->mainWindow()->focusWidget(), v->nextButton());

        v->slot_back();
        QCOMPARE(currentStage(), QStringLiteral("q1"));
        QTRY_VERIFY(v->nextButton()->isEnabled());
        v->slot_next();
        QCOMPARE(currentStage(), QStringLiteral("q2"));
        QVERIFY(!v->nextButton()->isEnabled());
        v->slot_next(); // still running: no way on
        QCOMPARE(currentStage(), QStringLiteral("q2"));
        QTRY_VERIFY(v->nextButton()->isEnabled());
        QCOMPARE(output->textView()->toPlainText(), QStringLiteral("checked"));

        v->slot_next();
        QCOMPARE(currentStage(), QStringLiteral("q3"));
        QCOMPARE(v->doneButton()->text(), QStringLiteral("&Done"));
        QVERIFY(!v->doneButton()->isHidden());
    }

    // Stages without an id (or sharing one) each show their own page.
    void stagesWithoutIds() {
        load(QStringLiteral("<stages><stage><string>First</string><ui>%1</ui></stage>"
                            "<stage><string>Second</string><ui>%2</ui></stage></stages>")
                 .arg(label("one"), label("two")));
        SV_QtViewer* v = start();
        auto shownText = [v] {
            QStringList texts;
            for (QLabel* l : v->stageStack()->currentWidget()->findChildren<QLabel*>())
                texts << l->text();
            return texts.join(QLatin1Char('|'));
        };
        QCOMPARE(v->titleLabel()->text(), QStringLiteral("<h3>First</h3>"));
        QCOMPARE(shownText(), QStringLiteral("one"));
        QTRY_VERIFY(v->nextButton()->isEnabled());
        v->slot_next();
        QCOMPARE(v->titleLabel()->text(), QStringLiteral("<h3>Second</h3>"));
        QCOMPARE(shownText(), QStringLiteral("two"));
    }

    // getYesNo and showPrompt are modal boxes on the wizard frame.
    void yesNoAndPrompt() {
        load(QStringLiteral("<stages><stage id='y1'><string>Y</string><ui>%1</ui></stage>"
                            "</stages>")
                 .arg(label("x")));
        SV_QtViewer* v = start();
        answerMessageBox(QStringLiteral("&Yes"));
        QCOMPARE(v->getYesNo(QStringLiteral("Sure?")), QStringLiteral("yes"));
        // A warning whose default and escape answer is No: Return and Escape say no.
        for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Escape}) {
            QTimer::singleShot(0, [key] {
                QTRY_VERIFY(QApplication::activeModalWidget());
                auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
                QVERIFY(box);
                QCOMPARE(box->icon(), QMessageBox::Warning);
                QCOMPARE(box->defaultButton()->text(), QStringLiteral("&No"));
                QTest::keyClick(box, key);
            });
            QCOMPARE(v->getYesNo(QStringLiteral("Go on?")), QStringLiteral("no"));
        }
        answerMessageBox(QStringLiteral("&No"));
        QCOMPARE(v->getYesNo(QStringLiteral("Sure?")), QStringLiteral("no"));
        QString text;
        answerMessageBox(QString(), &text);
        v->showPrompt(QStringLiteral("Look here"));
        QCOMPARE(text, QStringLiteral("Look here"));
    }
};

QTEST_MAIN(TestViewer)
#include "tst_viewer.moc"
