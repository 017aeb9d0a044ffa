// Output widgets: texts that follow variables, the action launcher, progress and text
// outputs of action sequences (with a real command's output), and the install monitor
// across two sequences, after a failure and when its stage is shown again.

#include "widgettest.h"

#include "sv_action.h"
#include "sv_actionprocessor.h"
#include "sv_installsequenceaction.h"
#include "sv_qtoutputwidgets.h"
#include "sv_stage.h"
#include "sv_uielement.h"
#include "sv_variable.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTextBrowser>

using widgettest::cellOf;

namespace {

// An action the test moves on by hand.
class ManualAction : public SV_Action {
    Q_OBJECT
public:
    explicit ManualAction(int total) : SV_Action(SV_Engine::engine()) {
        m_totalSteps = total;
        setID(QStringLiteral("manual"));
    }
    int starts = 0;
    void slot_start() override {
        SV_Action::slot_start();
        ++starts;
    }
    void step(int steps) {
        m_currSteps = steps;
        emit sig_progress(steps);
    }
    void finish(bool ok) {
        if (!ok)
            err(ID(), QStringLiteral("broken on purpose"));
        slot_setDone();
    }
};

SV_Variable* var(const QString& id) {
    return SV_Engine::engine()->variable(id);
}

template <class T> T* provider(SV_QtStageWidget* w, int index) {
    return qobject_cast<T*>(w->providers().value(index));
}

struct InstallStage {
    SV_Stage* stage;
    SV_UIInstallSequence* element;
    ManualAction* first;
    ManualAction* second;
};

// A stage holding an install monitor over two sequences of one manual action each.
InstallStage makeInstallStage(const QString& title) {
    SV_Engine* engine = SV_Engine::engine();
    InstallStage s;
    s.stage = new SV_Stage(engine);
    s.element = new SV_UIInstallSequence(engine);
    if (!title.isNull())
        s.element->setText(title);
    s.first = new ManualAction(4);
    s.second = new ManualAction(6);
    auto* one = new SV_UIActionSequence(engine);
    one->setText(QStringLiteral("Copying files"));
    one->addAction(s.first);
    auto* two = new SV_UIActionSequence(engine);
    two->setText(QStringLiteral("Configuring"));
    two->addAction(s.second);
    s.element->addActionSequence(one);
    s.element->addActionSequence(two);
    s.stage->addUIElement(s.element);
    auto* after = new SV_UIOutput(engine);
    after->setText(QStringLiteral("below"));
    s.stage->addUIElement(after);
    return s;
}

} // namespace

class TestOutputWidgets : public QObject {
    Q_OBJECT
private:
    vantortest::TempDir m_dir;

private slots:
    void initTestCase() {
        const QString script = QStringLiteral(
            "printf 'one\\ntwo\\r\\nthr'; sleep 1; "
            "printf 'ee\\n&lt;b&gt;x&lt;/b&gt;  &amp;amp;  y\\n'; "
            "echo problem &gt;&amp;2; printf tail");
        const QString sections =
            QStringLiteral(
                "<variables>"
                "<variable id='name' default='mail'><string>Name</string>"
                "<data-type><text-data/></data-type></variable>"
                "</variables>"
                "<actions><action type='process' id='lines'>"
                "<option-param param='process' value='sh'/>"
                "<option-param param='arg1' value='-c'/>"
                "<option-param param='arg2' value=\"%1\"/></action></actions>"
                "<stages>"
                "<stage id='labels'><ui>"
                "<ui-element><output-element><string>Host is $$name$$</string><text-output/>"
                "</output-element></ui-element>"
                "<ui-element><output-element><variable-output var_id='name'/>"
                "</output-element></ui-element>"
                "<ui-element><output-element><string>Named</string>"
                "<variable-output var_id='name'/></output-element></ui-element>"
                "</ui></stage>"
                "<stage id='text'><ui>"
                "<ui-element><output-element><string>Output</string>"
                "<action-sequence output='text'><actionID action_id='lines'/></action-sequence>"
                "</output-element></ui-element>"
                "</ui></stage>"
                "</stages>")
                .arg(script);
        QVERIFY(widgettest::loadInstallFile(m_dir, sections));
    }

