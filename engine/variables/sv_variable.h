#ifndef SV_VARIABLE_H
#define SV_VARIABLE_H

#include "sv_logger.h"
#include "sv_options.h"

#include <QList>
#include <QListIterator>
#include <QObject>
#include <QStringList>

class QValidator;

// One selectable item of a choice-based variable.
class SV_Choice : public SV_Options {
public:
    bool selected = false;
    QStringList depends;

    bool isDependentOn(const QString& id) const { return depends.contains(id); }
};

// A named, typed install variable. All values are strings.
class SV_Variable : public QObject, public SV_Options, public SV_Logger {
    Q_OBJECT
public:
    explicit SV_Variable(QObject* parent = nullptr) : QObject(parent) {}
    ~SV_Variable() override = default;

    virtual void storeValue(const QStringList& values) = 0;
    virtual QString value() = 0;
    virtual QValidator* validator() { return nullptr; }
    virtual bool equals(const QString&) { return false; }
    virtual bool isEmpty() { return false; }
    virtual bool isChoiceSelected(const QString&) { return false; }
    virtual bool isCurrentDataValid(const QString&) { return false; }
    virtual bool isDataValid(const QString&) { return false; }
    virtual void addChoice(SV_Choice*) {}
    virtual SV_Choice* choice(const QString&) { return nullptr; }
    virtual QListIterator<SV_Choice*> choiceIterator() {
        return QListIterator<SV_Choice*>(QList<SV_Choice*>());
    }

    // One validation for every way a value comes in. The answer text is the one-line form
    // in which answer files and console prompts give a value: the value itself for the
    // text, number and directory kinds, "true" or "false" for a boolean, a choice id
    // (comma-separated ids for a multiple choice), a password once.
    //
    // Parses an answer text into the list that storeValue() takes: a null string when the
    // variable takes it (values set), else the reason it is refused (values untouched).
    virtual QString parseAnswer(const QString& text, QStringList& values);
    // The current value as answer text: parseAnswer() of it gives this value back. A null
    // string when there is none to give (a boolean never set, a single choice with
    // nothing selected).
    virtual QString formatAnswer();
    // Why the value held now would be refused (a number out of range typed into the
    // window, two different passwords), or a null string when it is fine. An input whose
    // variable has a problem keeps its stage from continuing.
    virtual QString valueProblem() { return QString(); }

signals:
    void sig_valuechanged();
};

#endif
