// The window and the console viewer over one install file with conditional stages and
// conditional inputs, given the same answers: the console reads them from an answer file,
// the window gets them typed and clicked into its widgets. Both must walk the same stages
// in the same order and hand the same values to the post-install list.
#include "sv_engine.h"
#include "sv_installfilebuilder.h"
#include "sv_qtinputwidgets.h"
#include "sv_qtstagewidget.h"
#include "sv_qtviewer.h"
#include "sv_scenariocheck.h"
#include "sv_stage.h"
#include "sv_testsupport.h"
#include "sv_uielement.h"
#include "sv_variable.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QTimer>
#include <QtTest>

#include <cstdio>

using vantortest::InstallFileBuilder;

namespace {

SV_QtViewer* g_viewer = nullptr;
QStringList g_windowStages;
// The answers as the window gets them, typed and clicked (the same as kAnswers).
QHash<QString, QString> g_answers;

const char kAnswers[] = "kind=a\n"
                        "extras=x,y\n"
                        "name=alice smith\n"
                        "port=8143  # a comment after a number\n"
                        "ok=true\n"
                        "pw=abcd#1234\n";

QString input(const char* var, const char* conditions = "") {
    return QStringLiteral("<ui-element>%2<input-element><variable-input var_id='%1'/>"
                          "</input-element></ui-element>")
        .arg(QLatin1String(var), QLatin1String(conditions));
}

InstallFileBuilder installFile(const QString& valuesFile) {
    InstallFileBuilder b;
    b.section("variables")
        .addXml(
            "<variable id='kind' default='b'><string>Kind</string><data-type><single-selection>"
            "<choice id='a'><string>Kind A</string></choice>"
            "<choice id='b'><string>Kind B</string></choice></single-selection></data-type>"
            "</variable>"
            "<variable id='extras'><string>Extras</string><data-type><multiple-selection>"
            "<choice id='x'><string>X</string></choice><choice id='y'><string>Y</string></choice>"
            "</multiple-selection></data-type></variable>"
            "<variable id='name'><string>Name</string><data-type><text-data/></data-type>"
            "</variable>"
            "<variable id='port' default='143'><string>Port</string><data-type>"
            "<numeric-data datatype='uint' min='1' max='65535'/></data-type></variable>"
            "<variable id='ok' default='false'><string>Confirm</string><data-type><boolean/>"
            "</data-type></variable>"
            "<variable id='pw'><string>Password</string><data-type><password-data>"
            "<password-conditions min_length='4'/></password-data></data-type></variable>");
    b.section("actions").addXml(
        QStringLiteral(
            "<action type='process' id='dump'><option-param param='process' value='sh'/>"
            "<option-param param='arg1' value='-c'/>"
            "<option-param param='arg2' value='printf \"%s|\" \"$2\" \"$3\" \"$4\" \"$5\" \"$6\" "
            "\"$7\" &gt;\"$1\"'/>"
            "<option-param param='arg3' value='dump'/>"
            "<option-param param='arg4' value='%1'/>"
            "<option-param param='arg5' value='$$kind$$'/>"
            "<option-param param='arg6' value='$$extras$$'/>"
            "<option-param param='arg7' value='$$name$$'/>"
            "<option-param param='arg8' value='$$port$$'/>"
            "<option-param param='arg9' value='$$ok$$'/>"
            "<option-param param='arg10' value='$$pw$$'/></action>")
            .arg(valuesFile));
    b.section("post-install").addXml("<run-action action_id='dump'/>");
    const QString whenA = QStringLiteral(
        "<valid-conditions><var-condition var_id='kind' condition='item-selected' value='a'/>"
        "</valid-conditions>");
    const QString whenB = QStringLiteral(
        "<valid-conditions><var-condition var_id='kind' condition='item-selected' value='b'/>"
        "</valid-conditions>");
    b.section("stages").addXml(
        QStringLiteral("<stage id='kind'><string>Choose</string><ui>%1%2</ui></stage>")
            .arg(input("kind"), input("extras")) +
        QStringLiteral("<stage id='only-b'><string>Only B</string>%1<ui>%2</ui></stage>")
            .arg(whenB, input("ok")) +
        QStringLiteral("<stage id='only-a'><string>Only A</string>%1<ui>%2%3%4</ui>"
                       "<continue-conditions><var-condition var_id='name' "
                       "condition='not-empty'/></continue-conditions>"
                       "<sub-stages><stage id='a-more'><string>More A</string><ui>%5</ui>"
                       "</stage><stage id='a-never'><string>Never</string>%6</stage>"
                       "</sub-stages></stage>")
            .arg(whenA, input("name"),
                 input("port", "<valid-conditions><var-condition var_id='extras' "
                               "condition='item-selected' value='x'/></valid-conditions>"),
                 input("ok"), input("pw"), whenB) +
        QStringLiteral("<stage id='end'><string>The end</string><ui><finish/></ui>"
                       "<continue-conditions><var-condition var_id='pw' "
                       "condition='valid-password'/></continue-conditions></stage>"));
    return b;
}

// A click on a check box or radio button lands on its indicator: a button wider than its
// text takes clicks only there and on the text.
void click(QAbstractButton* button) {
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(8, button->height() / 2));
}

