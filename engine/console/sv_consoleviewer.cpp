#include "sv_consoleviewer.h"

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
QString controlLabel(SV_Stage* stage, const QString& control, const QString& fallback) {
    QString text = stage->controlText(control);
    if (text.isNull())
        text = fallback;
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
    m_terminal.write(QStringLiteral("Languages:\n"));
    for (int i = 0; i < languages.size(); ++i)
        m_terminal.write(QStringLiteral("  %1) %2 (%3)\n")
                             .arg(i + 1)
                             .arg(languages[i].name, languages[i].encoding));
    for (;;) {
        QString line;
        if (!m_terminal.readLine(QStringLiteral("Language [%1]: ").arg(def + 1), line)) {
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
        m_terminal.write(QStringLiteral("  Please give a number from 1 to %1.\n").arg(languages.size()));
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
            QString text = QStringLiteral("vantor: the answers cannot be used, nothing was installed:\n");
            for (const QString& p : m_answers.problems())
                text += QStringLiteral("  answers ") + p + QLatin1Char('\n');
            writeError(text);
            m_ended = true;
            m_engine->endRun(2);
            return;
        }
        m_answers.applyAll(m_engine);
        m_terminal.write(QStringLiteral("Unattended installation: %1 answers read.\n")
                             .arg(m_answers.answers().size()));
    }
    const QString app = plainText(m_engine->installInfo().appName);
    if (!app.isEmpty())
        m_terminal.write(QStringLiteral("\n%1\n%2\n").arg(app, QString(app.size(), QLatin1Char('='))));
    SV_Stage* first = m_engine->firstStage();
    if (first && !first->isValid())
        first = first->getNextValidStage();
    if (!first) {
        m_terminal.write(QStringLiteral("The installation has no stage to show.\n"));
        finish();
        return;
    }
    showStage(first);
}

// ---- stages ----

void SV_ConsoleViewer::leaveStage() {
    for (const QMetaObject::Connection& c : m_stageConnections)
        disconnect(c);
    m_stageConnections.clear();
    if (m_current)
        m_current->finish();
    m_terminal.endProgress();
}

void SV_ConsoleViewer::showStage(SV_Stage* stage) {
    leaveStage();
    m_current = stage;
    m_initDone = false;
    m_waitingForSequences = stage->hasActionSequences();
    m_handled = false;
    printStage(stage);
    m_stageConnections << connect(stage, &SV_Stage::sig_initializationDone, this, [this] {
        m_initDone = true;
        QTimer::singleShot(0, this, &SV_ConsoleViewer::slot_checkCurrStage);
    });
    m_stageConnections << connect(stage, &SV_Stage::sig_stageActionsDone, this, [this] {
        m_waitingForSequences = false;
        QTimer::singleShot(0, this, &SV_ConsoleViewer::slot_checkCurrStage);
    });
    watchSequences(stage);
    stage->init();
}

