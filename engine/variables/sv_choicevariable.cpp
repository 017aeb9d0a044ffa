#include "sv_choicevariable.h"

#include "sv_engine.h"
#include "sv_profile.h"

SV_ChoiceVariable::SV_ChoiceVariable(QObject* parent) : SV_Variable(parent) {}

SV_ChoiceVariable::~SV_ChoiceVariable() {
    qDeleteAll(m_choices);
}

void SV_ChoiceVariable::addChoice(SV_Choice* choice) {
    if (!choice)
        return;
    m_choices.append(choice);
    m_index.insert(choice->ID(), choice);
}

SV_Choice* SV_ChoiceVariable::choice(const QString& id) {
    return m_index.value(id, nullptr);
}

QListIterator<SV_Choice*> SV_ChoiceVariable::choiceIterator() {
    return QListIterator<SV_Choice*>(m_choices);
}

bool SV_ChoiceVariable::isChoiceSelected(const QString& id) {
    if (id.isNull())
        return firstSelected() != nullptr;
    SV_Choice* c = choice(id);
    return c && c->selected;
}

bool SV_ChoiceVariable::selectOnly(const QString& v) {
    bool changed = false;
    for (SV_Choice* c : std::as_const(m_choices)) {
        const bool wanted = c->ID() == v;
        if (c->selected != wanted) {
            c->selected = wanted;
            changed = true;
        }
    }
    return changed;
}

QString SV_ChoiceVariable::unknownChoices(const QStringList& ids) {
    QStringList known;
    for (SV_Choice* c : std::as_const(m_choices))
        if (!c->ID().isNull() && !known.contains(c->ID()))
            known.append(c->ID());
    QStringList quoted;
    for (const QString& id : ids)
        quoted.append(QLatin1Char('"') + id + QLatin1Char('"'));
    return tr("there is no choice %1 (the choices are: %2)")
        .arg(quoted.join(QLatin1String(", ")), known.join(QLatin1String(", ")));
}

QString SV_ChoiceVariable::parseAnswer(const QString& text, QStringList& values) {
    if (!choice(text))
        return unknownChoices({text});
    values = QStringList{text};
    return QString();
}

QString SV_ChoiceVariable::formatAnswer() {
    SV_Choice* c = firstSelected();
    return c ? c->ID() : QString();
}

QString SV_MChoiceVariable::parseAnswer(const QString& text, QStringList& values) {
    const QStringList ids = text.split(QLatin1Char(','), Qt::SkipEmptyParts);
    QStringList unknown;
    for (const QString& id : ids)
        if (!choice(id))
            unknown.append(id);
    if (!unknown.isEmpty())
        return unknownChoices(unknown);
    values = ids;
    return QString();
}

QString SV_MChoiceVariable::formatAnswer() {
    return value();
}

SV_Choice* SV_ChoiceVariable::firstSelected() const {
    for (SV_Choice* c : m_choices) {
        if (c->selected)
            return c;
    }
    return nullptr;
}

// Single selection.

SV_SChoiceVariable::SV_SChoiceVariable(QObject* parent) : SV_ChoiceVariable(parent) {}

void SV_SChoiceVariable::storeValue(const QStringList& values) {
    if (values.size() != 1)
        return;
    if (selectOnly(values.first()))
        emit sig_valuechanged();
}

QString SV_SChoiceVariable::value() {
    SV_Choice* c = firstSelected();
    return c ? c->text() : QString();
}

bool SV_SChoiceVariable::equals(const QString& s) {
    return isChoiceSelected(s);
}

// Multiple selection.

SV_MChoiceVariable::SV_MChoiceVariable(QObject* parent) : SV_ChoiceVariable(parent) {}

void SV_MChoiceVariable::storeValue(const QStringList& values) {
    QStringList wanted = values;
    bool changed = false;

    // Unticking a choice unticks the choices that require it (one level), even when the
    // new list still names them.
    for (SV_Choice* c : std::as_const(m_choices)) {
        const QString id = c->ID();
        if (values.contains(id) || !c->selected)
            continue;
        c->selected = false;
        changed = true;
        for (SV_Choice* d : std::as_const(m_choices)) {
            if (!d->isDependentOn(id))
                continue;
            if (d->selected) {
                d->selected = false;
                changed = true;
            }
            wanted.removeAll(d->ID());
        }
    }

    // Ticking a choice ticks what it requires (one level). Ids naming no choice of this
    // variable, in the list or in a depends list, are skipped.
    for (const QString& e : std::as_const(wanted)) {
        SV_Choice* c = choice(e);
        if (!c)
            continue;
        if (!c->selected) {
            c->selected = true;
            changed = true;
        }
        for (const QString& r : std::as_const(c->depends)) {
            SV_Choice* required = choice(r);
            if (required && !required->selected) {
                required->selected = true;
                changed = true;
            }
        }
    }

    if (changed)
        emit sig_valuechanged();
}

QString SV_MChoiceVariable::value() {
    QStringList ids;
    for (SV_Choice* c : std::as_const(m_choices)) {
        if (c->selected)
            ids.append(c->ID());
    }
    return ids.join(QLatin1Char(','));
}

bool SV_MChoiceVariable::equals(const QString& s) {
    if (!isChoiceSelected(s) || s.isNull())
        return false;
    for (SV_Choice* c : std::as_const(m_choices)) {
        if (c->selected && c->ID() != s)
            return false;
    }
    return true;
}

// Profile selection.

SV_ProfileVariable::SV_ProfileVariable(QObject* parent) : SV_ChoiceVariable(parent) {}

void SV_ProfileVariable::addChoice(SV_Choice* choice) {
    if (!choice)
        return;
    m_choices.append(choice);
    if (!choice->ID().isNull())
        m_index.insert(choice->ID(), choice);
}

SV_Choice* SV_ProfileVariable::choice(const QString& id) {
    if (id.isNull())
        return nullptr;
    return SV_ChoiceVariable::choice(id);
}

void SV_ProfileVariable::storeValue(const QStringList& values) {
    if (values.size() != 1)
        return;
    const QString& v = values.first();
    // Selecting a profile that is being applied (it set this variable, directly or through
    // other profiles) would undo the selection that application made.
    if (SV_Engine::engine()->applyingProfile(v) || !selectOnly(v))
        return;
    SV_Engine::engine()->storeProfile(v);
    emit sig_valuechanged();
}

QString SV_ProfileVariable::value() {
    SV_Choice* c = firstSelected();
    if (!c)
        return QLatin1String("");
    SV_Profile* profile = SV_Engine::engine()->profile(c->ID());
    return profile ? profile->text() : QLatin1String("");
}

bool SV_ProfileVariable::equals(const QString& s) {
    return isChoiceSelected(s);
}