// What a user does on the page: every input shown gets its answer through its widgets.
void fillPage() {
    SV_QtStageWidget* page = g_viewer->currentStageWidget();
    for (SV_QtUIWidgetProvider* provider : page->providers()) {
        auto* element = qobject_cast<SV_UIVariableInput*>(provider->UIElement());
        if (!element || !element->isValid() || !g_answers.contains(element->variable()->ID()))
            continue;
        const QString answer = g_answers.value(element->variable()->ID());
        auto type = [](QLineEdit* edit, const QString& text) {
            edit->clear();
            QTest::keyClicks(edit, text);
        };
        if (auto* choice = qobject_cast<SV_QtSChoiceInput*>(provider)) {
            click(choice->button(answer));
        } else if (auto* multiple = qobject_cast<SV_QtMChoiceInput*>(provider)) {
            const QStringList ids = answer.split(QLatin1Char(','));
            for (SV_QtCheckBox* box : multiple->boxes())
                if (box->isChecked() != ids.contains(box->choiceID()))
                    click(box);
        } else if (auto* password = qobject_cast<SV_QtPasswordInput*>(provider)) {
            type(password->firstLineEdit(), answer);
            type(password->secondLineEdit(), answer);
        } else if (auto* boolean = qobject_cast<SV_QtBoolInput*>(provider)) {
            click(answer == QLatin1String("true") ? boolean->trueBox() : boolean->falseBox());
        } else if (auto* text = qobject_cast<SV_QtTextInput*>(provider)) {
            type(text->lineEdit(), answer);
        }
    }
}

void stepWhenReady(int tries) {
    QPushButton* forward =
        g_viewer->nextButton()->isHidden() ? g_viewer->doneButton() : g_viewer->nextButton();
    if (!forward->isEnabled()) {
        if (tries > 200) {
            std::fprintf(stderr, "FAIL: stuck on %s: %s\n",
                         qPrintable(g_windowStages.value(g_windowStages.size() - 1)),
                         qPrintable(g_viewer->reasonLabel()->text()));
            ++vantortest::scenarioFailures();
            QCoreApplication::exit(97);
            return;
        }
        QTimer::singleShot(20, [tries] { stepWhenReady(tries + 1); });
        return;
    }
    QTest::mouseClick(forward, Qt::LeftButton);
}

QByteArray readFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

int main(int argc, char** argv) {
    vantortest::installMessageHandler();
    QApplication app(argc, argv);
    vantortest::TempDir dir;
    const QString file = dir.file("install.xml");
    CHECK(installFile(dir.file("console-values")).save(file));

    // The console, unattended, from the answer file.
    QProcess console;
    console.setProcessEnvironment(vantortest::cleanEnvironment(dir.mkdir("xdg")));
    console.start(QStringLiteral(VANTOR_PROGRAM), {QStringLiteral("--console"), file});
    CHECK(console.waitForStarted());
    console.write(kAnswers);
    console.closeWriteChannel();
    CHECK(console.waitForFinished(120000));
    const QString out = QString::fromUtf8(console.readAllStandardOutput());
    CHECK(console.exitCode() == 0);
    QStringList consoleStages;
    const QRegularExpression title(QStringLiteral("^== (.*) ==$"),
                                   QRegularExpression::MultilineOption);
    for (auto it = title.globalMatch(out); it.hasNext();)
        consoleStages << it.next().captured(1);

    // The window, the same install file writing to another file, answers typed in.
    g_answers = {{"kind", "a"},    {"extras", "x,y"}, {"name", "alice smith"},
                 {"port", "8143"}, {"ok", "true"},    {"pw", "abcd#1234"}};
    const QString windowFile = dir.file("window.xml");
    CHECK(installFile(dir.file("window-values")).save(windowFile));
    SV_Engine::setViewerFactory([] {
        g_viewer = new SV_QtViewer(nullptr, "viewer");
        g_viewer->setDesktopSize(1024, 768);
        g_viewer->setStageShownHook([](const QString& id) {
            g_windowStages << SV_Engine::engine()->stage(id)->text();
            // Once the page is laid out, so that clicks land on its buttons.
            QTimer::singleShot(100, [] {
                fillPage();
                stepWhenReady(0);
            });
        });
        return g_viewer;
    });
    SV_Engine* engine = SV_Engine::engine();
    engine->setInstallFile(windowFile);
    engine->setPrefix(dir.path());
    engine->init();
    QTimer::singleShot(60000, [] {
        std::fprintf(stderr, "FAIL: time-out\n");
        QCoreApplication::exit(98);
    });
    const int status = app.exec();
    CHECK(status == 0);

    const QStringList expected{"Choose", "Only A", "More A", "The end"};
    std::fprintf(stderr, "console: %s\nwindow:  %s\n", qPrintable(consoleStages.join(" / ")),
                 qPrintable(g_windowStages.join(" / ")));
    CHECK(consoleStages == expected);
    CHECK(g_windowStages == expected);
    const QByteArray consoleValues = readFile(dir.file("console-values"));
    const QByteArray windowValues = readFile(dir.file("window-values"));
    std::fprintf(stderr, "console values: %s\nwindow values:  %s\n", consoleValues.constData(),
                 windowValues.constData());
    CHECK(consoleValues == QByteArray("Kind A|x,y|alice smith|8143|true|abcd#1234|"));
    CHECK(windowValues == consoleValues);
    return vantortest::scenarioFailures() ? 1 : 0;
}
