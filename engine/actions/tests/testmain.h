#ifndef ACTIONS_TESTMAIN_H
#define ACTIONS_TESTMAIN_H

#include "sv_testsupport.h"

#include <QCoreApplication>
#include <QProcessEnvironment>
#include <QtTest>

#include <functional>

namespace actionstest {

// The variable that makes a test program run one of its fatal scenarios instead of its
// test functions.
inline const char* fatalCaseVariable() {
    return "VANTOR_ACTIONS_FATAL_CASE";
}

// Runs the scenario named by the variable (it is expected to end the process through the
// fatal path), or the test object's functions.
inline int runTests(QObject* test, int argc, char** argv,
                    const std::function<void(const QString&)>& fatalCases = {}) {
    vantortest::installMessageHandler();
    QCoreApplication app(argc, argv);
    const QString fatalCase = qEnvironmentVariable(fatalCaseVariable());
    if (!fatalCase.isEmpty() && fatalCases) {
        fatalCases(fatalCase);
        return 0; // reached only when the scenario did not end the process
    }
    return QTest::qExec(test, argc, argv);
}

// Runs this test program again with one fatal scenario.
inline vantortest::ProcessResult runFatalCase(const QString& name) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QString::fromLatin1(fatalCaseVariable()), name);
    return vantortest::runProgram(QCoreApplication::applicationFilePath(), {}, env);
}

} // namespace actionstest

// fatalCases: a function taking the scenario name, or nullptr.
#define ACTIONS_TEST_MAIN(TestClass, fatalCases)                                                   \
    int main(int argc, char** argv) {                                                              \
        TestClass test;                                                                            \
        return actionstest::runTests(&test, argc, argv, fatalCases);                               \
    }

#endif
