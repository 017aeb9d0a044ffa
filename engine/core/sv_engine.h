#ifndef SV_ENGINE_H
#define SV_ENGINE_H

#include "sv_logger.h"
#include "sv_xmltree.h"

#include <QDomDocument>
#include <QHash>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTextStream>

#include <functional>

class SV_Action;
class SV_ActionProcessor;
class SV_Condition;
class SV_Profile;
class SV_Stage;
class SV_UIElement;
class SV_Variable;
class SV_Viewer;

// The install-info section and the directories it establishes.
struct SV_InstallInfo {
    QString author;
    QString authorDir;
    QString appName;
    QString translationDir;
    QString componentDir;
    QString resourceDir;
    QString authorIcon;
    QString appIcon;
};

// One language offered by the install file.
struct SV_LanguageInfo {
    QString name;
    QString encoding;
};

// The singleton hub of the install engine: owns every object built from the install
// file, keeps the registries and the installation log, and drives the run.
class SV_Engine : public QObject, public SV_Logger {
    Q_OBJECT
public:
    static SV_Engine* engine();

    // Creates the viewer when the engine is not in console mode. Set by the program's
    // entry point (the Qt viewer) or by a test (a scripted viewer); when unset, no
    // viewer is created.
    using ViewerFactory = std::function<SV_Viewer*()>;
    static void setViewerFactory(ViewerFactory factory);
    // Creates the viewer in console mode (the terminal viewer); when unset, a console run
    // has no viewer and stops after the pre-install actions.
    static void setConsoleViewerFactory(ViewerFactory factory);

    // Command-line configuration.
    void setInstallFile(const QString& file);
    QString installFile() const { return m_installFile; }
    void setPrefix(const QString& prefix);
    QString prefix() const;
    void setConsoleMode(bool console);
    bool consoleMode() const { return m_consoleMode; }
    void setLocale(const QString& locale);
    QString locale() const;

    const QList<SV_LanguageInfo>& languages() const;
    const SV_InstallInfo& installInfo() const;
    QString translationDir() const;
    QString componentDir() const;
    QString resourceDir() const;

    // Loads the install file and starts the pre-install actions.
    void init();

    // Registry lookups; a null id gives null silently, an unknown id writes a debug message.
    SV_Action* action(const QString& id);
    SV_Variable* variable(const QString& id);
    SV_Profile* profile(const QString& id);
    SV_Stage* stage(const QString& id);
    SV_Stage* firstStage() const;

    QString resource(const QString& name) const;
    QString component(const QString& name) const;
    QString translationFile(const QString& name) const;

    // The rules behind the lookups above, for readers of an install file that run nothing
    // (the install-file check): a directory attribute resolved against the program's
    // directory; a file name in a directory; the translation files installed for a locale;
    // a translated file for a locale.
    static QString resolveDirectory(const QString& prefix, const QString& value);
    static QString lookupFile(const QString& dir, const QString& name);
    static QStringList translationFiles(const QString& translationDir, const QString& locale);
    static QString translationFileFor(const QString& translationDir, const QString& locale,
                                      const QString& name);

    void storeProfile(const QString& id);
    // True while storeProfile(id) is setting the profile's variables.
    bool applyingProfile(const QString& id) const { return m_applyingProfiles.contains(id); }
    // Asks the viewer "Are you sure you want to exit?"; true when the answer was yes and
    // the run ends (status 2).
    bool cancelInstall();
    void finishInstall();
    QString getYesNo(const QString& question);
    void showPrompt(const QString& message);
    void showLog();
    SV_Viewer* viewer() const { return m_viewer; }

    // The end of a run. endRun leaves the event loop with the status (queued, so an end
    // asked for before the loop runs is kept); exitStatus is the status asked for last.
    // The statuses (SV_Wizard::ExitStatus) say how the run went, the same under every
    // viewer: finishInstall ends with 3 when an action reported an error that was not
    // ignored ("ignore-errors"), else 0; a confirmed cancel ends with 2, so that a script
    // never takes a cancelled installation for a finished one.
    void endRun(int status);
    int exitStatus() const { return m_exitStatus; }
    // Errors reported by actions (sig_error) since start-up; ignored errors are not counted.
    int actionErrorCount() const { return m_actionErrors; }

    // Installation log.
    QTextStream& dbgStream();
    void addLogMessage(const QString& id, const QString& message);
    void addErrMessage(const QString& id, const QString& message);
    QString getQMLLog(SV_LogMessageType type) const;
    QString getTextLog(SV_LogMessageType type) const;
    static SV_LogMessageType logMessageType(const QString& word);
    static QString logMessageTypeString(SV_LogMessageType type);

    // Install-file readers.
    void loadInstallInfo(const SV_XmlNode& root);
    void loadLanguages(const SV_XmlNode& root);
    static QString loadAttr(const SV_XmlNode& node, const QString& name);
    QString loadDisplayText(const SV_XmlNode& node) const;
    // The text of a display element as it is looked up in the translations; a null string
    // when the element has no <string> child.
    static QString displayTextSource(const SV_XmlNode& node);
    void loadProfiles(const SV_XmlNode& root);
    void detectLocale();
    void loadLocale();
    void loadVariables(const SV_XmlNode& root);
    void loadActions(const SV_XmlNode& root);
    void loadPreInstall(const SV_XmlNode& root);
    void loadPostInstall(const SV_XmlNode& root);
    void loadStages(const SV_XmlNode& root);
    SV_Stage* buildStage(const SV_XmlNode& node);
    SV_Condition* buildCondition(const SV_XmlNode& node);
    SV_UIElement* buildUIElement(const SV_XmlNode& node);

    // Action factory and the builders of action-list entries.
    SV_Action* createAction(const QString& type);
    // The types createAction knows itself (without the vendor hook).
    static QStringList actionTypes();
    SV_Action* buildVarInitializer(const SV_XmlNode& node);
    SV_Action* buildVarModifier(const SV_XmlNode& node);
    // One entry of an action list (var-init, var-modify or run-action); null for
    // anything else and for a run-action naming an unknown action.
    SV_Action* buildActionListEntry(const SV_XmlNode& node);

    SV_ActionProcessor* preinstallProcessor() const { return m_preinstall; }
    SV_ActionProcessor* postinstallProcessor() const { return m_postinstall; }

public slots:
    void slot_preinstallDone();
    void slot_postinstallDone();

private:
    SV_Engine();
    // The first child element of the root with the section's name (null element if none).
    static SV_XmlNode section(const SV_XmlNode& root, const QString& name);

    bool m_localeSet = false;
    bool m_consoleMode = false;
    QString m_installFile;
    QString m_locale;
    QString m_prefix;
    SV_XmlDocument m_document;
    SV_XmlNode m_root;
    QList<SV_LanguageInfo> m_languages;
    SV_InstallInfo m_installInfo;
    // Registries: case-sensitive; entering an id again hides the earlier object (which
    // stays alive as a Qt child of the engine).
    QHash<QString, SV_Variable*> m_variables;
    QHash<QString, SV_Profile*> m_profiles;
    QHash<QString, SV_Action*> m_actions;
    QHash<QString, SV_Stage*> m_stages;
    SV_ActionProcessor* m_preinstall = nullptr;
    SV_ActionProcessor* m_postinstall = nullptr;
    SV_Stage* m_firstStage = nullptr;
    QStringList m_applyingProfiles;
    QDomDocument m_installLog;
    QDomDocument m_installErrors;
    QString m_debugText;
    QTextStream m_debugStream;
    SV_Viewer* m_viewer = nullptr;
    int m_exitStatus = 0;
    int m_actionErrors = 0;
};

#endif
