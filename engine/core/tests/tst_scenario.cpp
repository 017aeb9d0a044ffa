// Whole runs of the engine with a scripted viewer: start-up order, language choice,
// finish, cancel and translations. One scenario per process (the engine is a singleton);
// the scenario is named by the first argument.
#include "sv_actionprocessor.h"
#include "sv_engine.h"
#include "sv_installfilebuilder.h"
#include "sv_profile.h"
#include "sv_scriptedviewer.h"
#include "sv_scenariocheck.h"
#include "sv_testsupport.h"
#include "sv_variable.h"

#include <QCoreApplication>
#include <QFile>
#include <QTimer>

#include <cstdio>
#include <cstdlib>

using vantortest::InstallFileBuilder;
using vantortest::ScriptedViewer;

namespace {

SV_Engine* engine() {
    return SV_Engine::engine();
}

QString value(const QString& id) {
    SV_Variable* v = engine()->variable(id);
    return v ? v->value() : QStringLiteral("<missing>");
}

// The common part of the install files: a text variable set by the pre-install list and
// one set by the post-install list, so each list shows whether it ran.
InstallFileBuilder baseFile() {
    InstallFileBuilder b;
    b.section("variables")
        .addXml("<variable id='pre'><string>Pre</string><data-type><text-data/></data-type>"
                "</variable>"
                "<variable id='post'><string>Post</string><data-type><text-data/></data-type>"
                "</variable>");
    b.section("pre-install").addXml("<var-modify var_id='pre' newstring='ran'/>");
    b.section("post-install").addXml("<var-modify var_id='post' newstring='ran'/>");
    return b;
}

void addLanguages(InstallFileBuilder& b, const QStringList& codes,
                  const QString& dir = QStringLiteral("tr")) {
    auto langs = b.section("languages", {{"dir", dir}});
    for (const QString& code : codes)
        langs.add("language", {{"name", code.toUpper()}, {"encoding", code}});
}

const QStringList kStartUp = {"setLoadingMessage:Loading Installation File", "startLoading",
                              "setLoadingMessage:Running Preinstall",
                              "setLoadingMessage:Building Install Screens", "startInstaller"};

// Two languages, none preset: the viewer asks; viewer options reach the viewer; cancel
// answered "no" continues, "yes" ends the run with 2 without the post-install list.
int viewerOrder(const vantortest::TempDir& tmp) {
    InstallFileBuilder b = baseFile();
    auto info = b.section("install-info");
    info.add("viewer-options")
        .addXml("<option-param param='size' value='maximized'/><other param='x' value='y'/>"
                "<option-param param='mdi-mode' value='true'/>");
    addLanguages(b, {"en", "de"});
    b.save(tmp.file("install.xml"));
    ScriptedViewer::install([](ScriptedViewer* v) {
        v->language = "de";
        v->yesNoAnswers = QStringList{"no", "yes"};
        v->onStartInstaller = [](ScriptedViewer* v) {
            CHECK(v->calls == QStringList{"getLanguage"} + kStartUp);
            CHECK_EQ(v->option("size"), "maximized");
            CHECK_EQ(v->option("mdi-mode"), "true");
            CHECK(v->options().size() == 2);
            CHECK_EQ(engine()->locale(), "de");
            CHECK_EQ(value("BuiltInVars:Language"), "de");
            CHECK_EQ(value("pre"), "ran");
            engine()->cancelInstall(); // "no": the run goes on
            CHECK(v->calls.last() == "getYesNo:Are you sure you want to exit?");
            QTimer::singleShot(0, [] { engine()->cancelInstall(); });
        };
    });
    engine()->setInstallFile(tmp.file("install.xml"));
    engine()->init();
    CHECK(engine()->viewer() == ScriptedViewer::current());
    CHECK(engine()->viewer()->parent() == nullptr);
    // A confirmed cancel ends with 2: nothing was installed to the end.
    const int rc = QCoreApplication::exec();
    CHECK(rc == 2);
    CHECK(ScriptedViewer::current()->calls.count("getYesNo:Are you sure you want to exit?") == 2);
    CHECK(value("post").isNull());
    return 0;
}

// Done: finishInstall runs the post-install list, whose end leaves the event loop with 0.
// One language and a preset locale: the locale stays, the language variable holds the one.
int finish(const vantortest::TempDir& tmp) {
    InstallFileBuilder b = baseFile();
    addLanguages(b, {"en"});
    b.save(tmp.file("install.xml"));
    ScriptedViewer::install([](ScriptedViewer* v) {
        v->onStartInstaller = [](ScriptedViewer* v) {
            CHECK(v->calls == kStartUp);
            CHECK(value("post").isNull());
            engine()->finishInstall();
        };
    });
    engine()->setInstallFile(tmp.file("install.xml"));
    engine()->setLocale("de");
    engine()->init();
    const int rc = QCoreApplication::exec();
    CHECK(rc == 0);
    CHECK_EQ(engine()->locale(), "de");
    CHECK_EQ(value("BuiltInVars:Language"), "en");
    CHECK_EQ(value("post"), "ran");
    return rc;
}

// A preset locale and two languages: no question, and no language for the variable.
int presetManyLanguages(const vantortest::TempDir& tmp) {
    InstallFileBuilder b = baseFile();
    addLanguages(b, {"en", "de", "fr"});
    b.save(tmp.file("install.xml"));
    ScriptedViewer::install([](ScriptedViewer* v) {
        v->language = "fr";
        v->onStartInstaller = [](ScriptedViewer*) { engine()->finishInstall(); };
    });
    engine()->setInstallFile(tmp.file("install.xml"));
    engine()->setLocale("de");
    engine()->init();
    const int rc = QCoreApplication::exec();
    CHECK(ScriptedViewer::current()->calls == kStartUp);
    CHECK_EQ(engine()->locale(), "de");
    CHECK(engine()->variable("BuiltInVars:Language") != nullptr);
    CHECK_EQ(value("BuiltInVars:Language"), QString());
    return rc;
}

// Display texts read after the translations are installed are translated, those of
// install-info are not; the engine's own question is translated too.
int translation(const vantortest::TempDir& tmp) {
    tmp.mkdir("tr/de");
    for (const char* qm : {VANTOR_ENGINE_QM_DE, VANTOR_TEST_QM_DIR "/display_de.qm"}) {
        const QString from = QString::fromUtf8(qm);
        CHECK(QFile::copy(from, tmp.file("tr/de/") + from.section('/', -1)));
    }
    InstallFileBuilder b = baseFile();
    b.section("install-info").addText("author", "Quorelle Ltd");
    addLanguages(b, {"de"});
    b.section("profiles").addText("profile", "Small server", {{"id", "small"}});
    b.section("variables")
        .addXml(QStringLiteral("<variable id='cafe'><string>Caf\u00e9</string>"
                               "<data-type><text-data/></data-type></variable>"
                               "<variable id='price'><string>Price</string>"
                               "<data-type><text-data/></data-type></variable>"));
    b.save(tmp.file("install.xml"));
    ScriptedViewer::install([](ScriptedViewer* v) {
        v->yesNoAnswers = QStringList{"yes"};
        v->onStartInstaller = [](ScriptedViewer*) { engine()->cancelInstall(); };
    });
    engine()->setInstallFile(tmp.file("install.xml"));
    engine()->setPrefix(tmp.path());
    engine()->init();
    const int rc = QCoreApplication::exec();
    CHECK_EQ(engine()->locale(), "de");
    CHECK_EQ(engine()->installInfo().author, "Quorelle Ltd");
    CHECK(engine()->profile("small") != nullptr);
    if (engine()->profile("small"))
        CHECK_EQ(engine()->profile("small")->text(), "Kleiner Server");
    CHECK_EQ(engine()->variable("cafe")->text(), "Kaffee");
    CHECK_EQ(engine()->variable("price")->text(), QStringLiteral("Preis in \u20ac"));
    CHECK(ScriptedViewer::current()->calls.contains(
        QStringLiteral("getYesNo:M\u00f6chten Sie die Installation wirklich beenden?")));
    CHECK(rc == 2); // the confirmed cancel
    return 0;
}

// The scripted viewer walks through the wizard controller as the window does: the
// stages valid with the answers, in order, the answers stored through each variable's
// own check, and Done at the end. A refused answer stops the walk with its reason.
int walk(const vantortest::TempDir& tmp, bool refused) {
    InstallFileBuilder b = baseFile();
    b.section("variables")
        .addXml("<variable id='port' default='143'><string>Port</string><data-type>"
                "<numeric-data datatype='uint' min='1' max='65535'/></data-type></variable>"
                "<variable id='kind' default='a'><string>Kind</string><data-type>"
                "<single-selection><choice id='a'/><choice id='b'/></single-selection>"
                "</data-type></variable>");
    b.section("stages").addXml(
        "<stage id='one'><ui><ui-element><input-element><variable-input var_id='kind'/>"
        "</input-element></ui-element></ui></stage>"
        "<stage id='skipped'><valid-conditions><var-condition var_id='kind' "
        "condition='item-selected' value='a'/></valid-conditions></stage>"
        "<stage id='two'><ui><ui-element><input-element><variable-input var_id='port'/>"
        "</input-element></ui-element><finish/></ui></stage>");
    b.save(tmp.file("install.xml"));
    ScriptedViewer::install([refused](ScriptedViewer* v) {
        v->walk = true;
        v->answers = {{"kind", "b"}, {"port", refused ? "70000" : "993"}};
        if (refused)
            v->onStartInstaller = [](ScriptedViewer* v) {
                QTimer::singleShot(500, [v] {
                    CHECK_EQ(v->stuck, "\"70000\" is not a whole number from 1 to 65535");
                    engine()->endRun(0);
                });
            };
    });
    engine()->setInstallFile(tmp.file("install.xml"));
    engine()->init();
    const int rc = QCoreApplication::exec();
    ScriptedViewer* v = ScriptedViewer::current();
    CHECK(rc == 0);
    CHECK(v->stagesEntered == QStringList({"one", "two"}));
    CHECK_EQ(value("port"), refused ? "143" : "993");
    CHECK_EQ(value("post"), refused ? QString() : QStringLiteral("ran"));
    return 0;
}

// Console mode: the viewer factory is not used, viewer options are dropped, and the run
// stops after the pre-install list with the fatal message (checked by the test's output).
int console(const vantortest::TempDir& tmp) {
    InstallFileBuilder b = baseFile();
    b.section("install-info")
        .add("viewer-options")
        .add("option-param", {{"param", "size"}, {"value", "x"}});
    addLanguages(b, {"en", "de"});
    b.save(tmp.file("install.xml"));
    ScriptedViewer::install();
    engine()->setInstallFile(tmp.file("install.xml"));
    engine()->setConsoleMode(true);
    // The fatal end leaves through exit(): report what the run did on the way out.
    std::atexit([] {
        CHECK_EQ(value("pre"), "ran");
        std::fprintf(stderr, "pre-install done, failures: %d\n", vantortest::scenarioFailures());
    });
    engine()->init();
    CHECK(ScriptedViewer::current() == nullptr);
    CHECK(engine()->viewer() == nullptr);
    return QCoreApplication::exec();
}

} // namespace

int main(int argc, char** argv) {
    vantortest::installMessageHandler();
    QCoreApplication app(argc, argv);
    const QString scenario = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
    vantortest::TempDir tmp;
    int rc = 99;
    if (scenario == "viewer-order")
        rc = viewerOrder(tmp);
    else if (scenario == "finish")
        rc = finish(tmp);
    else if (scenario == "preset-many-languages")
        rc = presetManyLanguages(tmp);
    else if (scenario == "translation")
        rc = translation(tmp);
    else if (scenario == "walk")
        rc = walk(tmp, false);
    else if (scenario == "walk-refused")
        rc = walk(tmp, true);
    else if (scenario == "console")
        rc = console(tmp);
    else
        std::fprintf(stderr, "unknown scenario\n");
    std::fprintf(stderr, "%s: %d failures, exit status %d\n", qPrintable(scenario), vantortest::scenarioFailures(), rc);
    return vantortest::scenarioFailures() ? 1 : rc;
}