    // A label shows variables as they are when the stage is shown; a variable output
    // follows its variable at once on every stage showing it.
    void labelsAndVariableOutputs() {
        auto a = widgettest::showStage(QStringLiteral("labels"));
        auto b = widgettest::showStage(QStringLiteral("labels"));
        auto* label = provider<SV_QtLabelOutput>(a.get(), 0);
        QVERIFY(label);
        QCOMPARE(label->label()->text(), QStringLiteral("Host is mail"));
        QCOMPARE(label->label()->margin(), 15);
        QVERIFY(label->label()->wordWrap());
        QCOMPARE(label->label()->alignment(), Qt::AlignCenter);
        QCOMPARE(cellOf(a->elementGrid(), label->label()).columnSpan, 4);

        auto* unnamed = provider<SV_QtVariableOutput>(a.get(), 1);
        auto* named = provider<SV_QtVariableOutput>(a.get(), 2);
        auto* other = provider<SV_QtVariableOutput>(b.get(), 1);
        QVERIFY(unnamed && named && other);
        QCOMPARE(unnamed->label()->text(), QStringLiteral("Name:"));
        QCOMPARE(named->label()->text(), QStringLiteral("Named"));
        QVERIFY(unnamed->valueField()->isReadOnly());
        QCOMPARE(unnamed->valueField()->text(), QStringLiteral("mail"));
        QCOMPARE(cellOf(a->elementGrid(), unnamed->valueField()).column, 1);

        var(QStringLiteral("name"))->storeValue({QStringLiteral("relay")});
        QCOMPARE(unnamed->valueField()->text(), QStringLiteral("relay"));
        QCOMPARE(other->valueField()->text(), QStringLiteral("relay"));
        QCOMPARE(label->label()->text(), QStringLiteral("Host is mail"));
        a->show();
        QCOMPARE(label->label()->text(), QStringLiteral("Host is relay"));
        var(QStringLiteral("name"))->storeValue({QStringLiteral("mail")});
    }

    // A value longer than its field is shown from its beginning (a line edit would show
    // its end, where setText() leaves the cursor), also after the variable changes.
    void variableOutputShowsItsBeginning() {
        const QString longValue =
            QStringLiteral("mail.example.org in domain example.org below /srv/quorelle/root, "
                           "installed by a user with a rather long name");
        SV_Variable* name = var(QStringLiteral("name"));
        name->storeValue({longValue});
        auto w = widgettest::showStage(QStringLiteral("labels"));
        auto* field = provider<SV_QtVariableOutput>(w.get(), 1)->valueField();
        QVERIFY(field->fontMetrics().horizontalAdvance(longValue) > field->width());
        QCOMPARE(field->text(), longValue);
        QCOMPARE(field->cursorPosition(), 0);
        name->storeValue({longValue + QStringLiteral(" and more")});
        QCOMPARE(field->text(), longValue + QStringLiteral(" and more"));
        QCOMPARE(field->cursorPosition(), 0);
        name->storeValue({QStringLiteral("mail")});
    }

    void actionLauncher() {
        SV_Engine* engine = SV_Engine::engine();
        auto* stage = new SV_Stage(engine);
        auto* launcher = new SV_UIActionLauncher(engine);
        launcher->setText(QStringLiteral("Test the connection"));
        auto* action = new ManualAction(1);
        launcher->setAction(action);
        stage->addUIElement(launcher);
        auto* empty = new SV_UIActionLauncher(engine); // nothing to launch: no widget
        stage->addUIElement(empty);
        SV_QtStageWidget w(stage, QStringLiteral("top"), nullptr, nullptr);
        w.show();
        auto* p = provider<SV_QtActionLauncher>(&w, 0);
        QVERIFY(p && p->button());
        QCOMPARE(p->button()->text(), QStringLiteral("Test the connection"));
        QCOMPARE(w.elementGrid()->itemAtPosition(0, 0)->alignment(), Qt::AlignCenter);
        QCOMPARE(cellOf(w.elementGrid(), p->button()).columnSpan, 4);
        QVERIFY(!provider<SV_QtActionLauncher>(&w, 1)->button());
        QCOMPARE(provider<SV_QtActionLauncher>(&w, 1)->row(), 1);
        QTest::mouseClick(p->button(), Qt::LeftButton);
        QTest::mouseClick(p->button(), Qt::LeftButton);
        QCOMPARE(action->starts, 2);
        QVERIFY(p->button()->isEnabled());
        QVERIFY(!w.firstFocusWidget()); // outputs take no part in the tab chain
    }

