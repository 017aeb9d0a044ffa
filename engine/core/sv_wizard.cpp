#include "sv_wizard.h"

#include "sv_condition.h"
#include "sv_conditionprocessor.h"
#include "sv_engine.h"
#include "sv_stage.h"
#include "sv_uielement.h"
#include "sv_variable.h"

namespace {

const QString kCancel = QStringLiteral("cancel");
const QString kBack = QStringLiteral("back");
const QString kNext = QStringLiteral("next");
const QString kFinish = QStringLiteral("finish");

QString quoted(const QString& text) {
    return QLatin1Char('"') + text + QLatin1Char('"');
}

} // namespace

namespace {

std::function<void(SV_Wizard*)>& creationHook() {
    static std::function<void(SV_Wizard*)> hook;
    return hook;
}

} // namespace

SV_Wizard::SV_Wizard(QObject* parent) : QObject(parent), m_engine(SV_Engine::engine()) {
    if (creationHook())
        creationHook()(this);
}

void SV_Wizard::setCreationHook(std::function<void(SV_Wizard*)> hook) {
    creationHook() = std::move(hook);
}

SV_Wizard::~SV_Wizard() {
    disconnectStage();
}

SV_Stage* SV_Wizard::firstValidStage() {
    SV_Stage* first = SV_Engine::engine()->firstStage();
    if (!first)
        return nullptr;
    return first->isValid() ? first : first->getNextValidStage();
}

bool SV_Wizard::start() {
    SV_Stage* first = firstValidStage();
    if (!first)
        return false;
    showStage(first);
    return true;
}

void SV_Wizard::disconnectStage() {
    for (const QMetaObject::Connection& c : std::as_const(m_connections))
        disconnect(c);
    m_connections.clear();
}

void SV_Wizard::showStage(SV_Stage* stage) {
    if (!stage || m_finishing)
        return;
    if (m_current)
        m_current->finish();
    disconnectStage();
    m_current = stage;
    // The stage's own flag stays set from an earlier visit; the sequences run again on
    // every visit, and the stage cannot be left before they have finished this time.
    m_actionsRunning = stage->hasActionSequences();
    m_connections << connect(stage, &SV_Stage::sig_initializationDone, this,
                             &SV_Wizard::slot_initializationDone);
    m_connections << connect(stage, &SV_Stage::sig_stageActionsDone, this,
                             &SV_Wizard::slot_actionsDone);
    m_connections << connect(stage, &SV_Stage::sig_stageDataValid, this,
                             &SV_Wizard::slot_dataChanged);
    m_connections << connect(stage, &SV_Stage::sig_stageDataInvalid, this,
                             &SV_Wizard::slot_dataChanged);
    emit sig_stageEntered(stage);
    // Last: the initialisation and the sequences may finish before init() returns.
    stage->init();
    emit sig_stateChanged();
}

void SV_Wizard::slot_initializationDone() {
    emit sig_stateChanged();
}

void SV_Wizard::slot_actionsDone() {
    m_actionsRunning = false;
    emit sig_actionsFinished();
    emit sig_stateChanged();
}

void SV_Wizard::slot_dataChanged() {
    emit sig_stateChanged();
}

bool SV_Wizard::next() {
    if (!m_current || offersDone() || !canContinue())
        return false;
    SV_Stage* next = m_current->getNextValidStage();
    if (!next)
        return false;
    emit sig_stagePassed(m_current);
    showStage(next);
    return true;
}

bool SV_Wizard::back() {
    if (!m_current || m_finishing || !m_current->controlVisible(kBack))
        return false;
    SV_Stage* target = m_current->getPrevValidStage();
    if (!target)
        target = m_engine->firstStage();
    if (!target)
        return false;
    showStage(target);
    return true;
}

bool SV_Wizard::done() {
    if (!m_current || !offersDone() || !canContinue())
        return false;
    emit sig_stagePassed(m_current);
    m_finishing = true;
    m_current->finish();
    emit sig_stateChanged();
    m_engine->finishInstall();
    return true;
}

bool SV_Wizard::forward() {
    return offersDone() ? done() : next();
}

bool SV_Wizard::cancel() {
    return m_engine->cancelInstall();
}

bool SV_Wizard::offersDone() const {
    return m_current && m_current->controlVisible(kFinish);
}

bool SV_Wizard::busy() const {
    return m_current && (!m_current->initializationDone() || m_actionsRunning);
}

bool SV_Wizard::canContinue() const {
    return whyNot().isNull();
}

QString SV_Wizard::whyNot() const {
    if (!m_current)
        return tr("No stage is shown.");
    if (m_finishing)
        return tr("The installation is being finished.");
    if (!m_current->initializationDone())
        return tr("The stage is being prepared.");
    if (m_actionsRunning)
        return tr("The stage's actions are still running.");
    const QString input = inputProblem();
    if (!input.isNull())
        return input;
    const QString condition = conditionProblem();
    if (!condition.isNull())
        return condition;
    if (!offersDone() && !m_current->getNextValidStage())
        return tr("This is the last stage, and it offers no way to finish the installation.");
    return QString();
}