void SV_ConsoleViewer::watchSequences(SV_Stage* stage) {
    for (SV_UIElement* element : stage->uiElements()) {
        if (auto* seq = qobject_cast<SV_UIActionSequence*>(element)) {
            SV_ActionProcessorAction* action = seq->action();
            QString title = plainText(seq->text());
            if (title.isEmpty())
                title = tr("Running actions");
            const bool text = seq->option(QStringLiteral("output")) == QLatin1String("text");
            m_stageConnections << connect(action, &SV_Action::sig_progress, this,
                                          [this, action, title](int n) {
                                              m_terminal.progress(title, percentOf(n, action->totalSteps()));
                                          });
            if (text)
                m_stageConnections << connect(action, &SV_Action::sig_text, this, [this](const QString& line) {
                    m_terminal.write(QStringLiteral("    ") + line + QLatin1Char('\n'));
                });
            m_stageConnections << connect(action, &SV_Action::sig_error, this, [this](const QString& message) {
                m_terminal.write(QStringLiteral("  ") + plainText(message) + QLatin1Char('\n'));
            });
            m_stageConnections << connect(action, &SV_Action::sig_actionDone, this, [this] {
                m_terminal.endProgress();
            });
        } else if (auto* inst = qobject_cast<SV_UIInstallSequence*>(element)) {
            SV_InstallSequenceAction* action = inst->action();
            QString title = plainText(inst->text());
            if (title.isEmpty())
                title = tr("Installation Progress");
            auto subjob = std::make_shared<QString>();
            m_stageConnections << connect(action, &SV_InstallSequenceAction::sig_new_subjob, this,
                                          [this, subjob](const QString& jobTitle, SV_Action*) {
                                              *subjob = plainText(jobTitle);
                                          });
            m_stageConnections << connect(action, &SV_Action::sig_progress, this,
                                          [this, action, title, subjob](int n) {
                                              const QString t = subjob->isEmpty() ? title : title + QStringLiteral(": ") + *subjob;
                                              m_terminal.progress(t, percentOf(n, action->totalSteps()));
                                          });
            m_stageConnections << connect(action, &SV_Action::sig_actionDone, this, [this, action] {
                m_terminal.endProgress();
                m_terminal.writeWrapped(action->successful()
                                            ? tr("The Installation appears to have successfully completed.")
                                            : tr("An error occured during installation, please view the Log for details"));
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

void SV_ConsoleViewer::printOutputs(SV_Stage* stage) {
    for (SV_UIElement* element : stage->uiElements()) {
        if (!element->isValid())
            continue;
        if (qobject_cast<SV_UIOutput*>(element)) {
            m_terminal.writeWrapped(plainText(element->text()));
        } else if (auto* out = qobject_cast<SV_UIVariableOutput*>(element)) {
            if (!out->variable())
                continue;
            QString text = element->text().isNull() ? out->variable()->text() : element->text();
            text = plainText(text);
            if (!text.endsWith(QLatin1Char(':')))
                text += QLatin1Char(':');
            m_terminal.writeWrapped(text + QLatin1Char(' ') + out->variable()->value());
        } else if (!m_interactive) {
            if (auto* in = qobject_cast<SV_UIVariableInput*>(element)) {
                SV_Variable* v = in->variable();
                QString value = v->value();
                if (qobject_cast<SV_PasswordVariable*>(v))
                    value = v->isCurrentDataValid(QStringLiteral("valid-password")) ? QStringLiteral("(set)")
                                                                                   : QStringLiteral("(not valid)");
                m_terminal.writeWrapped(label(v) + QStringLiteral(": ") + value, 2);
            }
        }
    }
}

QString SV_ConsoleViewer::describeInputs(SV_Stage* stage) {
    QStringList parts;
    for (SV_UIElement* element : stage->uiElements()) {
        auto* in = qobject_cast<SV_UIVariableInput*>(element);
        if (!in || !in->variable() || !element->isValid())
            continue;
        SV_Variable* v = in->variable();
        QString value;
        if (qobject_cast<SV_PasswordVariable*>(v))
            value = v->isCurrentDataValid(QStringLiteral("valid-password")) ? QStringLiteral("(valid)")
                                                                           : QStringLiteral("(not a valid password)");
        else
            value = QLatin1Char('"') + SV_ConsoleAnswers::answerForm(v) + QLatin1Char('"');
        parts << QStringLiteral("%1 (%2) = %3").arg(v->ID(), label(v), value);
    }
    return parts.isEmpty() ? QStringLiteral("(no variables)") : parts.join(QStringLiteral("; "));
}

void SV_ConsoleViewer::slot_checkCurrStage() {
    if (m_ended || m_finishing || !m_current || m_handled || !m_initDone || m_waitingForSequences)
        return;
    m_handled = true;
    if (m_interactive)
        runInteractive(m_current);
    else
        runUnattended(m_current);
}

void SV_ConsoleViewer::goNext(SV_Stage* stage) {
    SV_Stage* next = stage->controlVisible(kFinish) ? nullptr : stage->getNextValidStage();
    if (next)
        showStage(next);
    else
        finish();
}

void SV_ConsoleViewer::finish() {
    leaveStage();
    m_current = nullptr;
    m_finishing = true;
    m_terminal.write(QStringLiteral("\nFinishing the installation...\n"));
    m_engine->finishInstall();
}

void SV_ConsoleViewer::runUnattended(SV_Stage* stage) {
    for (SV_UIElement* element : stage->uiElements())
        if (auto* in = qobject_cast<SV_UIVariableInput*>(element))
            if (element->isValid())
                m_answers.reapply(in->variable());
    printOutputs(stage);
    if (stage->canContinue()) {
        goNext(stage);
        return;
    }
    const QString title = plainText(stage->text());
    writeError(QStringLiteral("vantor: the stage \"%1\" (%2) cannot continue with the answers given; "
                              "its variables: %3\n")
                   .arg(title, stage->ID(), describeInputs(stage)));
    m_ended = true;
    leaveStage();
    m_engine->endRun(2);
}

void SV_ConsoleViewer::runInteractive(SV_Stage* stage) {
    QList<SV_Variable*> inputs;
    QList<SV_UIActionLauncher*> launchers;
    for (SV_UIElement* element : stage->uiElements()) {
        if (!element->isValid())
            continue;
        if (auto* in = qobject_cast<SV_UIVariableInput*>(element)) {
            if (in->variable())
                inputs << in->variable();
        } else if (auto* l = qobject_cast<SV_UIActionLauncher*>(element)) {
            if (l->action())
                launchers << l;
        }
    }
    bool askInputs = true;
    for (;;) {
        if (askInputs) {
            for (SV_Variable* v : inputs)
                if (!ask(v)) {
                    endOfInput();
                    return;
                }
            askInputs = false;
        }
        printOutputs(stage);
        const bool can = stage->canContinue();
        const bool finishVisible = stage->controlVisible(kFinish);
        QStringList options;
        if (can)
            options << QStringLiteral("Enter = %1").arg(finishVisible ? controlLabel(stage, kFinish, tr("Done"))
                                                                     : controlLabel(stage, QStringLiteral("next"), tr("Next")));
        else
            m_terminal.writeWrapped(QStringLiteral("This stage cannot continue yet. Check: ") + describeInputs(stage));
        if (stage->controlVisible(QStringLiteral("back")))
            options << QStringLiteral("b = %1").arg(controlLabel(stage, QStringLiteral("back"), tr("Back")));
        if (!inputs.isEmpty())
            options << QStringLiteral("e = change the answers");
        for (int i = 0; i < launchers.size(); ++i)
            options << QStringLiteral("%1 = %2").arg(i + 1).arg(plainText(launchers[i]->text()));
        options << QStringLiteral("l = show the log");
        if (stage->controlVisible(QStringLiteral("cancel")))
            options << QStringLiteral("c = %1").arg(controlLabel(stage, QStringLiteral("cancel"), tr("Cancel")));
        m_terminal.writeWrapped(QLatin1Char('(') + options.join(QStringLiteral(", ")) + QLatin1Char(')'));
        QString command;
        if (!m_terminal.readLine(QStringLiteral("> "), command)) {
            endOfInput();
            return;
        }
        command = command.trimmed().toLower();
        if (command.isEmpty() || command == QLatin1String("n") || command == QLatin1String("d")) {
            if (!can) {
                askInputs = !inputs.isEmpty();
                continue;
            }
            goNext(stage);
            return;
        }
        if (command == QLatin1String("b") && stage->controlVisible(QStringLiteral("back"))) {
            SV_Stage* prev = stage->getPrevValidStage();
            showStage(prev ? prev : m_engine->firstStage());
            return;
        }
        if (command == QLatin1String("e") && !inputs.isEmpty()) {
            askInputs = true;
            continue;
        }
        if (command == QLatin1String("l")) {
            showLog();
            continue;
        }
        if (command == QLatin1String("c") && stage->controlVisible(QStringLiteral("cancel"))) {
            m_engine->cancelInstall();
            if (m_ended)
                return;
            if (m_engine->exitStatus() == 2) { // confirmed: the engine ends the run
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
        m_terminal.write(QStringLiteral("  Unknown command \"%1\".\n").arg(command));
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
        const QString current = variable->value();
        QString line;
        if (!m_terminal.readLine(label(variable) +
                                     (current.isEmpty() ? QString() : QStringLiteral(" [%1]").arg(current)) +
                                     QStringLiteral(": "),
                                 line))
            return false;
        if (line.isEmpty())
            line = current; // keeps the value, if the variable takes it
        const QString why = SV_ConsoleAnswers::checkValue(variable, line);
        if (!why.isNull()) {
            m_terminal.writeWrapped(QStringLiteral("%1. Please try again.").arg(why), 2);
            continue;
        }
        if (line != current)
            SV_ConsoleAnswers::storeValue(variable, line);
        return true;
    }
}

bool SV_ConsoleViewer::askPassword(SV_Variable* variable) {
    const bool valid = variable->isCurrentDataValid(QStringLiteral("valid-password"));
    for (;;) {
        QString first;
        if (!m_terminal.readLine(label(variable) +
                                     (valid ? QStringLiteral(" (Enter keeps the current one): ") : QStringLiteral(": ")),
                                 first, true))
            return false;
        if (first.isEmpty() && valid)
            return true;
        const QString why = SV_ConsoleAnswers::checkValue(variable, first);
        if (!why.isNull()) {
            m_terminal.writeWrapped(QStringLiteral("%1. Please try again.").arg(why), 2);
            continue;
        }
        QString second;
        if (!m_terminal.readLine(QStringLiteral("Repeat the password: "), second, true))
            return false;
        if (first != second) {
            m_terminal.writeWrapped(QStringLiteral("The passwords do not match. Please try again."), 2);
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
        yes = QStringLiteral("yes");
    if (no.isEmpty())
        no = QStringLiteral("no");
    const QString def = b->isTrue() ? QStringLiteral("y") : b->isFalse() ? QStringLiteral("n") : QString();
    for (;;) {
        QString line;
        if (!m_terminal.readLine(QStringLiteral("%1? (y = %2, n = %3)%4: ")
                                     .arg(label(variable), yes, no,
                                          def.isNull() ? QString() : QStringLiteral(" [%1]").arg(def)),
                                 line))
            return false;
        line = line.trimmed();
        if (line.isEmpty())
            line = def;
        const QString l = line.toLower();
        if (l == QLatin1String("y") || l == QLatin1String("yes") || l == QLatin1String("true") || l == yes.toLower()) {
            b->storeValue({QStringLiteral("true")});
            return true;
        }
        if (l == QLatin1String("n") || l == QLatin1String("no") || l == QLatin1String("false") || l == no.toLower()) {
            b->storeValue({QStringLiteral("false")});
            return true;
        }
        m_terminal.writeWrapped(QStringLiteral("Please answer y or n."), 2);
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
            m_terminal.writeWrapped(QStringLiteral("%1 %2) %3").arg(multiple ? (c->selected ? QStringLiteral("[x]") : QStringLiteral("[ ]"))
                                                                            : (c->selected ? QStringLiteral("*") : QStringLiteral(" ")))
                                        .arg(i + 1)
                                        .arg(text),
                                    2);
        }
        const QString def = multiple ? selected.join(QLatin1Char(',')) : selected.value(0);
        QString line;
        if (!m_terminal.readLine(
                (multiple ? QStringLiteral("Numbers or ids, separated by commas, - for none")
                          : QStringLiteral("Number or id")) +
                    (def.isEmpty() ? QString() : QStringLiteral(" [%1]").arg(def)) + QStringLiteral(": "),
                line))
            return false;
        line = line.trimmed();
        if (line.isEmpty()) {
            if (!def.isEmpty() || multiple)
                return true;
            m_terminal.writeWrapped(QStringLiteral("Please choose one."), 2);
            continue;
        }
        QStringList ids;
        QStringList unknown;
        const QStringList tokens = multiple && line == QLatin1String("-")
                                       ? QStringList()
                                       : (multiple ? line.split(QLatin1Char(','), Qt::SkipEmptyParts) : QStringList{line});
        for (QString token : tokens) {
            token = token.trimmed();
            bool ok = false;
            const int n = token.toInt(&ok);
            if (ok && n >= 1 && n <= choices.size())
                ids << choices[n - 1]->ID();
            else if (variable->choice(token))
                ids << token;
            else
                unknown << token;
        }
        if (!unknown.isEmpty()) {
            m_terminal.writeWrapped(QStringLiteral("No choice \"%1\". Please try again.").arg(unknown.join(QStringLiteral("\", \""))), 2);
            continue;
        }
        SV_ConsoleAnswers::storeValue(variable, ids.join(QLatin1Char(',')));
        if (multiple)
            m_terminal.writeWrapped(QStringLiteral("Selected: %1").arg(variable->value().isEmpty() ? QStringLiteral("none") : variable->value()), 2);
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
    m_terminal.write(action->successful() ? QStringLiteral("  %1: done\n").arg(title)
                                          : QStringLiteral("  %1: failed (see the log)\n").arg(title));
}

void SV_ConsoleViewer::endOfInput() {
    m_terminal.write(QStringLiteral("\nEnd of input: the installation is cancelled.\n"));
    m_ended = true;
    leaveStage();
    m_engine->endRun(2);
}

// ---- services for the engine and the actions ----

QString SV_ConsoleViewer::getYesNo(const QString& question) {
    m_terminal.writeWrapped(plainText(question));
    if (!m_interactive || m_ended) {
        m_terminal.write(QStringLiteral("Answered \"no\" (unattended installation).\n"));
        return QStringLiteral("no");
    }
    for (;;) {
        QString line;
        if (!m_terminal.readLine(QStringLiteral("(y/n): "), line)) {
            endOfInput();
            return QStringLiteral("no");
        }
        line = line.trimmed().toLower();
        if (line == QLatin1String("y") || line == QLatin1String("yes"))
            return QStringLiteral("yes");
        if (line == QLatin1String("n") || line == QLatin1String("no"))
            return QStringLiteral("no");
        m_terminal.writeWrapped(QStringLiteral("Please answer y or n."), 2);
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
        m_terminal.write(QStringLiteral("\nThe installation is complete.\n"));
        break;
    case 3:
        m_terminal.write(QStringLiteral("\nThe installation ended, but actions reported errors (exit status 3).\n"));
        break;
    default:
        m_terminal.write(QStringLiteral("\nThe installation was not completed (exit status %1).\n").arg(status));
        break;
    }
    QTemporaryFile file(QDir::tempPath() + QStringLiteral("/vantor-install-XXXXXX.log"));
    file.setAutoRemove(false);
    if (!file.open()) {
        writeError(QStringLiteral("vantor: could not write the installation log: %1\n").arg(file.errorString()));
        return;
    }
    file.write(m_engine->getTextLog(SV_LogAll).toUtf8());
    if (!file.flush()) {
        writeError(QStringLiteral("vantor: could not write the installation log %1\n").arg(file.fileName()));
        return;
    }
    m_terminal.write(QStringLiteral("Installation log: %1\n").arg(file.fileName()));
}