    // Two rows; the bar follows the sequence and shows the progress reached when the
    // stage is shown again.
    void progressOutput() {
        SV_Engine* engine = SV_Engine::engine();
        auto* stage = new SV_Stage(engine);
        auto* sequence = new SV_UIActionSequence(engine);
        sequence->setText(QStringLiteral("Preparing"));
        auto* action = new ManualAction(10);
        sequence->addAction(action);
        stage->addUIElement(sequence);
        auto* after = new SV_UIOutput(engine);
        stage->addUIElement(after);
        SV_QtStageWidget w(stage, QStringLiteral("top"), nullptr, nullptr);
        w.show();
        auto* p = provider<SV_QtProgressOutput>(&w, 0);
        QVERIFY(p);
        QCOMPARE(w.providers().at(1)->row(), 2);
        QCOMPARE(p->label()->text(), QStringLiteral("Preparing"));
        QCOMPARE(cellOf(w.elementGrid(), p->bar()).row, 1);
        QCOMPARE(p->bar()->maximum(), 10);

        stage->init();
        QTRY_COMPARE(action->starts, 1);
        action->step(3);
        QCOMPARE(p->bar()->value(), 3);
        w.hide();
        p->bar()->reset();
        w.show();
        QCOMPARE(p->bar()->value(), 3);
        action->finish(true);
        QTRY_VERIFY(stage->actionsDone());
        QCOMPARE(p->bar()->value(), 10);
        w.show();
        QCOMPARE(p->bar()->value(), 10); // a finished sequence shows a full bar
    }

    // The command's lines appear as it prints them: a line split across two reads is
    // one line, line ends are dropped, an unfinished last line still shows, standard
    // error too, and markup, entities and runs of spaces are shown as printed.
    void textOutputShowsCommandOutput() {
        auto w = widgettest::showStage(QStringLiteral("text"));
        auto* p = provider<SV_QtTextOutput>(w.get(), 0);
        QVERIFY(p && p->textView());
        QVERIFY(p->textView()->isReadOnly());
        // A titled output: the view in a group that shows the title, across the grid.
        QVERIFY(p->group());
        QCOMPARE(p->textView()->parentWidget(), p->group());
        QCOMPARE(cellOf(w->elementGrid(), p->group()).columnSpan, 4);
        SV_Stage* stage = w->stage();
        stage->init();
        // The first lines are there while the command still sleeps.
        QTRY_VERIFY(p->textView()->toPlainText().contains(QStringLiteral("two")));
        QVERIFY(!stage->actionsDone());
        QVERIFY(!p->textView()->toPlainText().contains(QStringLiteral("thr")));
        QTRY_VERIFY_WITH_TIMEOUT(stage->actionsDone(), 10000);
        QStringList shown = p->textView()->toPlainText().split(QLatin1Char('\n'));
        QVERIFY2(shown.size() == 6, qPrintable(shown.join(QLatin1Char('|'))));
        QCOMPARE(shown.mid(0, 4), (QStringList{QStringLiteral("one"), QStringLiteral("two"),
                                               QStringLiteral("three"),
                                               QStringLiteral("<b>x</b>  &amp;  y")}));
        QVERIFY(shown.contains(QStringLiteral("problem")));
        QVERIFY(shown.contains(QStringLiteral("tail")));

        // Running the sequence again adds its lines once more, not twice.
        stage->init();
        QTRY_VERIFY_WITH_TIMEOUT(stage->actionsDone() &&
                                     p->textView()->toPlainText().split(QLatin1Char('\n')).size() ==
                                         12,
                                 10000);
        QTest::qWait(100);
        QCOMPARE(p->textView()->toPlainText().split(QLatin1Char('\n')).size(), 12);
    }

