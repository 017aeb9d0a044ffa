// An unknown $$id$$ reference ends the program: the lookup's debug message, then one
// fatal line, exit status 1.
#include "sv_engine.h"
#include "sv_installfilebuilder.h"
#include "sv_testmain.h"
#include "sv_variableregexp.h"

#include <cstdio>

class TestFatal : public QObject {
    Q_OBJECT
private slots:
    void unknownReference_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("id");
        QTest::newRow("misspelt") << "path $$known$$/$$knwon$$"
                                  << "knwon";
        QTest::newRow("empty id") << "a$$$$b"
                                  << "";
        QTest::newRow("colon id") << "$$BuiltInVars:Nothing$$"
                                  << "BuiltInVars:Nothing";
    }
    void unknownReference() {
        QFETCH(QString, text);
        QFETCH(QString, id);
        vantortest::TempDir runtime;
        const vantortest::ProcessResult r = vantortest::runInOwnProcess(
            QStringLiteral("fix-string"), {text}, vantortest::cleanEnvironment(runtime.path()));
        QVERIFY(r.started);
        QVERIFY(!r.crashed);
        QCOMPARE(r.exitCode, 1);
        QVERIFY(r.out.isEmpty());
        QByteArray err = r.err;
        if (err.endsWith('\n'))
            err.chop(1);
        const QList<QByteArray> lines = err.split('\n');
        QCOMPARE(lines.last(),
                 "SV_VariableRegExp::fixString, Found an invalid variable ID: " + id.toUtf8());
        const QByteArray lookup = "Non-valid variable: " + id.toUtf8() + " requested";
        const qsizetype at = r.err.indexOf(lookup);
        QVERIFY2(at >= 0 && at < r.err.lastIndexOf("SV_VariableRegExp::"), r.err.constData());
    }

    void knownReference() {
        vantortest::TempDir runtime;
        const vantortest::ProcessResult r = vantortest::runInOwnProcess(
            QStringLiteral("fix-string"), {"[$$known$$]"},
            vantortest::cleanEnvironment(runtime.path()));
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(r.out, QByteArray("[ok]\n"));
    }
};

// Expands the text given as the argument, with one known variable "known", and prints
// the result: an unknown reference ends the process through the fatal path.
static void ownProcessCases(const QString& name) {
    if (name != QLatin1String("fix-string"))
        return;
    SV_Engine::engine()->loadVariables(vantortest::parseXml(
        R"(<i><variables><variable id="known" default="ok"><data-type><text-data/></data-type>
           </variable></variables></i>)"));
    QString text = vantortest::ownProcessArguments().value(0);
    SV_VariableRegExp::fixString(text);
    std::printf("%s\n", text.toLocal8Bit().constData());
}

VANTOR_TEST_MAIN(TestFatal, ownProcessCases)
#include "tst_fatal.moc"
