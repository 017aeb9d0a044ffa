#ifndef STAGETESTSUPPORT_H
#define STAGETESTSUPPORT_H

// Small doubles shared by the stage, condition and install-sequence tests.

#include "sv_action.h"
#include "sv_condition.h"
#include "sv_variable.h"

#include <QDomDocument>
#include <QStringList>
#include <QTimer>

// An action whose length, progress and errors the test decides. With autoFinish it
// reports its steps one by one and finishes inside slot_start(); otherwise it runs until
// the test calls finish().
class TestAction : public SV_Action {
    Q_OBJECT
public:
    explicit TestAction(const QString& id, int steps = 1, bool autoFinish = true,
                        QObject* parent = nullptr)
        : SV_Action(parent), m_autoFinish(autoFinish) {
        setID(id);
        m_totalSteps = steps;
    }

    // Option "steps", when set, overrides the step count given at construction.
    int totalSteps() override {
        const QString steps = option(QStringLiteral("steps"));
        if (!steps.isNull()) {
            m_totalSteps = steps.toInt();
        }
        return m_totalSteps;
    }

    int starts = 0;
    int cancels = 0;
    bool running = false;
    // Reported as an error during the next runs when not null.
    QString errorText;

    void finish() {
        running = false;
        slot_setDone();
    }

public slots:
    void slot_start() override {
        SV_Action::slot_start();
        ++starts;
        running = true;
        if (!errorText.isNull()) {
            err(ID(), errorText);
        }
        if (m_autoFinish) {
            const int steps = totalSteps();
            for (int step = 1; step <= steps; ++step) {
                emit sig_progress(step);
            }
            finish();
        }
    }
    void slot_cancel() override {
        SV_Action::slot_cancel();
        ++cancels;
    }

private:
    bool m_autoFinish;
};

// A variable that answers the condition questions from fields and records what it was
// asked.
class FakeVariable : public SV_Variable {
    Q_OBJECT
public:
    explicit FakeVariable(QObject* parent = nullptr) : SV_Variable(parent) {}

    QString stored;
    bool empty = false;
    QStringList selectedChoices;
    QStringList validConditions;
    QStringList asked;

    void storeValue(const QStringList& values) override {
        if (values.size() == 1 && values.first() != stored) {
            stored = values.first();
            emit sig_valuechanged();
        }
    }
    QString value() override { return stored; }
    bool equals(const QString& s) override {
        asked << QStringLiteral("equals:") + s;
        return s == stored;
    }
    bool isEmpty() override {
        asked << QStringLiteral("isEmpty");
        return empty;
    }
    bool isChoiceSelected(const QString& id) override {
        asked << QStringLiteral("isChoiceSelected:") + id;
        return selectedChoices.contains(id);
    }
    bool isCurrentDataValid(const QString& condition) override {
        asked << QStringLiteral("isCurrentDataValid:") + condition;
        return validConditions.contains(condition);
    }
};

// A condition with a fixed answer that counts how often it was evaluated.
class FixedCondition : public SV_Condition {
    Q_OBJECT
public:
    explicit FixedCondition(bool answer, QObject* parent = nullptr)
        : SV_Condition(parent), answer(answer) {}
    bool answer;
    int evaluations = 0;
    bool eval() override {
        ++evaluations;
        return answer;
    }
};

// Parses an XML fragment and returns its root element (an empty element on a parse error).
inline QDomElement parseXml(const QString& xml) {
    static QList<QDomDocument> documents; // keep the nodes alive for the whole test
    QDomDocument doc;
    if (!doc.setContent(xml)) {
        return QDomElement();
    }
    documents.append(doc);
    return doc.documentElement();
}

#endif