QList<SV_UIElement*> SV_Wizard::shownElements() const {
    QList<SV_UIElement*> shown;
    if (!m_current)
        return shown;
    for (SV_UIElement* element : m_current->uiElements())
        if (element->isValid())
            shown.append(element);
    return shown;
}

QString SV_Wizard::variableLabel(SV_Variable* variable) {
    if (!variable)
        return QString();
    const QString text = variable->text();
    return text.isEmpty() ? variable->ID() : text;
}

QString SV_Wizard::inputProblem() const {
    for (SV_UIElement* element : shownElements()) {
        auto* input = qobject_cast<SV_UIVariableInput*>(element);
        if (!input || !input->variable())
            continue;
        const QString why = input->variable()->valueProblem();
        if (!why.isNull())
            return tr("%1: %2").arg(variableLabel(input->variable()), why);
    }
    return QString();
}

QString SV_Wizard::conditionProblem() const {
    const SV_ConditionProcessor& conditions = m_current->continueConditions();
    if (conditions.eval())
        return QString();
    if (conditions.conditionOperator() == QLatin1String("or")) {
        QStringList all;
        for (SV_Condition* c : conditions.conditions())
            all.append(describeCondition(c));
        if (all.isEmpty())
            return tr("The stage's continue conditions can never hold.");
        return tr("One of these must hold: %1").arg(all.join(QLatin1String("; ")));
    }
    for (SV_Condition* c : conditions.conditions())
        if (!c->eval())
            return describeCondition(c);
    return tr("The stage's continue conditions do not hold.");
}

// What a condition asks for, as a sentence about its variable.
QString SV_Wizard::describeCondition(SV_Condition* condition) {
    auto* vc = qobject_cast<SV_VarCondition*>(condition);
    SV_Variable* variable = vc ? vc->variable() : nullptr;
    if (!variable)
        return tr("A condition of this stage names a variable that does not exist.");
    const QString name = variableLabel(variable);
    const QString keyword = condition->option(QStringLiteral("condition"));
    const QString value = condition->option(QStringLiteral("value"));
    auto choiceName = [&](const QString& id) {
        SV_Choice* c = variable->choice(id);
        return c && !c->text().isEmpty() ? c->text() : id;
    };
    if (keyword == QLatin1String("not-empty"))
        return tr("%1 must not be empty.").arg(name);
    if (keyword == QLatin1String("valid-password")) {
        const QString why = variable->valueProblem();
        return why.isNull() ? tr("%1 must be a valid password.").arg(name)
                            : tr("%1: %2.").arg(name, why);
    }
    if (keyword == QLatin1String("existing-dir")) {
        const QString dir = variable->value();
        return dir.isEmpty() ? tr("%1 must name an existing directory.").arg(name)
                             : tr("%1: the directory %2 does not exist.").arg(name, quoted(dir));
    }
    if (keyword == QLatin1String("equal"))
        return tr("%1 must be %2.").arg(name, quoted(value));
    if (keyword == QLatin1String("not-equal"))
        return tr("%1 must not be %2.").arg(name, quoted(value));
    if (keyword == QLatin1String("item-selected"))
        return value.isNull() ? tr("%1: a choice must be selected.").arg(name)
                              : tr("%1: %2 must be selected.").arg(name, quoted(choiceName(value)));
    if (keyword == QLatin1String("item-not-selected"))
        return value.isNull()
                   ? tr("%1: no choice may be selected.").arg(name)
                   : tr("%1: %2 must not be selected.").arg(name, quoted(choiceName(value)));
    if (keyword == QLatin1String("boolean")) {
        if (value.isEmpty() || value == QLatin1String("true"))
            return tr("%1 must be %2.")
                .arg(name,
                     quoted(variable->option(QStringLiteral("true-text"), QStringLiteral("true"))));
        if (value == QLatin1String("false"))
            return tr("%1 must be %2.")
                .arg(name, quoted(variable->option(QStringLiteral("false-text"),
                                                   QStringLiteral("false"))));
    }
    return tr("%1 does not meet the condition %2.").arg(name, quoted(keyword));
}

bool SV_Wizard::controlVisible(const QString& control) const {
    if (!m_current)
        return false;
    if (control == kNext && offersDone())
        return false;
    return m_current->controlVisible(control);
}

QString SV_Wizard::defaultControlText(const QString& control) {
    if (control == kCancel)
        return tr("&Cancel");
    if (control == kBack)
        return tr("&Back");
    if (control == kNext)
        return tr("&Next");
    if (control == kFinish)
        return tr("&Done");
    return QString();
}

QString SV_Wizard::controlText(const QString& control) const {
    const QString own = m_current ? m_current->controlText(control) : QString();
    return own.trimmed().isEmpty() ? defaultControlText(control) : own;
}
