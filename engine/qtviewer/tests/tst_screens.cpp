// Walks the example install file through the wizard window on an 800x600 desktop, stage
// by stage to Done, and checks on every page that the navigation buttons lie inside the
// screen and that the page fits the window, that the accessibility tree names every
// input, group and progress bar, and that Tab reaches every input; each page is left with
// the Return key. With "--png DIR" it also writes a picture of every page
// (DIR/NN-<stage>.png); scripts/screenshots.sh uses that.
#include "sv_engine.h"
#include "sv_qtstagewidget.h"
#include "sv_qtviewer.h"
#include "sv_stage.h"
#include "sv_testsupport.h"
#include "sv_variable.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QApplication>
#include <QLineEdit>
#include <QRadioButton>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLayout>
#include <QMainWindow>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QtTest>

#include <cstdio>

namespace {

int g_failures = 0;
SV_QtViewer* g_viewer = nullptr;
QString g_pngDir;
QString g_root;
QStringList g_shown;
const QSize kDesktop(800, 600);

void fail(const QString& what) {
    std::fprintf(stderr, "FAIL: %s\n", qPrintable(what));
    ++g_failures;
}

void setIfEmpty(const QString& id, const QStringList& values) {
    SV_Variable* v = SV_Engine::engine()->variable(id);
    if (v && v->value().isEmpty())
        v->storeValue(values);
}

void checkPage(const QString& stage) {
    QMainWindow* window = g_viewer->mainWindow();
    const QRect screen(QPoint(0, 0), kDesktop);
    const QRect windowRect(window->mapToGlobal(QPoint(0, 0)), window->size());
    if (!screen.contains(windowRect))
        fail(QStringLiteral("%1: window %2,%3 %4x%5 leaves the 800x600 screen")
                 .arg(stage)
                 .arg(windowRect.x())
                 .arg(windowRect.y())
                 .arg(windowRect.width())
                 .arg(windowRect.height()));
    const QSize needed = g_viewer->mainFrame()->minimumSizeHint();
    if (needed.width() > window->width() || needed.height() > window->height())
        fail(QStringLiteral("%1: the page needs %2x%3 but the window is %4x%5")
                 .arg(stage)
                 .arg(needed.width())
                 .arg(needed.height())
                 .arg(window->width())
                 .arg(window->height()));
    // Labels whose wrapped text needs more height than they got are cut off.
    for (QLabel* label : g_viewer->currentStageWidget()->findChildren<QLabel*>()) {
        if (label->isVisible() && label->wordWrap() &&
            label->heightForWidth(label->width()) > label->height())
            fail(QStringLiteral("%1: label \"%2\" is cut off (%3 of %4 pixels high)")
                     .arg(stage, label->text())
                     .arg(label->height())
                     .arg(label->heightForWidth(label->width())));
    }
    for (QPushButton* button : {g_viewer->cancelButton(), g_viewer->backButton(),
                                g_viewer->nextButton(), g_viewer->doneButton()}) {
        if (button->isHidden())
            continue;
        const QRect r(button->mapToGlobal(QPoint(0, 0)), button->size());
        if (!screen.contains(r) || !windowRect.contains(r))
            fail(QStringLiteral("%1: button %2 at %3,%4 %5x%6 is off the screen")
                     .arg(stage, button->text())
                     .arg(r.x())
                     .arg(r.y())
                     .arg(r.width())
                     .arg(r.height()));
    }
}

// Some label of the window has the widget as its buddy.
bool labelled(QObject* widget) {
    for (QLabel* label : g_viewer->mainFrame()->findChildren<QLabel*>())
        if (label->buddy() == widget)
            return true;
    return false;
}

// Every input, group and progress bar of the page, as assistive technology sees it: named,
// and an input also described; a text field is labelled by its label.
void checkAccessibility(const QString& stage, QAccessibleInterface* iface, int depth = 0) {
    if (!iface || depth > 30)
        return;
    const QAccessible::State state = iface->state();
    const QAccessible::Role role = iface->role();
    if (!state.invisible) {
        const QString name = iface->text(QAccessible::Name);
        const QString description = iface->text(QAccessible::Description);
        const bool input = role == QAccessible::EditableText || role == QAccessible::CheckBox ||
                           role == QAccessible::RadioButton;
        const bool named = input || role == QAccessible::PushButton ||
                           role == QAccessible::ProgressBar || role == QAccessible::Grouping;
        QString what = QStringLiteral("%1: %2 (role %3)")
                           .arg(stage, iface->object() ? iface->object()->metaObject()->className()
                                                       : "?")
                           .arg(int(role));
        if (named && name.trimmed().isEmpty())
            fail(what + QStringLiteral(" has no accessible name"));
        if (input && description.trimmed().isEmpty())
            fail(what + QStringLiteral(" \"%1\" has no accessible description").arg(name));
        if (role == QAccessible::EditableText && !labelled(iface->object()))
            fail(what + QStringLiteral(" \"%1\" is no label's buddy").arg(name));
    }
    for (int i = 0; i < iface->childCount(); ++i)
        checkAccessibility(stage, iface->child(i), depth + 1);
}

// Tab from the page's first input runs through every input of the page (an exclusive
// group of radio buttons is one stop) before it reaches the forward button.
void checkTabChain(const QString& stage) {
    SV_QtStageWidget* page = g_viewer->currentStageWidget();
    QWidget* first = page->firstFocusWidget();
    if (!first)
        return;
    QList<QWidget*> needed;
    for (QWidget* w : page->findChildren<QWidget*>()) {
        if (!w->isVisible() || !w->isEnabled() || !(w->focusPolicy() & Qt::TabFocus))
            continue;
        if (qobject_cast<QLineEdit*>(w) || (qobject_cast<QAbstractButton*>(w) &&
                                             !qobject_cast<QRadioButton*>(w)))
            needed << w;
    }
    QMainWindow* window = g_viewer->mainWindow();
    first->setFocus(Qt::TabFocusReason);
    QList<QWidget*> reached;
    for (int i = 0; i < 60; ++i) {
        QWidget* focus = window->focusWidget();
        if (!focus || reached.contains(focus))
            break;
        reached << focus;
        QTest::keyClick(focus, Qt::Key_Tab);
    }
    for (QWidget* w : needed)
        if (!reached.contains(w))
            fail(QStringLiteral("%1: Tab never reaches %2 \"%3\"")
                     .arg(stage, w->metaObject()->className(), w->accessibleName()));
    first->setFocus(Qt::TabFocusReason);
}

void savePicture(const QString& stage) {
    if (g_pngDir.isEmpty())
        return;
    const QString name = QStringLiteral("%1/%2-%3.png")
                             .arg(g_pngDir)
                             .arg(g_shown.size(), 2, 10, QLatin1Char('0'))
                             .arg(stage);
    if (!g_viewer->mainWindow()->grab().save(name))
        fail(QStringLiteral("cannot write %1").arg(name));
    else
        std::fprintf(stderr, "wrote %s\n", qPrintable(name));
}

// Waits for the forward button of the current page, filling in what a user would type
// where the page needs it, then takes the picture and moves on.
void stepWhenReady(const QString& stage, int tries) {
    QPushButton* forward =
        g_viewer->nextButton()->isHidden() ? g_viewer->doneButton() : g_viewer->nextButton();
    if (!forward->isEnabled()) {
        if (tries == 20) { // what the user types on the pages that need it
            setIfEmpty(QStringLiteral("maildomain"), {QStringLiteral("example.org")});
            setIfEmpty(QStringLiteral("install_root"), {g_root});
            // The password and its confirmation.
            setIfEmpty(QStringLiteral("admin_password"),
                       {QStringLiteral("s3cret-pw"), QStringLiteral("s3cret-pw")});
        }
        if (tries > 300) {
            fail(QStringLiteral("%1: the forward button never became enabled").arg(stage));
            QCoreApplication::exit(3);
            return;
        }
        QTimer::singleShot(50, [stage, tries] { stepWhenReady(stage, tries + 1); });
        return;
    }
    checkPage(stage);
    checkAccessibility(stage, QAccessible::queryAccessibleInterface(g_viewer->mainFrame()));
    checkTabChain(stage);
    savePicture(stage);
    g_shown << stage;
    // Return goes on from wherever the focus is: the page's first input, or the button.
    QWidget* focus = g_viewer->mainWindow()->focusWidget();
    QTest::keyClick(focus ? focus : forward, Qt::Key_Return);
}

} // namespace

