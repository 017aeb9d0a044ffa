// One validation for every way a value comes in: each kind parses an answer text into
// the values it stores or says why not, formats its value back as answer text, and says
// why the value it holds (typed into the window) would be refused.
#include "sv_boolvariable.h"
#include "sv_choicevariable.h"
#include "sv_directoryvariable.h"
#include "sv_numbervariable.h"
#include "sv_passwordvariable.h"
#include "sv_textvariable.h"

#include <QTest>

#include <memory>

namespace {

SV_Choice* makeChoice(const QString& id, const QString& text) {
    auto* c = new SV_Choice;
    c->setID(id);
    c->setText(text);
    return c;
}

std::unique_ptr<SV_Variable> make(const QString& kind) {
    std::unique_ptr<SV_Variable> v;
    if (kind == QLatin1String("port")) {
        v = std::make_unique<SV_NumberVariable>();
        v->setOption(QStringLiteral("datatype"), QStringLiteral("uint"));
        v->setOption(QStringLiteral("min"), QStringLiteral("1"));
        v->setOption(QStringLiteral("max"), QStringLiteral("65535"));
    } else if (kind == QLatin1String("int")) {
        v = std::make_unique<SV_NumberVariable>();
    } else if (kind == QLatin1String("double")) {
        v = std::make_unique<SV_NumberVariable>();
        v->setOption(QStringLiteral("datatype"), QStringLiteral("double"));
        v->setOption(QStringLiteral("min"), QStringLiteral("0.5"));
    } else if (kind == QLatin1String("text")) {
        v = std::make_unique<SV_TextVariable>();
    } else if (kind == QLatin1String("text-uint")) {
        v = std::make_unique<SV_TextVariable>();
        v->setOption(QStringLiteral("validation-type"), QStringLiteral("uint"));
    } else if (kind == QLatin1String("ldap")) {
        v = std::make_unique<SV_TextVariable>();
        v->setOption(QStringLiteral("validation-type"), QStringLiteral("ldap-name-part"));
    } else if (kind == QLatin1String("dir")) {
        v = std::make_unique<SV_DirectoryVariable>();
    } else if (kind == QLatin1String("bool")) {
        v = std::make_unique<SV_BoolVariable>();
        v->setOption(QStringLiteral("true-text"), QStringLiteral("Yes"));
    } else if (kind == QLatin1String("single")) {
        v = std::make_unique<SV_SChoiceVariable>();
    } else if (kind == QLatin1String("multiple")) {
        v = std::make_unique<SV_MChoiceVariable>();
    } else if (kind == QLatin1String("password")) {
        v = std::make_unique<SV_PasswordVariable>();
        v->setOption(QStringLiteral("min_length"), QStringLiteral("6"));
    } else if (kind == QLatin1String("no-alpha")) {
        v = std::make_unique<SV_PasswordVariable>();
        v->setOption(QStringLiteral("security"), QStringLiteral("no-alpha"));
    }
    if (kind == QLatin1String("single") || kind == QLatin1String("multiple")) {
        v->addChoice(makeChoice(QStringLiteral("imap"), QStringLiteral("IMAP")));
        v->addChoice(makeChoice(QStringLiteral("smtp"), QStringLiteral("SMTP")));
    }
    return v;
}

} // namespace

