#ifndef SV_CONSOLEVIEWER_H
#define SV_CONSOLEVIEWER_H

#include "sv_consoleanswers.h"
#include "sv_consoleterminal.h"
#include "sv_viewer.h"

#include <QList>
#include <QMetaObject>

class SV_Action;
class SV_Engine;
class SV_Stage;
class SV_UIElement;
class SV_Variable;
class SV_Wizard;

// The wizard in a terminal. The walk is the wizard controller's (SV_Wizard), as in the
// window; this viewer prints what it shows and passes the answers on. With a terminal on
// standard input it shows a stage's elements in their order, asking for each input, and
// offers Next, Back, Cancel, the stage's action launchers and the log. Otherwise the installation
// is unattended: the answers are read from standard input (see SV_ConsoleAnswers), checked as a
// whole before the first stage, and the walk goes Next through every valid stage and Done at the
// end. A stage that cannot continue with the answers ends the run with status 2; an install
// sequence's question after an error is answered "no". At the end the plain-text log is written to
// a file.
class SV_ConsoleViewer : public SV_Viewer {
    Q_OBJECT
public:
    explicit SV_ConsoleViewer(QObject* parent = nullptr);

    bool interactive() const { return m_interactive; }

    QString getLanguage() override;
    void startLoading() override;
    void setLoadingMessage(const QString& message) override;
    void startInstaller() override;
    void showLog() override;
    QString getYesNo(const QString& question) override;
    void showPrompt(const QString& message) override;

    // Rich text as plain text: tags dropped, paragraphs and breaks as line ends,
    // the common entities decoded.
    static QString plainText(const QString& richText);

private slots:
    void slot_checkCurrStage();
    void slot_writeLog();
    void slot_stageEntered(SV_Stage* stage);

private:
    void leaveStage();
    void watchSequences(SV_Stage* stage);
    void printStage(SV_Stage* stage);
    // Shows the stage's elements in their order: outputs printed, inputs asked (ask) or
    // printed with their values. False at the end of input.
    bool presentElements(SV_Stage* stage, bool ask);
    void printOutput(SV_UIElement* element);
    void runUnattended(SV_Stage* stage);
    void runInteractive(SV_Stage* stage);
    // Asks for the value of one variable until it is taken; false at the end of input.
    bool ask(SV_Variable* variable);
    bool askPassword(SV_Variable* variable);
    bool askChoice(SV_Variable* variable, bool multiple);
    bool askBool(SV_Variable* variable);
    // Runs a launcher's action to its end, showing its progress.
    void launch(SV_Action* action, const QString& title);
    // Next, or Done on a stage that offers it.
    void goForward();
    // End of input while asking: cancel the run cleanly.
    void endOfInput();
    QString label(SV_Variable* variable) const;

    SV_Engine* m_engine;
    SV_ConsoleTerminal m_terminal;
    SV_ConsoleAnswers m_answers;
    bool m_interactive;
    bool m_ended = false;
    SV_Wizard* m_wizard = nullptr;
    SV_Stage* m_current = nullptr;
    bool m_handled = false;
    QList<QMetaObject::Connection> m_stageConnections;
};

#endif
