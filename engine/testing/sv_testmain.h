#ifndef SV_TESTMAIN_H
#define SV_TESTMAIN_H

// The main() of an engine test program, and the one way to run a case in a process of its
// own: the program runs itself again with the case's name in VANTOR_TEST_CASE. Use it for
// the fatal path (the engine ends the process with status 1 and one fatal line) and for
// anything else the test must watch from the outside.
//
//   void unknownTypeIsFatal() {                        // a test function
//       const vantortest::ProcessResult r = vantortest::runInOwnProcess("unknown-type");
//       QCOMPARE(r.exitCode, 1);
//   }
//   static void ownProcessCases(const QString& name) { // runs in the child
//       if (name == QLatin1String("unknown-type"))
//           SV_Engine::engine()->createAction(QStringLiteral("check-nothing"));
//   }
//   VANTOR_TEST_MAIN(TestLoaders, ownProcessCases)
//
// A program whose every case needs a whole engine init() is instead registered with
// vantor_test(... SCENARIOS ...), one ctest test per case.

#include "sv_testsupport.h"

#include <QCoreApplication>
#include <QProcessEnvironment>
#include <QtTest>

#include <functional>

namespace vantortest {

// Runs the case of that name in the child process; nullptr when the program has none.
using OwnProcessCases = std::function<void(const QString& name)>;

inline const char* ownProcessCaseVariable() {
    return "VANTOR_TEST_CASE";
}

// Installs the test message handler, creates the application (App: QCoreApplication, or
// QApplication for widget tests) and runs either the case named in VANTOR_TEST_CASE or
// the test object's functions.
template <typename App = QCoreApplication>
int runTestMain(QObject* test, int argc, char** argv, const OwnProcessCases& cases = {}) {
    installMessageHandler();
    App app(argc, argv);
    const QString name = qEnvironmentVariable(ownProcessCaseVariable());
    if (!name.isEmpty() && cases) {
        cases(name);
        return 0; // reached only when the case did not end the process
    }
    return QTest::qExec(test, argc, argv);
}

// Runs this test program again for one case, to its end, and returns what it did. args
// reach the child as its command-line arguments (see ownProcessArguments()); env is the
// child's environment, to which the case's name is added.
inline ProcessResult runInOwnProcess(
    const QString& name, const QStringList& args = {},
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment()) {
    env.insert(QString::fromLatin1(ownProcessCaseVariable()), name);
    return runProgram(QCoreApplication::applicationFilePath(), args, env);
}

// In the child: the args given to runInOwnProcess().
inline QStringList ownProcessArguments() {
    return QCoreApplication::arguments().mid(1);
}

} // namespace vantortest

// cases: a function taking the case's name, or nullptr.
#define VANTOR_TEST_MAIN(TestClass, cases)                                                         \
    int main(int argc, char** argv) {                                                              \
        TestClass test;                                                                            \
        return vantortest::runTestMain(&test, argc, argv, cases);                                  \
    }

#endif
