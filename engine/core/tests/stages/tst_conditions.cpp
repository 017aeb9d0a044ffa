// Condition processors, variable conditions with every keyword and stage conditions.
#include "sv_boolvariable.h"
#include "sv_condition.h"
#include "sv_conditionprocessor.h"
#include "sv_stage.h"
#include "sv_testdoubles.h"
#include "sv_textvariable.h"

#include <QtTest>

#include <memory>
#include <vector>

using vantortest::FakeVariable;
using vantortest::FixedCondition;

class TestConditions : public QObject {
    Q_OBJECT

    // Builds a variable condition on the given variable.
    static std::unique_ptr<SV_VarCondition>
    varCondition(SV_Variable* variable, const QString& keyword, const QString& value = QString()) {
        auto condition = std::make_unique<SV_VarCondition>();
        condition->setVariable(variable);
        condition->setOption(QStringLiteral("condition"), keyword);
        condition->setOption(QStringLiteral("value"), value);
        return condition;
    }

private slots:
    void processorOperators_data() {
        QTest::addColumn<QString>("op");
        QTest::addColumn<QList<bool>>("answers");
        QTest::addColumn<bool>("expected");
        QTest::addColumn<int>("evaluated"); // conditions evaluated before the result is known

        QTest::newRow("or, empty") << "or" << QList<bool>{} << false << 0;
        QTest::newRow("and, empty") << "and" << QList<bool>{} << true << 0;
        QTest::newRow("no operator, empty") << QString() << QList<bool>{} << true << 0;
        QTest::newRow("or, first true stops") << "or" << QList<bool>{true, false} << true << 1;
        QTest::newRow("or, last true") << "or" << QList<bool>{false, false, true} << true << 3;
        QTest::newRow("or, none true") << "or" << QList<bool>{false, false} << false << 2;
        QTest::newRow("and, first false stops") << "and" << QList<bool>{false, true} << false << 1;
        QTest::newRow("and, all true") << "and" << QList<bool>{true, true} << true << 2;
        QTest::newRow("unknown operator acts as and")
            << "xor" << QList<bool>{true, false, true} << false << 2;
        QTest::newRow("operator case-sensitive") << "OR" << QList<bool>{true, false} << false << 2;
    }

    void processorOperators() {
        QFETCH(QString, op);
        QFETCH(QList<bool>, answers);
        QFETCH(bool, expected);
        QFETCH(int, evaluated);

        SV_ConditionProcessor processor;
        if (!op.isNull()) {
            processor.setOperator(op);
        }
        std::vector<std::unique_ptr<FixedCondition>> conditions;
        for (bool answer : answers) {
            conditions.push_back(std::make_unique<FixedCondition>(answer));
            processor.addCondition(conditions.back().get());
        }
        processor.addCondition(nullptr); // ignored
        QCOMPARE(processor.conditions().size(), answers.size());
        QCOMPARE(processor.eval(), expected);
        int count = 0;
        for (const auto& condition : conditions) {
            count += condition->evaluations;
        }
        QCOMPARE(count, evaluated);
        QCOMPARE(processor.option(QStringLiteral("condition")), op);
    }

    void varConditionKeywords_data() {
        QTest::addColumn<QString>("keyword");
        QTest::addColumn<QString>("value");
        QTest::addColumn<bool>("expected");
        QTest::addColumn<QString>("question");

        // The fake holds "abc", is not empty, has choice "c1" selected and accepts
        // "existing-dir" but not "valid-password".
        QTest::newRow("item-selected yes") << "item-selected"
                                           << "c1" << true << "isChoiceSelected:c1";
        QTest::newRow("item-selected no") << "item-selected"
                                          << "c2" << false << "isChoiceSelected:c2";
        QTest::newRow("item-not-selected") << "item-not-selected"
                                           << "c2" << true << "isChoiceSelected:c2";
        QTest::newRow("item-not-selected of selected") << "item-not-selected"
                                                       << "c1" << false << "isChoiceSelected:c1";
        QTest::newRow("not-empty") << "not-empty" << QString() << true << "isEmpty";
        QTest::newRow("equal") << "equal"
                               << "abc" << true << "equals:abc";
        QTest::newRow("equal, different") << "equal"
                                          << "ABC" << false << "equals:ABC";
        QTest::newRow("not-equal") << "not-equal"
                                   << "xyz" << true << "equals:xyz";
        QTest::newRow("not-equal, same") << "not-equal"
                                         << "abc" << false << "equals:abc";
        QTest::newRow("valid-password")
            << "valid-password" << QString() << false << "isCurrentDataValid:valid-password";
        QTest::newRow("existing-dir") << "existing-dir"
                                      << "ignored" << true << "isCurrentDataValid:existing-dir";
        QTest::newRow("boolean on a non-boolean") << "boolean"
                                                  << "true" << false << QString();
        QTest::newRow("unknown keyword") << "is-equal"
                                         << "abc" << false << QString();
        QTest::newRow("keyword case-sensitive") << "Equal"
                                                << "abc" << false << QString();
        QTest::newRow("no keyword") << QString() << "abc" << false << QString();
    }

