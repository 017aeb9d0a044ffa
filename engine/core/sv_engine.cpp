#include "sv_engine.h"

#include "sv_action.h"
#include "sv_actionprocessor.h"
#include "sv_installsequenceaction.h"
#include "sv_stage.h"
#include "sv_textvariable.h"
#include "sv_variable.h"
#include "sv_viewer.h"
#include "sv_wizard.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QMetaObject>

namespace {

// The singleton; reachable for the whole run, never destroyed.
SV_Engine* s_engine = nullptr;

SV_Engine::ViewerFactory& viewerFactory() {
    static SV_Engine::ViewerFactory factory;
    return factory;
}

SV_Engine::ViewerFactory& consoleViewerFactory() {
    static SV_Engine::ViewerFactory factory;
    return factory;
}

// Leaves the event loop with the status. Queued, so that an end requested before the
// loop has started (a scripted run, an empty action list) is not lost.
void quitEventLoop(int status) {
    QCoreApplication* app = QCoreApplication::instance();
    if (!app)
        return;
    QMetaObject::invokeMethod(
        app, [status] { QCoreApplication::exit(status); }, Qt::QueuedConnection);
}

template <typename T>
T* lookup(const SV_Engine* engine, const QHash<QString, T*>& registry, const QString& id,
          const char* kind) {
    if (id.isNull())
        return nullptr;
    const auto it = registry.constFind(id);
    if (it == registry.constEnd()) {
        engine->dbg(QStringLiteral("Non-valid %1: %2 requested").arg(QLatin1String(kind), id));
        return nullptr;
    }
    return *it;
}

} // namespace

SV_Engine* SV_Engine::engine() {
    if (!s_engine)
        s_engine = new SV_Engine;
    return s_engine;
}

void SV_Engine::setViewerFactory(ViewerFactory factory) {
    viewerFactory() = std::move(factory);
}

void SV_Engine::setConsoleViewerFactory(ViewerFactory factory) {
    consoleViewerFactory() = std::move(factory);
}

void SV_Engine::endRun(int status) {
    m_exitStatus = status;
    quitEventLoop(status);
}

SV_Engine::SV_Engine()
    : QObject(nullptr), m_installLog(QStringLiteral("InstallLog")),
      m_installErrors(QStringLiteral("InstallErrors")) {
    m_preinstall = new SV_ActionProcessor(true, this);
    m_postinstall = new SV_ActionProcessor(true, this);
    connect(m_preinstall, &SV_ActionProcessor::sig_actionsDone, this,
            &SV_Engine::slot_preinstallDone);
    connect(m_postinstall, &SV_ActionProcessor::sig_actionsDone, this,
            &SV_Engine::slot_postinstallDone);
    m_installLog.appendChild(m_installLog.createElement(QStringLiteral("InstallLog")));
    m_installErrors.appendChild(m_installErrors.createElement(QStringLiteral("InstallErrors")));
    m_debugStream.setString(&m_debugText, QIODevice::WriteOnly);
}

void SV_Engine::setInstallFile(const QString& file) {
    m_installFile = file;
}
void SV_Engine::setPrefix(const QString& prefix) {
    m_prefix = prefix;
}
QString SV_Engine::prefix() const {
    return m_prefix;
}
void SV_Engine::setConsoleMode(bool console) {
    m_consoleMode = console;
}

void SV_Engine::setLocale(const QString& locale) {
    m_locale = locale;
    m_localeSet = true;
}

QString SV_Engine::locale() const {
    return m_locale;
}
const QList<SV_LanguageInfo>& SV_Engine::languages() const {
    return m_languages;
}
const SV_InstallInfo& SV_Engine::installInfo() const {
    return m_installInfo;
}
QString SV_Engine::translationDir() const {
    return m_installInfo.translationDir;
}
QString SV_Engine::componentDir() const {
    return m_installInfo.componentDir;
}
QString SV_Engine::resourceDir() const {
    return m_installInfo.resourceDir;
}

