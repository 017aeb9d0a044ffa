#include "sv_consoleviewer.h"

#include "sv_consoleyesno.h"

#include "sv_action.h"
#include "sv_actionprocessor.h"
#include "sv_boolvariable.h"
#include "sv_choicevariable.h"
#include "sv_engine.h"
#include "sv_installsequenceaction.h"
#include "sv_passwordvariable.h"
#include "sv_profile.h"
#include "sv_secrets.h"
#include "sv_stage.h"
#include "sv_uielement.h"
#include "sv_variable.h"
#include "sv_wizard.h"

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryFile>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <memory>

namespace {

const QString kFinish = QStringLiteral("finish");

// A control label without its keyboard accelerator mark.
QString plainControl(QString text) {
    return text.remove(QLatin1Char('&'));
}

void writeError(const QString& text) {
    const QByteArray bytes = SV_Secrets::hide(text).toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stderr);
    std::fflush(stderr);
}

int percentOf(int steps, int total) {
    return total > 0 ? steps * 100 / total : 100;
}

} // namespace

SV_ConsoleViewer::SV_ConsoleViewer(QObject* parent)
    : SV_Viewer(parent), m_engine(SV_Engine::engine()),
      m_interactive(m_terminal.inputIsTerminal()) {
    if (QCoreApplication* app = QCoreApplication::instance())
        connect(app, &QCoreApplication::aboutToQuit, this, &SV_ConsoleViewer::slot_writeLog);
}