    void varConditionKeywords() {
        QFETCH(QString, keyword);
        QFETCH(QString, value);
        QFETCH(bool, expected);
        QFETCH(QString, question);

        FakeVariable variable;
        variable.stored = QStringLiteral("abc");
        variable.selectedChoices = QStringList{QStringLiteral("c1")};
        variable.validConditions = QStringList{QStringLiteral("existing-dir")};
        auto condition = varCondition(&variable, keyword, value);
        QCOMPARE(condition->eval(), expected);
        QCOMPARE(variable.asked, question.isNull() ? QStringList() : QStringList{question});
    }

    void varConditionNotEmptyOnEmptyVariable() {
        FakeVariable variable;
        variable.empty = true;
        QCOMPARE(varCondition(&variable, QStringLiteral("not-empty"))->eval(), false);
    }

    void varConditionWithoutVariableIsFalse() {
        for (const char* keyword : {"item-not-selected", "not-equal", "not-empty", "equal"}) {
            QCOMPARE(varCondition(nullptr, QLatin1String(keyword))->eval(), false);
        }
    }

    void booleanKeyword_data() {
        QTest::addColumn<QString>("stored"); // null: never stored
        QTest::addColumn<QString>("value");
        QTest::addColumn<bool>("expected");

        QTest::newRow("empty value, true") << "true"
                                           << "" << true;
        QTest::newRow("empty value, false") << "false"
                                            << "" << false;
        QTest::newRow("null value, true") << "true" << QString() << true;
        QTest::newRow("null value, undefined") << "undefined" << QString() << false;
        QTest::newRow("true, true") << "true"
                                    << "true" << true;
        QTest::newRow("true, false") << "false"
                                     << "true" << false;
        QTest::newRow("false, false") << "false"
                                      << "false" << true;
        QTest::newRow("false, true") << "true"
                                     << "false" << false;
        QTest::newRow("undefined, undefined") << "undefined"
                                              << "undefined" << true;
        QTest::newRow("undefined, never stored") << QString() << "undefined" << true;
        QTest::newRow("undefined, true") << "true"
                                         << "undefined" << false;
        QTest::newRow("other value") << "true"
                                     << "yes" << false;
        QTest::newRow("value case-sensitive") << "true"
                                              << "TRUE" << false;
    }

    void booleanKeyword() {
        QFETCH(QString, stored);
        QFETCH(QString, value);
        QFETCH(bool, expected);

        SV_BoolVariable variable;
        // Display texts must not matter to the boolean test.
        variable.setOption(QStringLiteral("true-text"), QStringLiteral("Yes"));
        variable.setOption(QStringLiteral("false-text"), QStringLiteral("No"));
        if (!stored.isNull()) {
            variable.storeValue(QStringList{stored});
        }
        QCOMPARE(varCondition(&variable, QStringLiteral("boolean"), value)->eval(), expected);
    }

    void realTextVariable() {
        SV_TextVariable variable;
        auto notEmpty = varCondition(&variable, QStringLiteral("not-empty"));
        auto equal = varCondition(&variable, QStringLiteral("equal"), QStringLiteral("x"));
        auto boolean = varCondition(&variable, QStringLiteral("boolean"), QStringLiteral("true"));
        QCOMPARE(notEmpty->eval(), false);
        QCOMPARE(equal->eval(), false);
        variable.storeValue(QStringList{QStringLiteral("x")});
        QCOMPARE(notEmpty->eval(), true);
        QCOMPARE(equal->eval(), true);
        variable.storeValue(QStringList{QStringLiteral("true")});
        QCOMPARE(boolean->eval(), false); // "boolean" only applies to boolean variables
    }

    void stageCondition() {
        SV_Stage stage;
        SV_StageCondition shown;
        shown.setStage(&stage);
        shown.setOption(QStringLiteral("condition"), QStringLiteral("shown"));
        SV_StageCondition notShown;
        notShown.setStage(&stage);
        notShown.setOption(QStringLiteral("condition"), QStringLiteral("not-shown"));
        SV_StageCondition other;
        other.setStage(&stage);
        other.setOption(QStringLiteral("condition"), QStringLiteral("Shown"));

        QCOMPARE(shown.eval(), false);
        QCOMPARE(notShown.eval(), true);
        QCOMPARE(other.eval(), false);
        stage.init(); // no initialisation actions: entering marks it shown
        QCOMPARE(shown.eval(), true);
        QCOMPARE(notShown.eval(), false);
        QCOMPARE(other.eval(), false);
        stage.finish();
        QCOMPARE(shown.eval(), true); // shown is never reset

        SV_StageCondition noStage;
        for (const char* keyword : {"shown", "not-shown"}) {
            noStage.setOption(QStringLiteral("condition"), QLatin1String(keyword));
            QCOMPARE(noStage.eval(), false);
        }
    }
};

QTEST_GUILESS_MAIN(TestConditions)
#include "tst_conditions.moc"