class TestAnswers : public QObject {
    Q_OBJECT
private slots:
    // What each kind takes and refuses, with the values it would store or the reason.
    void parse_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("values");
        QTest::addColumn<QString>("reason");
        const QString range = QStringLiteral("a whole number from 1 to 65535");
        QTest::newRow("port") << "port"
                              << "143" << QStringList{"143"} << QString();
        QTest::newRow("port 70000") << "port"
                                    << "70000" << QStringList() << "\"70000\" is not " + range;
        QTest::newRow("port 0") << "port"
                                << "0" << QStringList() << "\"0\" is not " + range;
        QTest::newRow("port empty")
            << "port"
            << "" << QStringList() << "No value is given; " + range + " is needed";
        QTest::newRow("port blank kept") << "port"
                                         << "143 " << QStringList() << "\"143 \" is not " + range;
        QTest::newRow("int any") << "int"
                                 << "-12" << QStringList{"-12"} << QString();
        QTest::newRow("int word") << "int"
                                  << "twelve" << QStringList()
                                  << "\"twelve\" is not a whole number";
        QTest::newRow("double low")
            << "double"
            << "0.25" << QStringList() << "\"0.25\" is not a number of at least 0.5";
        QTest::newRow("text as given") << "text"
                                       << " a # b " << QStringList{" a # b "} << QString();
        QTest::newRow("text uint")
            << "text-uint"
            << "x1" << QStringList() << "\"x1\" is not a whole number of at least 0";
        QTest::newRow("text uint empty") << "text-uint"
                                         << "" << QStringList{""} << QString();
        QTest::newRow("ldap") << "ldap"
                              << "a,b" << QStringList{"a,b"} << QString();
        QTest::newRow("dir") << "dir"
                             << "/no/such" << QStringList{"/no/such"} << QString();
        QTest::newRow("bool true") << "bool"
                                   << "true" << QStringList{"true"} << QString();
        QTest::newRow("bool text") << "bool"
                                   << "Yes" << QStringList() << "\"Yes\" is neither true nor false";
        QTest::newRow("single") << "single"
                                << "smtp" << QStringList{"smtp"} << QString();
        QTest::newRow("single unknown")
            << "single"
            << "pop" << QStringList() << "there is no choice \"pop\" (the choices are: imap, smtp)";
        QTest::newRow("single blank")
            << "single"
            << "smtp " << QStringList()
            << "there is no choice \"smtp \" (the choices are: imap, smtp)";
        QTest::newRow("multiple") << "multiple"
                                  << "smtp,,imap" << QStringList{"smtp", "imap"} << QString();
        QTest::newRow("multiple none") << "multiple"
                                       << "" << QStringList() << QString();
        QTest::newRow("multiple unknown")
            << "multiple"
            << "imap,pop, smtp" << QStringList()
            << "there is no choice \"pop\", \" smtp\" (the choices are: imap, smtp)";
        QTest::newRow("password") << "password"
                                  << "secret" << QStringList{"secret", "secret"} << QString();
        QTest::newRow("password short")
            << "password"
            << "abc" << QStringList() << "the password needs at least 6 characters";
        QTest::newRow("no-alpha") << "no-alpha"
                                  << "12a" << QStringList()
                                  << "the password must not contain letters";
    }

    void parse() {
        QFETCH(QString, kind);
        QFETCH(QString, text);
        QFETCH(QStringList, values);
        QFETCH(QString, reason);
        std::unique_ptr<SV_Variable> v = make(kind);
        QStringList got{QStringLiteral("untouched")};
        const QString why = v->parseAnswer(text, got);
        QCOMPARE(why, reason);
        QCOMPARE(got, reason.isNull() ? values : QStringList{QStringLiteral("untouched")});
    }

    // Formatting gives answer text that parses back to the same value.
    void roundTrip_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("answer");
        QTest::newRow("port") << "port"
                              << "8143";
        QTest::newRow("text") << "text"
                              << " spaced # text ";
        QTest::newRow("bool false") << "bool"
                                    << "false";
        QTest::newRow("single") << "single"
                                << "smtp";
        QTest::newRow("multiple") << "multiple"
                                  << "imap,smtp";
        QTest::newRow("password") << "password"
                                  << "s3cret#1";
        QTest::newRow("dir") << "dir"
                             << "/tmp";
    }

    void roundTrip() {
        QFETCH(QString, kind);
        QFETCH(QString, answer);
        std::unique_ptr<SV_Variable> v = make(kind);
        QStringList values;
        QCOMPARE(v->parseAnswer(answer, values), QString());
        v->storeValue(values);
        QCOMPARE(v->formatAnswer(), answer);
        QCOMPARE(v->valueProblem(), QString());
        std::unique_ptr<SV_Variable> again = make(kind);
        QCOMPARE(again->parseAnswer(v->formatAnswer(), values), QString());
        again->storeValue(values);
        QCOMPARE(again->value(), v->value());
    }

    // Nothing to give: a boolean never set, a single choice with nothing selected.
    void formatWithoutValue() {
        QVERIFY(make(QStringLiteral("bool"))->formatAnswer().isNull());
        QVERIFY(make(QStringLiteral("single"))->formatAnswer().isNull());
        QCOMPARE(make(QStringLiteral("multiple"))->formatAnswer(), QString());
    }

    // The value held now: what the window stored while the user typed.
    void valueProblems() {
        std::unique_ptr<SV_Variable> port = make(QStringLiteral("port"));
        port->storeValue({QStringLiteral("70000")}); // still stored while typed
        QCOMPARE(port->value(), QStringLiteral("70000"));
        QCOMPARE(port->valueProblem(),
                 QStringLiteral("\"70000\" is not a whole number from 1 to 65535"));
        port->storeValue({QStringLiteral("993")});
        QVERIFY(port->valueProblem().isNull());

        std::unique_ptr<SV_Variable> pw = make(QStringLiteral("password"));
        pw->storeValue({QStringLiteral("secret1"), QStringLiteral("secret2")});
        QCOMPARE(pw->valueProblem(), QStringLiteral("the password and its confirmation differ"));
        pw->storeValue({QStringLiteral("secret1"), QStringLiteral("secret1")});
        QVERIFY(pw->valueProblem().isNull());

        std::unique_ptr<SV_Variable> bad = std::make_unique<SV_PasswordVariable>();
        bad->setOption(QStringLiteral("security"), QStringLiteral("no-alfa"));
        bad->storeValue({QStringLiteral("1"), QStringLiteral("1")});
        QCOMPARE(
            bad->valueProblem(),
            QStringLiteral("the password rule \"no-alfa\" is unknown, so no password meets it"));

        std::unique_ptr<SV_Variable> text = make(QStringLiteral("text-uint"));
        text->storeValue({QStringLiteral("-")});
        QCOMPARE(text->valueProblem(), QStringLiteral("\"-\" is not a whole number of at least 0"));
    }
};

QTEST_GUILESS_MAIN(TestAnswers)
#include "tst_answers.moc"
