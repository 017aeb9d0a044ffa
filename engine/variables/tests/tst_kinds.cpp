// Store, value, equals and isEmpty rules of each variable kind, the selection passes of
// the choice kinds and the password rules.
#include "sv_boolvariable.h"
#include "sv_choicevariable.h"
#include "sv_directoryvariable.h"
#include "sv_numbervariable.h"
#include "sv_passwordvariable.h"
#include "sv_testsupport.h"
#include "sv_textvariable.h"

#include <QSignalSpy>
#include <QTest>

namespace {

SV_Choice* makeChoice(const QString& id, const QString& text = QString(),
                      const QStringList& depends = {}) {
    auto* c = new SV_Choice;
    c->setID(id);
    c->setText(text);
    c->depends = depends;
    return c;
}

QStringList selectedIds(SV_Variable& v) {
    QStringList ids;
    QListIterator<SV_Choice*> it = v.choiceIterator();
    while (it.hasNext()) {
        SV_Choice* c = it.next();
        if (c->selected)
            ids << c->ID();
    }
    return ids;
}

bool hasMessage(const QString& text) {
    return vantortest::messages().contains(text);
}

} // namespace

class TestKinds : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { vantortest::installMessageHandler(); }

    void textStoreRules() {
        SV_TextVariable v;
        QSignalSpy spy(&v, &SV_Variable::sig_valuechanged);
        QVERIFY(v.value().isNull());
        QVERIFY(v.isEmpty());
        v.storeValue({});
        v.storeValue({"a", "b"});
        QCOMPARE(spy.count(), 0);
        QVERIFY(v.value().isNull());

        v.storeValue({"hello"});
        v.storeValue({"hello"});
        QCOMPARE(spy.count(), 1);
        QCOMPARE(v.value(), QString("hello"));
        QVERIFY(v.equals("hello"));
        QVERIFY(!v.equals("Hello"));
        QVERIFY(!v.isEmpty());
        QVERIFY(v.validator() == nullptr);

        v.storeValue({""});
        QCOMPARE(spy.count(), 2);
        QVERIFY(v.isEmpty());
    }

    void textValidatorFixup() {
        SV_TextVariable v;
        v.setOption("validation-type", "ldap-name-part");
        QSignalSpy spy(&v, &SV_Variable::sig_valuechanged);
        v.storeValue({"Smith, John"});
        QCOMPARE(v.value(), QString("Smith\\, John"));
        // The comparison comes before the fixup: the raw text differs from the stored
        // one, so it is stored (fixed up to the same text) and signalled again.
        v.storeValue({"Smith, John"});
        QCOMPARE(spy.count(), 2);
        QCOMPARE(v.value(), QString("Smith\\, John"));
        // Storing the already escaped text equals the stored one: nothing happens.
        v.storeValue({"Smith\\, John"});
        QCOMPARE(spy.count(), 2);
        QVERIFY(v.validator() == v.validator());

        // An unknown type gives no validator, and is asked again later.
        SV_TextVariable late;
        late.setOption("validation-type", "bogus");
        QVERIFY(late.validator() == nullptr);
        late.setOption("validation-type", "int");
        QVERIFY(qobject_cast<QIntValidator*>(late.validator()));
        // Numbers keep the C form whatever the user's locale: no group separators.
        late.storeValue({"12345"});
        QCOMPARE(late.value(), QString("12345"));
        // Numeric fixups leave what is typed as it is, so a line edit showing the stored
        // value can be typed into digit by digit.
        late.storeValue({"007"});
        QCOMPARE(late.value(), QString("007"));
        SV_TextVariable real;
        real.setOption("validation-type", "double");
        for (const char* typed : {"1", "1.", "1.5"}) {
            real.storeValue({typed});
            QCOMPARE(real.value(), QString(typed));
        }
    }

    void numberStore() {
        SV_NumberVariable v; // no datatype: signed integer
        v.setOption("min", "1");
        v.setOption("max", "10");
        QSignalSpy spy(&v, &SV_Variable::sig_valuechanged);
        QVERIFY(qobject_cast<QIntValidator*>(v.validator()));
        v.storeValue({"5"});
        QCOMPARE(v.value(), QString("5"));
        v.storeValue({"abc"}); // Invalid: refused silently
        v.storeValue({"-3"});  // below bottom 1 and negative: Invalid
        v.storeValue({"5"});
        QCOMPARE(spy.count(), 1);
        QCOMPARE(v.value(), QString("5"));
        // Intermediate values are stored as given.
        v.storeValue({""});
        QCOMPARE(spy.count(), 2);
        QVERIFY(v.isEmpty());
        // A value with more digits than the top is Invalid for the toolkit.
        v.storeValue({"111"});
        QVERIFY(v.isEmpty());

        SV_NumberVariable d;
        d.setOption("datatype", "double");
        d.storeValue({"2.5"});
        QCOMPARE(d.value(), QString("2.5"));
        QVERIFY(d.equals("2.5"));
        d.storeValue({"x"});
        QCOMPARE(d.value(), QString("2.5"));

        SV_NumberVariable u;
        u.setOption("datatype", "uint");
        u.storeValue({"-1"});
        QVERIFY(u.value().isNull());
        u.storeValue({"7"});
        QCOMPARE(u.value(), QString("7"));

        // An unknown datatype offers no validator; values are stored unchecked.
        SV_NumberVariable odd;
        odd.setOption("datatype", "float");
        QVERIFY(odd.validator() == nullptr);
        odd.storeValue({"anything"});
        QCOMPARE(odd.value(), QString("anything"));
        odd.storeValue({"a", "b"});
        QCOMPARE(odd.value(), QString("anything"));
    }

    void booleanRules() {
        SV_BoolVariable v;
        QSignalSpy spy(&v, &SV_Variable::sig_valuechanged);
        // Never stored: undefined, but shows the empty text.
        QVERIFY(v.isUndefined());
        QVERIFY(v.equals("undefined"));
        QVERIFY(v.value().isEmpty());
        QVERIFY(v.isEmpty());

        v.setOption("true-text", "Yes");
        v.setOption("undefined-text", "Unknown");
        v.storeValue({"yes"});
        v.storeValue({"TRUE"});
        v.storeValue({"true", "false"});
        QCOMPARE(spy.count(), 0);

        v.storeValue({"true"});
        v.storeValue({"true"});
        QCOMPARE(spy.count(), 1);
        QCOMPARE(v.value(), QString("Yes"));
        QVERIFY(v.isTrue() && !v.isFalse() && !v.isUndefined());
        QVERIFY(v.equals("true"));
        QVERIFY(!v.equals("Yes"));
        QVERIFY(!v.equals("false"));

        v.storeValue({"false"}); // no false-text: the word itself
        QCOMPARE(v.value(), QString("false"));
        QVERIFY(v.isFalse());
        v.storeValue({"undefined"});
        QCOMPARE(v.value(), QString("Unknown"));
        QVERIFY(v.isUndefined());
        QCOMPARE(spy.count(), 3);
    }

    void directory() {
        vantortest::TempDir dir;
        SV_DirectoryVariable v;
        QSignalSpy spy(&v, &SV_Variable::sig_valuechanged);
        QVERIFY(!v.isCurrentDataValid("existing-dir")); // empty path names no directory
        v.storeValue({dir.path()});
        v.storeValue({dir.path()});
        QCOMPARE(spy.count(), 1);
        QVERIFY(v.isCurrentDataValid("existing-dir"));
        QVERIFY(!v.isCurrentDataValid("valid-password"));
        QVERIFY(v.equals(dir.path()));
        v.storeValue({dir.file("missing")});
        QVERIFY(!v.dirExists());
        v.storeValue({dir.write("plain", "x")}); // a file is no directory
        QVERIFY(!v.dirExists());
    }

    void singleSelection() {
        SV_SChoiceVariable v;
        v.addChoice(makeChoice("a", "Alpha"));
        v.addChoice(makeChoice("b", "Beta"));
        v.addChoice(makeChoice("c", "Gamma"));
        QSignalSpy spy(&v, &SV_Variable::sig_valuechanged);
        QVERIFY(!v.isChoiceSelected(QString()));
        QVERIFY(v.value().isNull());
        QVERIFY(!v.isEmpty());

        v.storeValue({"b"});
        QCOMPARE(selectedIds(v), QStringList{"b"});
        QCOMPARE(v.value(), QString("Beta"));
        QVERIFY(v.equals("b"));
        QVERIFY(!v.equals("Beta"));
        QVERIFY(v.isChoiceSelected(QString()));
        v.storeValue({"b"});
        QCOMPARE(spy.count(), 1);
        v.storeValue({"b", "c"});
        QCOMPARE(spy.count(), 1);

        v.storeValue({"zzz"});
        QCOMPARE(spy.count(), 2);
        QVERIFY(selectedIds(v).isEmpty());
    }

    void duplicateChoiceIds() {
        SV_SChoiceVariable v;
        SV_Choice* first = makeChoice("a", "First");
        SV_Choice* second = makeChoice("a", "Second");
        v.addChoice(first);
        v.addChoice(second);
        QCOMPARE(v.choice("a"), second);
        v.storeValue({"a"});
        QVERIFY(first->selected && second->selected);
        QCOMPARE(v.value(), QString("First"));
    }

    void multipleSelectionPasses() {
        SV_MChoiceVariable v;
        v.addChoice(makeChoice("a"));
        v.addChoice(makeChoice("b", QString(), {"a"}));
        v.addChoice(makeChoice("c"));
        v.addChoice(makeChoice("d", QString(), {"nowhere", "c"}));
        QSignalSpy spy(&v, &SV_Variable::sig_valuechanged);
        QVERIFY(v.value().isEmpty());
        QVERIFY(!v.isEmpty());

        // Ticking b ticks its requirement a.
        v.storeValue({"b"});
        QCOMPARE(selectedIds(v), (QStringList{"a", "b"}));
        QCOMPARE(spy.count(), 1);
        v.storeValue({"a", "b"});
        QCOMPARE(spy.count(), 1);

        // Unticking a unticks b, although b is still in the list.
        v.storeValue({"b"});
        QVERIFY(selectedIds(v).isEmpty());
        QCOMPARE(spy.count(), 2);

        // A depends entry that names no choice is skipped; the others still apply.
        v.storeValue({"d", "unknown"});
        QCOMPARE(selectedIds(v), (QStringList{"c", "d"}));
        QCOMPARE(v.value(), QString("c,d"));
        QVERIFY(!v.equals("c"));
        v.storeValue({"c"}); // d is not in the list any more
        QCOMPARE(v.value(), QString("c"));
        QVERIFY(v.equals("c"));
        QVERIFY(!v.equals("a"));
        v.storeValue({});
        QVERIFY(v.value().isEmpty());
        QVERIFY(!v.isChoiceSelected(QString()));
    }

    void multipleSelectionOneLevel() {
        // c requires b, b requires a: ticking c ticks b but not a; unticking a unticks b,
        // which the still ticked c then ticks again.
        SV_MChoiceVariable v;
        v.addChoice(makeChoice("a"));
        v.addChoice(makeChoice("b", QString(), {"a"}));
        v.addChoice(makeChoice("c", QString(), {"b"}));
        v.storeValue({"c"});
        QCOMPARE(selectedIds(v), (QStringList{"b", "c"}));
        v.storeValue({"a", "b", "c"});
        QCOMPARE(selectedIds(v), (QStringList{"a", "b", "c"}));
        v.storeValue({"b", "c"});
        QCOMPARE(selectedIds(v), (QStringList{"b", "c"}));
    }

    void passwordPairs() {
        SV_PasswordVariable v;
        QSignalSpy spy(&v, &SV_Variable::sig_valuechanged);
        // No conditions: any matching pair, the empty one included, is valid.
        QVERIFY(v.isValidPassword());
        QVERIFY(v.isEmpty());

        v.storeValue({"secret", "secrat"});
        QCOMPARE(spy.count(), 1);
        QVERIFY(!v.isValidPassword());
        QVERIFY(v.value().isEmpty());
        QVERIFY(!v.isEmpty());
        QVERIFY(!v.equals("secret"));
        QVERIFY(!v.equals("secrat"));
        QVERIFY(!v.isCurrentDataValid("valid-password"));

        v.storeValue({"secret", "secret"});
        QCOMPARE(spy.count(), 2);
        v.storeValue({"secret", "secret"});
        QCOMPARE(spy.count(), 2);
        QVERIFY(v.isCurrentDataValid("valid-password"));
        QVERIFY(!v.isCurrentDataValid("existing-dir"));
        QCOMPARE(v.value(), QString("secret"));
        QVERIFY(v.equals("secret"));

        // One entry sets both, silently.
        v.storeValue({"other"});
        QCOMPARE(spy.count(), 2);
        QCOMPARE(v.value(), QString("other"));
        v.storeValue({"a", "b", "c"});
        QCOMPARE(v.value(), QString("other"));
    }

    void passwordRules() {
        SV_PasswordVariable v;
        v.setOption("min_length", "6");
        v.storeValue({"abcde"});
        QVERIFY(!v.isValidPassword());
        v.storeValue({"abcdef"});
        QVERIFY(v.isValidPassword());

        vantortest::clearMessages();
        v.setOption("min_length", "six");
        v.storeValue({""});
        QVERIFY(v.isValidPassword());
        QVERIFY(hasMessage("invalid setting for min_length"));

        SV_PasswordVariable noAlpha;
        noAlpha.setOption("security", "no-alpha");
        QVERIFY(noAlpha.isValidPassword()); // empty, no minimum
        noAlpha.storeValue({"1234-!?"});
        QVERIFY(noAlpha.isValidPassword());
        noAlpha.storeValue({"12a4"});
        QVERIFY(!noAlpha.isValidPassword());
        noAlpha.storeValue({QString::fromUtf8("12\xc3\xa9")}); // a non-ASCII letter
        QVERIFY(!noAlpha.isValidPassword());

        SV_PasswordVariable dict;
        dict.setOption("security", "non-dictionary");
        dict.storeValue({"password"});
        vantortest::clearMessages();
        QVERIFY(dict.isValidPassword());
        QVERIFY(dict.isValidPassword());
        QCOMPARE(vantortest::messages().count("checking for non-dictionary passwords not done"), 2);

        SV_PasswordVariable misspelt;
        misspelt.setOption("security", "no_alpha");
        misspelt.storeValue({"123"});
        QVERIFY(!misspelt.isValidPassword());
    }
};

QTEST_GUILESS_MAIN(TestKinds)
#include "tst_kinds.moc"