QString SV_ConsoleViewer::plainText(const QString& richText) {
    if (!richText.contains(QLatin1Char('<')) && !richText.contains(QLatin1Char('&')))
        return richText;
    QString s = richText;
    static const QRegularExpression breaks(QStringLiteral("<br\\s*/?>"),
                                           QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression blocks(
        QStringLiteral("</?(p|div|blockquote|h[1-6]|li|ul|ol|tr|table|pre)(\\s[^>]*)?>"),
        QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression tags(QStringLiteral("<[^>]*>"));
    static const QRegularExpression blanks(QStringLiteral("[ \\t]*\\n[ \\t\\n]*\\n[ \\t]*"));
    s.replace(breaks, QStringLiteral("\n"));
    s.replace(blocks, QStringLiteral("\n"));
    s.remove(tags);
    s.replace(QStringLiteral("&lt;"), QStringLiteral("<"));
    s.replace(QStringLiteral("&gt;"), QStringLiteral(">"));
    s.replace(QStringLiteral("&quot;"), QStringLiteral("\""));
    s.replace(QStringLiteral("&nbsp;"), QStringLiteral(" "));
    s.replace(QStringLiteral("&amp;"), QStringLiteral("&"));
    s.replace(blanks, QStringLiteral("\n\n"));
    return s.trimmed();
}

QString SV_ConsoleViewer::label(SV_Variable* variable) const {
    const QString text = plainText(variable->text());
    return text.isEmpty() ? variable->ID() : text;
}

// ---- start-up ----

QString SV_ConsoleViewer::getLanguage() {
    const QList<SV_LanguageInfo>& languages = m_engine->languages();
    if (languages.isEmpty())
        return QString();
    int def = 0;
    for (int i = 0; i < languages.size(); ++i)
        if (languages[i].encoding == m_engine->locale())
            def = i;
    if (!m_interactive || m_ended)
        return languages[def].encoding;
    m_terminal.write(tr("Languages:") + QLatin1Char('\n'));
    for (int i = 0; i < languages.size(); ++i)
        m_terminal.write(QStringLiteral("  %1) %2 (%3)\n")
                             .arg(i + 1)
                             .arg(languages[i].name, languages[i].encoding));
    for (;;) {
        QString line;
        if (!m_terminal.readLine(tr("Language [%1]: ").arg(def + 1), line)) {
            endOfInput();
            return languages[def].encoding;
        }
        line = line.trimmed();
        if (line.isEmpty())
            return languages[def].encoding;
        bool ok = false;
        const int n = line.toInt(&ok);
        if (ok && n >= 1 && n <= languages.size())
            return languages[n - 1].encoding;
        for (const SV_LanguageInfo& l : languages)
            if (l.encoding == line)
                return l.encoding;
        m_terminal.write(tr("  Please give a number from 1 to %1.").arg(languages.size()) +
                         QLatin1Char('\n'));
    }
}

void SV_ConsoleViewer::startLoading() {}

// The start-up status texts are for someone watching; an unattended run's output starts
// with the answers (and stays empty when the install file is faulty).
void SV_ConsoleViewer::setLoadingMessage(const QString& message) {
    if (m_interactive && !m_ended)
        m_terminal.write(message + QStringLiteral("...\n"));
}

void SV_ConsoleViewer::startInstaller() {
    if (m_ended)
        return;
    if (!m_interactive) {
        m_answers.parse(m_terminal.readAll());
        m_answers.check(m_engine);
        if (!m_answers.problems().isEmpty()) {
            QString text = tr("vantor: the answers cannot be used, nothing was installed:") +
                           QLatin1Char('\n');
            for (const QString& p : m_answers.problems())
                text += tr("  answers %1").arg(p) + QLatin1Char('\n');
            writeError(text);
            m_ended = true;
            m_engine->endRun(SV_Wizard::ExitIncomplete);
            return;
        }
        m_answers.applyAll(m_engine);
        m_terminal.write(
            tr("Unattended installation: %1 answers read.").arg(m_answers.answers().size()) +
            QLatin1Char('\n'));
    }
    const QString app = plainText(m_engine->installInfo().appName);
    if (!app.isEmpty())
        m_terminal.write(
            QStringLiteral("\n%1\n%2\n")
                .arg(app, QString(SV_ConsoleTerminal::columns(app), QLatin1Char('='))));
    m_wizard = new SV_Wizard(this);
    connect(m_wizard, &SV_Wizard::sig_stageEntered, this, &SV_ConsoleViewer::slot_stageEntered);
    // Queued: the stage is handled once its initialisation has returned, from the loop.
    connect(m_wizard, &SV_Wizard::sig_stateChanged, this, &SV_ConsoleViewer::slot_checkCurrStage,
            Qt::QueuedConnection);
    if (!m_wizard->start()) {
        m_terminal.write(tr("The installation has no stage to show.") + QLatin1Char('\n'));
        m_ended = true;
        m_engine->endRun(SV_Wizard::ExitFatal);
    }
}

// ---- stages ----

void SV_ConsoleViewer::leaveStage() {
    for (const QMetaObject::Connection& c : std::as_const(m_stageConnections))
        disconnect(c);
    m_stageConnections.clear();
    m_terminal.endProgress();
}

void SV_ConsoleViewer::slot_stageEntered(SV_Stage* stage) {
    leaveStage();
    m_current = stage;
    m_handled = false;
    printStage(stage);
    watchSequences(stage);
}

void SV_ConsoleViewer::watchSequences(SV_Stage* stage) {
    for (SV_UIElement* element : stage->uiElements()) {
        if (auto* seq = qobject_cast<SV_UIActionSequence*>(element)) {
            SV_ActionProcessorAction* action = seq->action();
            QString title = plainText(seq->text());
            if (title.isEmpty())
                title = tr("Running actions");
            const bool text = seq->option(QStringLiteral("output")) == QLatin1String("text");
            m_stageConnections << connect(
                action, &SV_Action::sig_progress, this, [this, action, title](int n) {
                    m_terminal.progress(title, percentOf(n, action->totalSteps()));
                });
            if (text)
                m_stageConnections
                    << connect(action, &SV_Action::sig_text, this, [this](const QString& line) {
                           m_terminal.write(QStringLiteral("    ") + line + QLatin1Char('\n'));
                       });
            m_stageConnections << connect(
                action, &SV_Action::sig_error, this, [this](const QString& message) {
                    m_terminal.write(QStringLiteral("  ") + plainText(message) + QLatin1Char('\n'));
                });
            m_stageConnections << connect(action, &SV_Action::sig_actionDone, this,
                                          [this] { m_terminal.endProgress(); });
        } else if (auto* inst = qobject_cast<SV_UIInstallSequence*>(element)) {
            SV_InstallSequenceAction* action = inst->action();
            QString title = plainText(inst->text());
            if (title.isEmpty())
                title = tr("Installation Progress");
            auto subjob = std::make_shared<QString>();
            auto failures = std::make_shared<QStringList>();
            m_stageConnections << connect(
                action, &SV_InstallSequenceAction::sig_new_subjob, this,
                [this, subjob, failures](const QString& jobTitle, SV_Action* job) {
                    *subjob = plainText(jobTitle);
                    if (!job)
                        return;
                    const QString name = *subjob;
                    m_stageConnections << connect(
                        job, &SV_Action::sig_error, this, [failures, name](const QString& message) {
                            failures->append(name + QStringLiteral(": ") + plainText(message));
                        });
                });
            m_stageConnections << connect(
                action, &SV_Action::sig_progress, this, [this, action, title, subjob](int n) {
                    const QString t =
                        subjob->isEmpty() ? title : title + QStringLiteral(": ") + *subjob;
                    m_terminal.progress(t, percentOf(n, action->totalSteps()));
                });
            m_stageConnections << connect(
                action, &SV_Action::sig_actionDone, this, [this, action, failures] {
                    m_terminal.endProgress();
                    if (action->successful()) {
                        m_terminal.writeWrapped(
                            tr("The Installation appears to have successfully completed."));
                        return;
                    }
                    m_terminal.writeWrapped(tr("An error occured during installation, please "
                                               "view the Log for details"));
                    for (const QString& failure : std::as_const(*failures))
                        m_terminal.writeWrapped(failure, 2);
                });
        }
    }
}

void SV_ConsoleViewer::printStage(SV_Stage* stage) {
    const QString title = plainText(stage->text());
    m_terminal.write(QStringLiteral("\n== %1 ==\n").arg(title.isEmpty() ? stage->ID() : title));
    const QString file = stage->descriptionFile();
    if (!file.isEmpty()) {
        QFile description(m_engine->translationFile(file));
        if (description.open(QIODevice::ReadOnly))
            m_terminal.writeWrapped(plainText(QString::fromUtf8(description.readAll())));
    }
}

void SV_ConsoleViewer::printOutput(SV_UIElement* element) {
    if (auto* out = qobject_cast<SV_UIVariableOutput*>(element)) {
        if (!out->variable())
            return;
        QString text =
            plainText(element->text().isEmpty() ? out->variable()->text() : element->text());
        if (!text.endsWith(QLatin1Char(':')))
            text += QLatin1Char(':');
        m_terminal.writeWrapped(text + QLatin1Char(' ') + out->variable()->value());
    } else if (auto* in = qobject_cast<SV_UIVariableInput*>(element)) {
        SV_Variable* v = in->variable();
        if (!v)
            return;
        QString value = v->value();
        if (qobject_cast<SV_PasswordVariable*>(v))
            value = v->valueProblem().isNull() ? tr("(set)") : tr("(not valid)");
        m_terminal.writeWrapped(label(v) + QStringLiteral(": ") + value, 2);
    } else if (qobject_cast<SV_UIActionSequence*>(element) ||
               qobject_cast<SV_UIInstallSequence*>(element) ||
               qobject_cast<SV_UIActionLauncher*>(element)) {
        // Sequences report as they run; launchers are offered with the commands.
    } else if (qobject_cast<SV_UIOutput*>(element)) {
        m_terminal.writeWrapped(plainText(element->text()));
    }
}

bool SV_ConsoleViewer::presentElements(SV_Stage* stage, bool askInputs) {
    // In document order, as the window places them; an element's display condition is
    // taken when it is reached, so an answer can show or hide the elements after it.
    for (SV_UIElement* element : stage->uiElements()) {
        if (!element->isValid())
            continue;
        auto* in = qobject_cast<SV_UIVariableInput*>(element);
        if (in && askInputs) {
            if (in->variable() && !ask(in->variable()))
                return false;
            continue;
        }
        printOutput(element);
    }
    return true;
}

void SV_ConsoleViewer::slot_checkCurrStage() {
    if (m_ended || !m_wizard || m_wizard->finishing() || !m_current || m_handled ||
        m_wizard->busy())
        return;
    m_handled = true;
    if (m_interactive)
        runInteractive(m_current);
    else
        runUnattended(m_current);
}

void SV_ConsoleViewer::goForward() {
    if (m_wizard->offersDone()) {
        leaveStage();
        m_terminal.write(QLatin1Char('\n') + tr("Finishing the installation...") +
                         QLatin1Char('\n'));
        m_current = nullptr;
    }
    m_wizard->forward();
}

void SV_ConsoleViewer::runUnattended(SV_Stage* stage) {
    for (SV_UIElement* element : stage->uiElements())
        if (auto* in = qobject_cast<SV_UIVariableInput*>(element))
            if (element->isValid())
                m_answers.reapply(in->variable());
    presentElements(stage, false);
    if (m_wizard->canContinue()) {
        goForward();
        return;
    }
    const QString title = plainText(stage->text());
    writeError(tr("vantor: the stage \"%1\" (%2) cannot continue with the answers given: %3")
                   .arg(title, stage->ID(), plainText(m_wizard->whyNot())) +
               QLatin1Char('\n'));
    m_ended = true;
    leaveStage();
    m_engine->endRun(SV_Wizard::ExitIncomplete);
}

void SV_ConsoleViewer::runInteractive(SV_Stage* stage) {
    bool askInputs = true;
    for (;;) {
        bool hasInputs = false;
        QList<SV_UIActionLauncher*> launchers;
        for (SV_UIElement* element : stage->uiElements()) {
            if (!element->isValid())
                continue;
            if (auto* in = qobject_cast<SV_UIVariableInput*>(element))
                hasInputs = hasInputs || in->variable();
            else if (auto* l = qobject_cast<SV_UIActionLauncher*>(element))
                if (l->action())
                    launchers << l;
        }
        if (!presentElements(stage, askInputs && hasInputs)) {
            endOfInput();
            return;
        }
        askInputs = false;
        const bool can = m_wizard->canContinue();
        QStringList options;
        if (can)
            options << tr("Enter = %1")
                           .arg(plainControl(m_wizard->controlText(
                               m_wizard->offersDone() ? kFinish : QStringLiteral("next"))));
        else
            m_terminal.writeWrapped(
                tr("This stage cannot continue yet: %1").arg(plainText(m_wizard->whyNot())));
        if (m_wizard->controlVisible(QStringLiteral("back")))
            options << QStringLiteral("b = %1").arg(
                plainControl(m_wizard->controlText(QStringLiteral("back"))));
        if (hasInputs)
            options << tr("e = change the answers");
        for (int i = 0; i < launchers.size(); ++i)
            options << QStringLiteral("%1 = %2").arg(i + 1).arg(plainText(launchers[i]->text()));
        options << tr("l = show the log");
        if (m_wizard->controlVisible(QStringLiteral("cancel")))
            options << QStringLiteral("c = %1").arg(
                plainControl(m_wizard->controlText(QStringLiteral("cancel"))));
        m_terminal.writeWrapped(QLatin1Char('(') + options.join(QStringLiteral(", ")) +
                                QLatin1Char(')'));
        QString command;
        if (!m_terminal.readLine(QStringLiteral("> "), command)) {
            endOfInput();
            return;
        }
        command = command.trimmed().toLower();
        if (command.isEmpty() || command == QLatin1String("n") || command == QLatin1String("d")) {
            if (!can) {
                askInputs = hasInputs;
                continue;
            }
            goForward();
            return;
        }
        if (command == QLatin1String("b") && m_wizard->controlVisible(QStringLiteral("back"))) {
            m_wizard->back();
            return;
        }
        if (command == QLatin1String("e") && hasInputs) {
            askInputs = true;
            continue;
        }
        if (command == QLatin1String("l")) {
            showLog();
            continue;
        }
        if (command == QLatin1String("c") && m_wizard->controlVisible(QStringLiteral("cancel"))) {
            if (m_wizard->cancel() || m_ended) {
                m_ended = true;
                leaveStage();
                return;
            }
            continue;
        }
        bool ok = false;
        const int n = command.toInt(&ok);
        if (ok && n >= 1 && n <= launchers.size()) {
            launch(launchers[n - 1]->action(), plainText(launchers[n - 1]->text()));
            if (m_ended)
                return;
            continue;
        }
        m_terminal.write(tr("  Unknown command \"%1\".\n").arg(command));
    }
}

// ---- prompts ----

bool SV_ConsoleViewer::ask(SV_Variable* variable) {
    if (qobject_cast<SV_BoolVariable*>(variable))
        return askBool(variable);
    if (qobject_cast<SV_PasswordVariable*>(variable))
        return askPassword(variable);
    if (qobject_cast<SV_MChoiceVariable*>(variable))
        return askChoice(variable, true);
    if (qobject_cast<SV_ChoiceVariable*>(variable))
        return askChoice(variable, false);
    for (;;) {
        const QString current = variable->formatAnswer();
        const QString shown = current.isEmpty() ? QString() : QStringLiteral(" [%1]").arg(current);
        QString line;
        if (!m_terminal.readLine(label(variable) + shown + QStringLiteral(": "), line))
            return false;
        if (line.isEmpty())
            line = current; // keeps the value, if the variable takes it
        const QString why = SV_ConsoleAnswers::store(variable, line);
        if (why.isNull())
            return true;
        m_terminal.writeWrapped(tr("%1. Please try again.").arg(why), 2);
    }
}

bool SV_ConsoleViewer::askPassword(SV_Variable* variable) {
    const bool valid = variable->isCurrentDataValid(QStringLiteral("valid-password"));
    for (;;) {
        QString first;
        const QString prompt =
            valid ? tr("%1 (Enter keeps the current one): ") : QStringLiteral("%1: ");
        if (!m_terminal.readLine(prompt.arg(label(variable)), first, true))
            return false;
        if (first.isEmpty() && valid)
            return true;
        QStringList values;
        const QString why = variable->parseAnswer(first, values);
        if (!why.isNull()) {
            m_terminal.writeWrapped(tr("%1. Please try again.").arg(why), 2);
            continue;
        }
        QString second;
        if (!m_terminal.readLine(tr("Repeat the password: "), second, true))
            return false;
        if (first != second) {
            m_terminal.writeWrapped(tr("The passwords do not match. Please try again."), 2);
            continue;
        }
        variable->storeValue({first, second});
        return true;
    }
}

bool SV_ConsoleViewer::askBool(SV_Variable* variable) {
    auto* b = static_cast<SV_BoolVariable*>(variable);
    QString yes = plainText(b->option(QStringLiteral("true-text")));
    QString no = plainText(b->option(QStringLiteral("false-text")));
    if (yes.isEmpty())
        yes = SV_ConsoleYesNo::tr("yes");
    if (no.isEmpty())
        no = SV_ConsoleYesNo::tr("no");
    const QString yesLetter = SV_ConsoleYesNo::yesLetter();
    const QString noLetter = SV_ConsoleYesNo::noLetter();
    const QString def = b->isTrue() ? yesLetter : b->isFalse() ? noLetter : QString();
    for (;;) {
        QString line;
        const QString shown = def.isNull() ? QString() : QStringLiteral(" [%1]").arg(def);
        if (!m_terminal.readLine(QStringLiteral("%1? (%2 = %3, %4 = %5)%6: ")
                                     .arg(label(variable), yesLetter, yes, noLetter, no, shown),
                                 line))
            return false;
        line = line.trimmed();
        if (line.isEmpty())
            line = def;
        // The letters and words typed here (in the user's language, or English) become
        // the answer words true and false.
        switch (SV_ConsoleYesNo::parse(line, yes, no)) {
        case SV_ConsoleYesNo::Yes:
            line = QStringLiteral("true");
            break;
        case SV_ConsoleYesNo::No:
            line = QStringLiteral("false");
            break;
        case SV_ConsoleYesNo::Neither:
            break;
        }
        if (SV_ConsoleAnswers::store(variable, line).isNull())
            return true;
        m_terminal.writeWrapped(tr("Please answer %1 or %2.").arg(yesLetter, noLetter), 2);
    }
}

bool SV_ConsoleViewer::askChoice(SV_Variable* variable, bool multiple) {
    QList<SV_Choice*> choices;
    auto it = variable->choiceIterator();
    while (it.hasNext())
        choices << it.next();
    const bool profiles = qobject_cast<SV_ProfileVariable*>(variable) != nullptr;
    for (;;) {
        m_terminal.write(label(variable) + QStringLiteral(":\n"));
        QStringList selected;
        for (int i = 0; i < choices.size(); ++i) {
            SV_Choice* c = choices[i];
            QString text = plainText(c->text());
            if (profiles) {
                SV_Profile* p = c->ID().isNull() ? nullptr : m_engine->profile(c->ID());
                text = p ? plainText(p->text()) : QString();
            }
            if (text.isEmpty())
                text = c->ID();
            if (c->selected)
                selected << QString::number(i + 1);
            const QString mark = multiple
                                     ? (c->selected ? QStringLiteral("[x]") : QStringLiteral("[ ]"))
                                     : (c->selected ? QStringLiteral("*") : QStringLiteral(" "));
            m_terminal.writeWrapped(QStringLiteral("%1 %2) %3").arg(mark).arg(i + 1).arg(text), 2);
        }
        const QString def = multiple ? selected.join(QLatin1Char(',')) : selected.value(0);
        QString line;
        const QString ask =
            multiple ? tr("Numbers or ids, separated by commas, - for none") : tr("Number or id");
        const QString shown = def.isEmpty() ? QString() : QStringLiteral(" [%1]").arg(def);
        if (!m_terminal.readLine(ask + shown + QStringLiteral(": "), line))
            return false;
        line = line.trimmed();
        if (line.isEmpty()) {
            if (!def.isEmpty() || multiple)
                return true;
            m_terminal.writeWrapped(tr("Please choose one."), 2);
            continue;
        }
        // Numbers stand for the choices listed; everything else is taken as an id.
        QStringList ids;
        const QStringList tokens =
            multiple && line == QLatin1String("-")
                ? QStringList()
                : (multiple ? line.split(QLatin1Char(','), Qt::SkipEmptyParts) : QStringList{line});
        for (QString token : tokens) {
            token = token.trimmed();
            bool ok = false;
            const int n = token.toInt(&ok);
            ids << (ok && n >= 1 && n <= choices.size() ? choices[n - 1]->ID() : token);
        }
        const QString why = SV_ConsoleAnswers::store(variable, ids.join(QLatin1Char(',')));
        if (!why.isNull()) {
            m_terminal.writeWrapped(tr("%1. Please try again.").arg(why), 2);
            continue;
        }
        if (multiple)
            m_terminal.writeWrapped(
                tr("Selected: %1")
                    .arg(variable->value().isEmpty() ? tr("none") : variable->value()),
                2);
        return true;
    }
}

void SV_ConsoleViewer::launch(SV_Action* action, const QString& title) {
    QEventLoop loop;
    QList<QMetaObject::Connection> connections;
    connections << connect(action, &SV_Action::sig_progress, this, [this, action, title](int n) {
        m_terminal.progress(title, percentOf(n, action->totalSteps()));
    });
    connections << connect(action, &SV_Action::sig_text, this, [this](const QString& line) {
        m_terminal.write(QStringLiteral("    ") + line + QLatin1Char('\n'));
    });
    connections << connect(action, &SV_Action::sig_error, this, [this](const QString& message) {
        m_terminal.write(QStringLiteral("  ") + plainText(message) + QLatin1Char('\n'));
    });
    connections << connect(action, &SV_Action::sig_actionDone, &loop, &QEventLoop::quit);
    action->slot_start();
    if (!action->done())
        loop.exec();
    for (const QMetaObject::Connection& c : connections)
        disconnect(c);
    m_terminal.endProgress();
    m_terminal.write((action->successful() ? tr("  %1: done").arg(title)
                                           : tr("  %1: failed (see the log)").arg(title)) +
                     QLatin1Char('\n'));
}

void SV_ConsoleViewer::endOfInput() {
    m_terminal.write(QLatin1Char('\n') + tr("End of input: the installation is cancelled.") +
                     QLatin1Char('\n'));
    m_ended = true;
    leaveStage();
    m_engine->endRun(SV_Wizard::ExitIncomplete);
}

// ---- services for the engine and the actions ----

QString SV_ConsoleViewer::getYesNo(const QString& question) {
    m_terminal.writeWrapped(plainText(question));
    if (!m_interactive || m_ended) {
        m_terminal.write(tr("Answered \"no\" (unattended installation).") + QLatin1Char('\n'));
        return QStringLiteral("no");
    }
    for (;;) {
        QString line;
        if (!m_terminal.readLine(SV_ConsoleYesNo::choices() + QStringLiteral(": "), line)) {
            endOfInput();
            return QStringLiteral("no");
        }
        switch (SV_ConsoleYesNo::parse(line)) {
        case SV_ConsoleYesNo::Yes:
            return QStringLiteral("yes");
        case SV_ConsoleYesNo::No:
            return QStringLiteral("no");
        case SV_ConsoleYesNo::Neither:
            break;
        }
        m_terminal.writeWrapped(tr("Please answer %1 or %2.")
                                    .arg(SV_ConsoleYesNo::yesLetter(), SV_ConsoleYesNo::noLetter()),
                                2);
    }
}

void SV_ConsoleViewer::showPrompt(const QString& message) {
    m_terminal.writeWrapped(plainText(message));
}

void SV_ConsoleViewer::showLog() {
    m_terminal.write(m_engine->getTextLog(SV_LogAll) + QLatin1Char('\n'));
}

void SV_ConsoleViewer::slot_writeLog() {
    m_terminal.endProgress();
    const int status = m_engine->exitStatus();
    switch (status) {
    case 0:
        m_terminal.write(QLatin1Char('\n') + tr("The installation is complete.") +
                         QLatin1Char('\n'));
        break;
    case 3:
        m_terminal.write(
            QLatin1Char('\n') +
            tr("The installation ended, but actions reported errors (exit status 3).") +
            QLatin1Char('\n'));
        break;
    default:
        m_terminal.write(QLatin1Char('\n') +
                         tr("The installation was not completed (exit status %1).").arg(status) +
                         QLatin1Char('\n'));
        break;
    }
    QTemporaryFile file(QDir::tempPath() + QStringLiteral("/vantor-install-XXXXXX.log"));
    file.setAutoRemove(false);
    if (!file.open()) {
        writeError(tr("vantor: could not write the installation log: %1").arg(file.errorString()) +
                   QLatin1Char('\n'));
        return;
    }
    file.write(m_engine->getTextLog(SV_LogAll).toUtf8());
    if (!file.flush()) {
        writeError(tr("vantor: could not write the installation log %1").arg(file.fileName()) +
                   QLatin1Char('\n'));
        return;
    }
    // Not translated: scripts read the path from this line.
    m_terminal.write(QStringLiteral("Installation log: %1\n").arg(file.fileName()));
}