    // Seven rows; the sub-job label and bar follow the current sequence only; the end
    // shows the result and enables "Show Log", which opens the viewer's log.
    void installMonitorTwoSequences() {
        InstallStage s = makeInstallStage(QStringLiteral("Installing Quorelle"));
        SV_QtStageWidget w(s.stage, QStringLiteral("top"), nullptr, nullptr);
        w.show();
        auto* m = provider<SV_QtInstallOutput>(&w, 0);
        QVERIFY(m);
        QCOMPARE(w.providers().at(1)->row(), 7);
        QCOMPARE(m->titleLabel()->text(), QStringLiteral("Installing Quorelle"));
        QCOMPARE(m->logButton()->text(), QStringLiteral("Show Log"));
        QVERIFY(!m->logButton()->isEnabled());
        QVERIFY(m->resultLabel()->text().isEmpty());
        QCOMPARE(m->overallBar()->maximum(), 10);

        s.stage->init();
        QTRY_COMPARE(m->subJobLabel()->text(), QStringLiteral("Copying files"));
        QCOMPARE(m->subJobBar()->maximum(), 4);
        s.first->step(2);
        QCOMPARE(m->subJobBar()->value(), 2);
        QCOMPARE(m->overallBar()->value(), 2);
        s.first->finish(true);
        QCOMPARE(m->overallBar()->value(), 4);
        QTRY_COMPARE(m->subJobLabel()->text(), QStringLiteral("Configuring"));
        QCOMPARE(m->subJobBar()->maximum(), 6);
        QCOMPARE(m->subJobBar()->value(), 0);
        s.first->step(3); // the finished sequence no longer moves the sub-job bar
        QCOMPARE(m->subJobBar()->value(), 0);
        s.second->step(5);
        QCOMPARE(m->subJobBar()->value(), 5);
        QCOMPARE(m->overallBar()->value(), 9);
        QVERIFY(m->subJobBar()->isVisible());
        s.second->finish(true);
        QTRY_VERIFY(m->logButton()->isEnabled());
        QCOMPARE(m->resultLabel()->text(),
                 QStringLiteral("The Installation appears to have successfully completed."));
        QVERIFY(m->subJobLabel()->isHidden());
        QVERIFY(m->subJobBar()->isHidden());
        QCOMPARE(m->overallBar()->value(), 10);
        w.resize(640, 480);
        QVERIFY(w.grab().save(QCoreApplication::applicationDirPath() +
                              QStringLiteral("/outputwidgets-install-done.png")));

        auto* viewer = vantortest::ScriptedViewer::current();
        const qsizetype before = viewer->calls.count(QStringLiteral("showLog"));
        QTest::mouseClick(m->logButton(), Qt::LeftButton);
        QCOMPARE(viewer->calls.count(QStringLiteral("showLog")), before + 1);

        // Shown again: empty result, "Show Log" disabled, the bars keep what was reached.
        w.hide();
        w.show();
        QVERIFY(m->resultLabel()->text().isEmpty());
        QVERIFY(!m->logButton()->isEnabled());
        QVERIFY(m->logButton()->isVisible());
        QCOMPARE(m->overallBar()->value(), 10);
        QCOMPARE(m->subJobBar()->value(), 6);
    }

    void installMonitorAfterFailure() {
        InstallStage s = makeInstallStage(QString());
        SV_QtStageWidget w(s.stage, QStringLiteral("top"), nullptr, nullptr);
        w.show();
        auto* m = provider<SV_QtInstallOutput>(&w, 0);
        QCOMPARE(m->titleLabel()->text(), QStringLiteral("Installation Progress"));
        s.stage->init();
        QTRY_COMPARE(s.first->starts, 1);
        s.first->finish(true);
        QTRY_COMPARE(s.second->starts, 1);
        s.second->finish(false);
        QTRY_VERIFY(m->logButton()->isEnabled());
        // The failure is visible: the warning sign, the text and what failed.
        QCOMPARE(m->resultLabel()->text(),
                 QStringLiteral(
                     "An error occured during installation, please view the Log for details\n"
                     "What failed:\nConfiguring: Action: manual, error msg: broken on purpose"));
        QVERIFY(m->resultIcon()->isVisibleTo(&w));

        // Entering the stage again runs the install again, from a clean monitor.
        s.stage->init();
        QVERIFY(m->resultLabel()->text().isEmpty());
        QVERIFY(!m->logButton()->isEnabled());
        QTRY_COMPARE(s.first->starts, 2);
        QCOMPARE(m->subJobLabel()->text(), QStringLiteral("Copying files"));
        QVERIFY(m->subJobLabel()->isVisible());
        s.first->finish(true);
        QTRY_COMPARE(s.second->starts, 2);
        s.second->finish(true);
        QTRY_VERIFY(m->logButton()->isEnabled());
        QCOMPARE(m->resultLabel()->text(),
                 QStringLiteral("The Installation appears to have successfully completed."));
    }
};

WIDGET_TEST_MAIN(TestOutputWidgets, nullptr)

#include "tst_outputwidgets.moc"
