#ifndef SV_CHOICEVARIABLE_H
#define SV_CHOICEVARIABLE_H

#include "sv_variable.h"

#include <QHash>
#include <QList>

// What the selection kinds share: their choices in document order, indexed by id (a
// later choice with a used id hides the earlier one in lookups; both stay listed). The
// value is nothing but the choices' selected flags. The variable owns its choices.
class SV_ChoiceVariable : public SV_Variable {
    Q_OBJECT
public:
    explicit SV_ChoiceVariable(QObject* parent = nullptr);
    ~SV_ChoiceVariable() override;

    void addChoice(SV_Choice* choice) override;
    SV_Choice* choice(const QString& id) override;
    QListIterator<SV_Choice*> choiceIterator() override;
    // A null id asks whether any choice is selected.
    bool isChoiceSelected(const QString& id) override;
    // Answers name choices by id; an id that names no choice is refused.
    QString parseAnswer(const QString& text, QStringList& values) override;
    // The id of the first selected choice; a null string when none is selected.
    QString formatAnswer() override;

protected:
    // The reason for ids that name no choice ("there is no choice ...").
    QString unknownChoices(const QStringList& ids);

    // Selects every choice whose id is v and deselects all others; true if a flag flipped.
    bool selectOnly(const QString& v);
    // The first selected choice in list order, or null.
    SV_Choice* firstSelected() const;

    QList<SV_Choice*> m_choices;
    QHash<QString, SV_Choice*> m_index;
};

// Radio buttons: one choice selected; value() is its display text.
class SV_SChoiceVariable : public SV_ChoiceVariable {
    Q_OBJECT
public:
    explicit SV_SChoiceVariable(QObject* parent = nullptr);

    void storeValue(const QStringList& values) override;
    QString value() override;
    bool equals(const QString& s) override;
};

// Check boxes with requirements: a choice's depends list names the choices it needs.
// value() is the ids of the selected choices joined by ",".
class SV_MChoiceVariable : public SV_ChoiceVariable {
    Q_OBJECT
public:
    explicit SV_MChoiceVariable(QObject* parent = nullptr);

    void storeValue(const QStringList& values) override;
    QString value() override;
    bool equals(const QString& s) override;
    // Comma-separated ids, empty parts skipped; an empty text selects nothing.
    QString parseAnswer(const QString& text, QStringList& values) override;
    QString formatAnswer() override;
};

// A choice among the install file's profiles; selecting one applies its preset values.
// value() is the selected profile's display text.
class SV_ProfileVariable : public SV_ChoiceVariable {
    Q_OBJECT
public:
    explicit SV_ProfileVariable(QObject* parent = nullptr);

    void addChoice(SV_Choice* choice) override;
    SV_Choice* choice(const QString& id) override;
    void storeValue(const QStringList& values) override;
    QString value() override;
    bool equals(const QString& s) override;
};

#endif