int main(int argc, char** argv) {
    vantortest::installMessageHandler();
    QApplication app(argc, argv);
    g_pngDir = vantortest::pngDirArgument(argc, argv);

    vantortest::TempDir root;
    g_root = root.path();
    qputenv("QUORELLE_INSTALL_ROOT", QFile::encodeName(g_root));

    SV_Engine::setViewerFactory([] {
        g_viewer = new SV_QtViewer(nullptr, "viewer");
        g_viewer->setDesktopSize(kDesktop.width(), kDesktop.height());
        g_viewer->setStageShownHook([](const QString& id) {
            QTimer::singleShot(100, [id] { stepWhenReady(id, 0); });
        });
        return g_viewer;
    });
    SV_Engine* engine = SV_Engine::engine();
    engine->setInstallFile(QStringLiteral(VANTOR_EXAMPLE_INSTALL_FILE));
    engine->setPrefix(QStringLiteral(VANTOR_EXAMPLE_PREFIX));
    engine->setLocale(QStringLiteral("en"));
    engine->init();

    QTimer::singleShot(60000, [] {
        fail(QStringLiteral("time-out"));
        QCoreApplication::exit(98);
    });
    const int status = app.exec();
    if (status != 0)
        fail(QStringLiteral("the run ended with status %1").arg(status));

    // Every stage of the file was shown, in order, and the post-install action ran.
    const QStringList expected{"welcome", "kind", "settings", "admin", "checks", "install",
                               "done"};
    if (g_shown != expected)
        fail(QStringLiteral("pages shown: %1").arg(g_shown.join(QLatin1Char(' '))));
    if (!QFile::exists(root.file(QStringLiteral("installed"))))
        fail(QStringLiteral("the post-install action wrote no %1/installed").arg(g_root));
    std::fprintf(stderr, "%d pages, %s\n", int(g_shown.size()), g_failures ? "FAILED" : "passed");
    return g_failures ? 1 : 0;
}