void SV_Engine::init() {
    QFile file(m_installFile);
    if (!file.open(QIODevice::ReadOnly))
        qFatal("Could not open installation file");
    const QByteArray content = file.readAll();
    file.close();
    // Refused too: a document nested deeper than SV_XmlDocument::kMaxDepth.
    if (!m_document.setContent(content))
        qFatal("Could not parse install file...check for xml validity");
    m_root = m_document.documentElement();

    if (!m_consoleMode && viewerFactory())
        m_viewer = viewerFactory()();
    else if (m_consoleMode && consoleViewerFactory())
        m_viewer = consoleViewerFactory()();

    loadInstallInfo(m_root);
    loadLanguages(m_root);
    detectLocale();

    QString language;
    if (m_languages.size() >= 2 && !m_localeSet) {
        if (m_viewer)
            language = m_viewer->getLanguage();
    } else if (m_languages.size() == 1) {
        language = m_languages.first().encoding;
    }
    if (!m_localeSet && !language.isNull())
        setLocale(language);

    SV_TextVariable* languageVar = new SV_TextVariable(this);
    languageVar->setID(QStringLiteral("BuiltInVars:Language"));
    languageVar->storeValue(QStringList{language});
    m_variables.insert(languageVar->ID(), languageVar);

    if (m_viewer) {
        m_viewer->setLoadingMessage(QStringLiteral("Loading Installation File"));
        m_viewer->startLoading();
    }

    loadLocale();

    loadProfiles(m_root);
    loadVariables(m_root);
    loadActions(m_root);
    loadPreInstall(m_root);
    loadStages(m_root);
    loadPostInstall(m_root);
    // Everything is built from the file: its tree is not needed any more.
    m_root = SV_XmlNode();
    m_document.clear();

    // Count the errors that actions report (ignored ones are never signalled). Sequences
    // only pass on the errors of their actions, which are counted themselves.
    for (SV_Action* action : findChildren<SV_Action*>()) {
        if (qobject_cast<SV_ActionProcessorAction*>(action) ||
            qobject_cast<SV_InstallSequenceAction*>(action))
            continue;
        connect(action, &SV_Action::sig_error, this, [this] { ++m_actionErrors; });
    }

    if (m_viewer)
        m_viewer->setLoadingMessage(QStringLiteral("Running Preinstall"));

    m_preinstall->startActions();
}

void SV_Engine::slot_preinstallDone() {
    if (!m_viewer)
        qFatal("Could not create a viewer for the installation");
    m_viewer->setLoadingMessage(QStringLiteral("Building Install Screens"));
    m_viewer->startInstaller();
}

void SV_Engine::finishInstall() {
    m_postinstall->startActions();
}

void SV_Engine::slot_postinstallDone() {
    endRun(m_actionErrors > 0 ? SV_Wizard::ExitActionFailed : SV_Wizard::ExitFinished);
}

bool SV_Engine::cancelInstall() {
    if (!m_viewer)
        return false;
    if (m_viewer->getYesNo(tr("Are you sure you want to exit?")) != QLatin1String("yes"))
        return false;
    endRun(SV_Wizard::ExitIncomplete);
    return true;
}

// The viewer services are only used while a viewer runs the wizard; without one they
// do nothing (and a question counts as not answered with yes).
QString SV_Engine::getYesNo(const QString& question) {
    return m_viewer ? m_viewer->getYesNo(question) : QString();
}

void SV_Engine::showPrompt(const QString& message) {
    if (m_viewer)
        m_viewer->showPrompt(message);
}

void SV_Engine::showLog() {
    if (m_viewer)
        m_viewer->showLog();
}

SV_Action* SV_Engine::action(const QString& id) {
    return lookup(this, m_actions, id, "action");
}
SV_Variable* SV_Engine::variable(const QString& id) {
    return lookup(this, m_variables, id, "variable");
}
SV_Profile* SV_Engine::profile(const QString& id) {
    return lookup(this, m_profiles, id, "profile");
}
SV_Stage* SV_Engine::stage(const QString& id) {
    return lookup(this, m_stages, id, "stage");
}
SV_Stage* SV_Engine::firstStage() const {
    return m_firstStage;
}

SV_XmlNode SV_Engine::section(const SV_XmlNode& root, const QString& name) {
    return root.firstChildElement(name);
}
