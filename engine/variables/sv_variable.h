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

signals:
    void sig_valuechanged();
};

#endif
