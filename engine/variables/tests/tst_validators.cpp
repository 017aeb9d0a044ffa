// Bounds of the numeric validators and the escaping of the LDAP validators.
#include "sv_validators.h"

#include <QTest>

#include <climits>

class TestValidators : public QObject {
    Q_OBJECT
private slots:
    void intBounds() {
        SV_IntValidator both("10", "x");
        QCOMPARE(both.bottom(), 10);
        QCOMPARE(both.top(), INT_MAX);
        SV_IntValidator none{QString(), QString()};
        QCOMPARE(none.bottom(), INT_MIN);
        QCOMPARE(none.top(), INT_MAX);
        SV_IntValidator neg("-20", "-5");
        QCOMPARE(neg.bottom(), -20);
        QCOMPARE(neg.top(), -5);

        int pos = 0;
        QString s = "-7";
        QCOMPARE(neg.validate(s, pos), QValidator::Acceptable);
        s = "abc";
        QCOMPARE(none.validate(s, pos), QValidator::Invalid);
        s = "1,000"; // no group separators, whatever the locale
        QCOMPARE(none.validate(s, pos), QValidator::Invalid);
    }

    void uintBounds() {
        SV_UIntValidator none{QString(), QString()};
        QCOMPARE(none.bottom(), 0);
        QCOMPARE(none.top(), INT_MAX);
        SV_UIntValidator negative("-5", "100");
        QCOMPARE(negative.bottom(), 0);
        QCOMPARE(negative.top(), 100);
        SV_UIntValidator big("3000000000", "4294967295");
        QCOMPARE(big.bottom(), 0); // does not fit a non-negative int
        // A top beyond the signed range means no upper limit, not a negative one.
        QCOMPARE(big.top(), INT_MAX);
        SV_UIntValidator given("5", "junk");
        QCOMPARE(given.bottom(), 5);
        QCOMPARE(given.top(), INT_MAX);

        int pos = 0;
        QString s = "-1";
        QCOMPARE(none.validate(s, pos), QValidator::Invalid);
        s = "42";
        QCOMPARE(big.validate(s, pos), QValidator::Acceptable);
    }

    void doubleBounds() {
        SV_DoubleValidator v("0.5", "2.5e1");
        QCOMPARE(v.bottom(), 0.5);
        QCOMPARE(v.top(), 25.0);
        SV_DoubleValidator bad("low", QString());
        QDoubleValidator plain;
        QCOMPARE(bad.bottom(), plain.bottom());
        QCOMPARE(bad.top(), plain.top());

        int pos = 0;
        QString s = "1.5"; // a dot as decimal point, whatever the locale
        QCOMPARE(v.validate(s, pos), QValidator::Acceptable);
        s = "1,5";
        QVERIFY(v.validate(s, pos) != QValidator::Acceptable);
    }

    void numericFixupKeepsText() {
        SV_IntValidator i{QString(), QString()};
        SV_UIntValidator u{QString(), QString()};
        SV_DoubleValidator d{QString(), QString()};
        for (const char* text : {"007", "+5", "1.", "1.5", "1e3", "abc"}) {
            QString a = text, b = text, c = text;
            i.fixup(a);
            u.fixup(b);
            d.fixup(c);
            QCOMPARE(a, QString(text));
            QCOMPARE(b, QString(text));
            QCOMPARE(c, QString(text));
        }
    }

    void ldapValueEscaping_data() {
        QTest::addColumn<QString>("in");
        QTest::addColumn<QString>("out");
        QTest::newRow("comma") << "Smith, John"
                               << "Smith\\, John";
        QTest::newRow("several") << "a=b;c"
                                 << "a\\=b\\;c";
        QTest::newRow("all") << ",+=\"<>#;"
                             << "\\,\\+\\=\\\"\\<\\>\\#\\;";
        QTest::newRow("escaped") << "Smith\\, John"
                                 << "Smith\\, John";
        QTest::newRow("leading") << "#1"
                                 << "\\#1";
        QTest::newRow("blanks kept") << " a,b "
                                     << " a\\,b ";
        QTest::newRow("plain") << "abc"
                               << "abc";
    }
    void ldapValueEscaping() {
        QFETCH(QString, in);
        QFETCH(QString, out);
        SV_LDAPValueValidator v;
        QString fixed = in;
        v.fixup(fixed);
        QCOMPARE(fixed, out);
        v.fixup(fixed); // idempotent
        QCOMPARE(fixed, out);
        QString validated = in;
        int pos = 0;
        QCOMPARE(v.validate(validated, pos), QValidator::Acceptable);
        QCOMPARE(validated, out);
    }

    void ldapValueCursor() {
        SV_LDAPValueValidator v;
        QString empty;
        int pos = 0;
        QCOMPARE(v.validate(empty, pos), QValidator::Intermediate);
        QVERIFY(empty.isEmpty());

        // The user just typed the comma: the cursor stays right after it.
        QString typed = "Smith,";
        pos = 6;
        QCOMPARE(v.validate(typed, pos), QValidator::Acceptable);
        QCOMPARE(typed, QString("Smith\\,"));
        QCOMPARE(pos, 7);

        QString middle = "a,bc";
        pos = 1; // before the comma: not moved
        v.validate(middle, pos);
        QCOMPARE(middle, QString("a\\,bc"));
        QCOMPARE(pos, 1);
    }

    void ldapDN() {
        SV_LDAPDNValidator v;
        QString s;
        int pos = 0;
        QCOMPARE(v.validate(s, pos), QValidator::Intermediate);
        s = "cn=a,dc=b";
        QCOMPARE(v.validate(s, pos), QValidator::Acceptable);
        v.fixup(s);
        QCOMPARE(s, QString("cn=a,dc=b"));
    }
};

QTEST_GUILESS_MAIN(TestValidators)
#include "tst_validators.moc"
