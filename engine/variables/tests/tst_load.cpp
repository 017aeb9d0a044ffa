// Reading the variables section: kinds, settings, defaults, the registry rule, and
// profile selection applying profiles through the engine.
#include "sv_boolvariable.h"
#include "sv_choicevariable.h"
#include "sv_directoryvariable.h"
#include "sv_engine.h"
#include "sv_installfilebuilder.h"
#include "sv_numbervariable.h"
#include "sv_passwordvariable.h"
#include "sv_testsupport.h"
#include "sv_textvariable.h"

#include <QSignalSpy>
#include <QTest>

namespace {

SV_XmlNode installFile(const QString& body) {
    return vantortest::parseXml(QStringLiteral("<installation>%1</installation>").arg(body));
}

SV_Engine* engine() {
    return SV_Engine::engine();
}

} // namespace

class TestLoad : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { vantortest::installMessageHandler(); }

    void kindsAndSettings() {
        engine()->loadVariables(installFile(R"(
          <variables>
            <variable id="k.text" default="Smith, John"><string> Name </string>
              <data-type><!-- a comment --><text-data validation-type="ldap-name-part"/></data-type>
            </variable>
            <variable id="k.num" default="5"><data-type><numeric-data min="1" max="10"/></data-type></variable>
            <variable id="k.bool" default="true"><data-type><boolean>
              <true-text><string>Yes</string></true-text><false-text><string>No</string></false-text>
            </boolean></data-type></variable>
            <variable id="k.dir" default="/opt/x"><data-type><directory-selection/></data-type></variable>
            <variable id="k.single" default="b"><data-type><single-selection>
              <choice id="a"><string>Alpha</string></choice><choice id="b"><string>Beta</string></choice>
            </single-selection></data-type></variable>
            <variable id="k.multi" default="a,,c"><data-type><multiple-selection>
              <choice id="a"/><choice id="b" depends="a,,c"/><choice id="c"/>
            </multiple-selection></data-type></variable>
            <variable id="k.pass" default="s3cret"><data-type><password-data>
              <password-conditions min_length="4" security="no-alpha"/>
            </password-data></data-type></variable>
            <variable id="k.unknown" default="x"><data-type><colour/></data-type></variable>
            <variable id="k.nodata" default="x"><string>None</string></variable>
            <other id="k.other"><data-type><text-data/></data-type></other>
          </variables>)"));

        auto* text = qobject_cast<SV_TextVariable*>(engine()->variable("k.text"));
        QVERIFY(text);
        QCOMPARE(text->ID(), QString("k.text"));
        QCOMPARE(text->text(), QString("Name"));
        QCOMPARE(text->value(), QString("Smith\\, John")); // default went through the fixup

        auto* num = qobject_cast<SV_NumberVariable*>(engine()->variable("k.num"));
        QVERIFY(num);
        QCOMPARE(num->value(), QString("5"));
        QVERIFY(num->option("datatype").isNull());
        QCOMPARE(num->option("max"), QString("10"));

        auto* boolean = qobject_cast<SV_BoolVariable*>(engine()->variable("k.bool"));
        QVERIFY(boolean);
        QCOMPARE(boolean->value(), QString("Yes"));
        QVERIFY(boolean->option("undefined-text").isNull());
        boolean->storeValue({"false"});
        QCOMPARE(boolean->value(), QString("No"));

        auto* dir = qobject_cast<SV_DirectoryVariable*>(engine()->variable("k.dir"));
        QVERIFY(dir);
        QCOMPARE(dir->value(), QString("/opt/x"));

        auto* single = qobject_cast<SV_SChoiceVariable*>(engine()->variable("k.single"));
        QVERIFY(single);
        QCOMPARE(single->value(), QString("Beta"));
        QCOMPARE(single->choice("a")->text(), QString("Alpha"));

        auto* multi = qobject_cast<SV_MChoiceVariable*>(engine()->variable("k.multi"));
        QVERIFY(multi);
        QCOMPARE(multi->value(), QString("a,c"));
        QCOMPARE(multi->choice("b")->depends, (QStringList{"a", "c"}));
        QStringList order;
        QListIterator<SV_Choice*> it = multi->choiceIterator();
        while (it.hasNext())
            order << it.next()->ID();
        QCOMPARE(order, (QStringList{"a", "b", "c"}));

        auto* pass = qobject_cast<SV_PasswordVariable*>(engine()->variable("k.pass"));
        QVERIFY(pass);
        QCOMPARE(pass->option("pass1"), QString("s3cret"));
        QCOMPARE(pass->option("pass2"), QString("s3cret"));
        QVERIFY(!pass->isValidPassword()); // has letters
        pass->storeValue({"1234", "1234"});
        QCOMPARE(pass->value(), QString("1234"));

        vantortest::clearMessages();
        QVERIFY(!engine()->variable("k.unknown"));
        QVERIFY(!engine()->variable("k.nodata"));
        QVERIFY(!engine()->variable("k.other"));
        QVERIFY(vantortest::messages().contains("Non-valid variable: k.unknown requested"));
    }

    void defaults() {
        engine()->loadVariables(installFile(R"(
          <variables>
            <variable id="d.none"><data-type><text-data/></data-type></variable>
            <variable id="d.empty" default=""><data-type><text-data/></data-type></variable>
            <variable id="d.multiEmpty" default=""><data-type><multiple-selection>
              <choice id="a"/></multiple-selection></data-type></variable>
            <variable id="d.bool" default="maybe"><data-type><boolean/></data-type></variable>
            <variable id="d.num" default="abc"><data-type><numeric-data datatype="int"/></data-type></variable>
            <variable id="d.pass"><data-type><password-data/></data-type></variable>
          </variables>)"));
        QVERIFY(engine()->variable("d.none")->value().isNull());
        QVERIFY(engine()->variable("d.empty")->isEmpty());
        QCOMPARE(engine()->variable("d.multiEmpty")->value(), QString(""));
        auto* b = qobject_cast<SV_BoolVariable*>(engine()->variable("d.bool"));
        QVERIFY(b->isUndefined());
        QVERIFY(b->value().isEmpty());
        QVERIFY(engine()->variable("d.num")->value().isNull());
        // No password conditions, no default: the empty pair is valid and empty.
        QVERIFY(engine()->variable("d.pass")->isEmpty());
    }

    void laterIdHidesEarlier() {
        engine()->loadVariables(installFile(R"(
          <variables>
            <variable id="dup" default="first"><data-type><text-data/></data-type></variable>
            <variable id="dup" default="second"><data-type><directory-selection/></data-type></variable>
          </variables>)"));
        SV_Variable* found = engine()->variable("dup");
        QVERIFY(qobject_cast<SV_DirectoryVariable*>(found));
        QCOMPARE(found->value(), QString("second"));
        // The hidden one stays alive as a child of the engine.
        int texts = 0;
        for (SV_TextVariable* v : engine()->findChildren<SV_TextVariable*>()) {
            if (v->ID() == "dup" && v->value() == "first")
                ++texts;
        }
        QCOMPARE(texts, 1);
    }

    void profileSelection() {
        const SV_XmlNode root = installFile(R"(
          <profiles>
            <profile id="small"><string>Small setup</string>
              <var-ref var_id="p.zeta" value="z-small"/>
              <var-ref var_id="p.alpha" value="a-small"/>
              <var-ref var_id="p.multi" value="x,,y"/>
              <var-ref var_id="p.pass" value="pw"/>
              <var-ref var_id="p.late" value="late-small"/>
              <var-ref var_id="p.missing" value="whatever"/>
            </profile>
            <profile id="big"><string>Big setup</string>
              <var-ref var_id="p.alpha" value="a-big"/>
            </profile>
          </profiles>
          <variables>
            <variable id="p.zeta"><data-type><text-data/></data-type></variable>
            <variable id="p.alpha"><data-type><text-data/></data-type></variable>
            <variable id="p.multi"><data-type><multiple-selection>
              <choice id="x"/><choice id="y"/><choice id="z"/></multiple-selection></data-type></variable>
            <variable id="p.pass"><data-type><password-data/></data-type></variable>
            <variable id="p.choice" default="small"><data-type><profile-selection>
              <profile-choice profile_id="small"/><profile-choice profile_id="big"/>
              <profile-choice profile_id="ghost"/><profile-choice/>
            </profile-selection></data-type></variable>
            <variable id="p.late" default="own"><data-type><text-data/></data-type></variable>
          </variables>)");
        engine()->loadProfiles(root);
        engine()->loadVariables(root);

        // The default applied the profile to the variables declared before it; the one
        // declared after it keeps its own default.
        auto* choice = qobject_cast<SV_ProfileVariable*>(engine()->variable("p.choice"));
        QVERIFY(choice);
        QCOMPARE(engine()->variable("p.alpha")->value(), QString("a-small"));
        QCOMPARE(engine()->variable("p.zeta")->value(), QString("z-small"));
        QCOMPARE(engine()->variable("p.multi")->value(), QString("x,y"));
        QCOMPARE(engine()->variable("p.pass")->value(), QString("pw"));
        QCOMPARE(engine()->variable("p.late")->value(), QString("own"));
        QCOMPARE(choice->value(), QString("Small setup"));
        QVERIFY(choice->equals("small"));
        QVERIFY(!choice->choice(QString()));

        // Values are applied in ascending order of variable id, before the variable's own
        // signal.
        QStringList order;
        SV_Variable* alpha = engine()->variable("p.alpha");
        SV_Variable* zeta = engine()->variable("p.zeta");
        connect(alpha, &SV_Variable::sig_valuechanged, this, [&] { order << "p.alpha"; });
        connect(zeta, &SV_Variable::sig_valuechanged, this, [&] { order << "p.zeta"; });
        connect(choice, &SV_Variable::sig_valuechanged, this, [&] { order << "p.choice"; });
        alpha->storeValue({"edited"});
        zeta->storeValue({"edited"});
        order.clear();
        choice->storeValue({"small"}); // already selected: not applied again
        QVERIFY(order.isEmpty());
        QCOMPARE(alpha->value(), QString("edited"));

        choice->storeValue({"big"});
        QCOMPARE(order, (QStringList{"p.alpha", "p.choice"}));
        QCOMPARE(alpha->value(), QString("a-big"));
        QCOMPARE(choice->value(), QString("Big setup"));

        order.clear();
        choice->storeValue({"small"});
        QCOMPARE(order, (QStringList{"p.alpha", "p.zeta", "p.choice"}));
        QCOMPARE(engine()->variable("p.late")->value(), QString("late-small"));

        // A choice naming no profile: selected, but shows the empty text.
        choice->storeValue({"ghost"});
        QVERIFY(choice->isChoiceSelected("ghost"));
        QCOMPARE(choice->value(), QString(""));
        choice->storeValue({"nothing"});
        QVERIFY(!choice->isChoiceSelected(QString()));
        QCOMPARE(choice->value(), QString(""));
    }
};

QTEST_GUILESS_MAIN(TestLoad)
#include "tst_load.moc"
