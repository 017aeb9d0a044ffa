// The stage widget: element rows and stretches, the description beside or above the
// elements, element visibility after each initialisation, focus ends, the factory's
// fatal messages, and a look at a stage holding every kind of widget.

#include "widgettest.h"

#include "sv_qtinputwidgets.h"
#include "sv_qtoutputwidgets.h"
#include "sv_qtwidgetprovider.h"
#include "sv_stage.h"
#include "sv_textvariable.h"
#include "sv_uielement.h"
#include "sv_variable.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QStackedWidget>

using widgettest::Cell;
using widgettest::cellOf;

namespace {

QString element(const QString& inner, const QString& conditions = QString()) {
    return QStringLiteral("<ui-element>") + conditions + inner + QStringLiteral("</ui-element>");
}
QString input(const QString& var) {
    return element(QStringLiteral("<input-element><variable-input var_id='%1'/></input-element>")
                       .arg(var));
}
QString output(const QString& text, const QString& inner) {
    return element(QStringLiteral("<output-element><string>%1</string>%2</output-element>")
                       .arg(text, inner));
}
QString stageXml(const QString& id, const QString& ui, const QString& extra = QString()) {
    return QStringLiteral("<stage id='%1'><string>%1</string>%3<ui>%2</ui></stage>")
        .arg(id, ui, extra);
}

// Where the element grid sits in the outer grid; row -1 when it is not placed.
Cell gridCell(SV_QtStageWidget* w) {
    Cell cell;
    QGridLayout* outer = w->outerGrid();
    for (int i = 0; i < outer->count(); ++i)
        if (outer->itemAt(i)->layout() == w->elementGrid())
            outer->getItemPosition(i, &cell.row, &cell.column, &cell.rowSpan, &cell.columnSpan);
    return cell;
}

void fatalCases(const QString& name) {
    auto* stage = new SV_Stage(SV_Engine::engine());
    auto* text = new SV_TextVariable(SV_Engine::engine());
    if (name == QLatin1String("input-without-variable")) {
        stage->addUIElement(new SV_UIVariableInput(nullptr, SV_Engine::engine()));
    } else if (name == QLatin1String("bad-output")) {
        auto* sequence = new SV_UIActionSequence(SV_Engine::engine());
        sequence->setOption(QStringLiteral("output"), QStringLiteral("graph"));
        stage->addUIElement(sequence);
    } else if (name == QLatin1String("unknown-element")) {
        stage->addUIElement(new SV_UIElement(SV_Engine::engine()));
    } else if (name == QLatin1String("text-input-bool")) {
        SV_Variable* flag = SV_Engine::engine()->variable(QStringLiteral("none"));
        SV_UIVariableInput in(flag);
        QWidget parent;
        QGridLayout grid(&parent);
        SV_QtTextInput(&in, &grid, &parent).create();
        return;
    } else if (name == QLatin1String("bool-input-text")) {
        SV_UIVariableInput in(text);
        QWidget parent;
        QGridLayout grid(&parent);
        SV_QtBoolInput(&in, &grid, &parent).create();
        return;
    }
    SV_QtStageWidget widget(stage, QStringLiteral("top"), nullptr, nullptr);
}

} // namespace

class TestStageWidget : public QObject {
    Q_OBJECT
private:
    vantortest::TempDir m_dir;

private slots:
    void initTestCase() {
        m_dir.write(QStringLiteral("tr/desc.html"),
                    "<html><body><b>About this step</b> and more</body></html>");
        const QString ui_rows =
            input(QStringLiteral("name")) + input(QStringLiteral("pw")) +
            output(QStringLiteral("Working"),
                   QStringLiteral("<action-sequence><actionID action_id='ok'/></action-sequence>")) +
            output(QString(), QStringLiteral("<install-sequence><installaction-sequence><string>"
                                             "One</string><actionID action_id='ok'/>"
                                             "</installaction-sequence></install-sequence>")) +
            output(QStringLiteral("Bye"), QStringLiteral("<text-output/>"));
        const QString flagTrue = QStringLiteral(
            "<valid-conditions><var-condition var_id='flag' condition='boolean' value='true'/>"
            "</valid-conditions>");
        const QString never = QStringLiteral("<valid-conditions condition='or'/>");
        const QString desc = QStringLiteral("<stage-description file='desc.html'/>");
        const QString label = output(QStringLiteral("Hello"), QStringLiteral("<text-output/>"));
        const QString stages =
            stageXml(QStringLiteral("rows"), ui_rows) +
            stageXml(QStringLiteral("desc-elements"), label, desc) +
            stageXml(QStringLiteral("desc-only"), QString(), desc) +
            stageXml(QStringLiteral("no-desc"), label) +
            stageXml(QStringLiteral("empty"), QString()) +
            stageXml(QStringLiteral("missing-desc"), label,
                     QStringLiteral("<stage-description file='nope.html'/>")) +
            stageXml(QStringLiteral("visibility"),
                     element(QStringLiteral("<input-element><variable-input var_id='name'/>"
                                            "</input-element>"),
                             flagTrue) +
                         label) +
            stageXml(QStringLiteral("focus"),
                     label +
                         element(QStringLiteral("<input-element><variable-input var_id='name'/>"
                                                "</input-element>"),
                                 never) +
                         input(QStringLiteral("flag")) +
                         output(QStringLiteral("P"),
                                QStringLiteral("<action-sequence><actionID action_id='ok'/>"
                                               "</action-sequence>")) +
                         label) +
            stageXml(QStringLiteral("no-focus"), label) +
            stageXml(QStringLiteral("all-kinds"),
                     output(QStringLiteral("Every kind of element on one page: $$name$$"),
                            QStringLiteral("<text-output/>")) +
                         input(QStringLiteral("name")) + input(QStringLiteral("port")) +
                         input(QStringLiteral("pw")) + input(QStringLiteral("dir")) +
                         input(QStringLiteral("flag")) + input(QStringLiteral("kind")) +
                         input(QStringLiteral("opts")) + input(QStringLiteral("profile")) +
                         output(QString(), QStringLiteral("<variable-output var_id='name'/>")) +
                         output(QStringLiteral("Run the check"),
                                QStringLiteral("<action-launcher action_id='ok'/>")) +
                         output(QStringLiteral("Preparing"),
                                QStringLiteral("<action-sequence><actionID action_id='ok'/>"
                                               "</action-sequence>")) +
                         output(QStringLiteral("Output"),
                                QStringLiteral("<action-sequence output='text'><actionID "
                                               "action_id='ok'/></action-sequence>")),
                     desc);
        const QString sections =
            QStringLiteral("<languages dir='%1'/>").arg(m_dir.file(QStringLiteral("tr"))) +
            QStringLiteral(
                "<profiles><profile id='small'><string>Small site</string></profile>"
                "<profile id='large'><string>Large site</string></profile></profiles>"
                "<variables>"
                "<variable id='name' default='mail'><string>Name</string>"
                "<data-type><text-data/></data-type></variable>"
                "<variable id='port' default='25'><string>Port</string>"
                "<data-type><numeric-data datatype='int'/></data-type></variable>"
                "<variable id='pw'><string>Password</string>"
                "<data-type><password-data/></data-type></variable>"
                "<variable id='dir' default='/tmp'><string>Directory</string>"
                "<data-type><directory-selection/></data-type></variable>"
                "<variable id='flag' default='false'><string>Enable the flag</string>"
                "<data-type><boolean/></data-type></variable>"
                "<variable id='kind' default='a'><string>Kind</string><data-type>"
                "<single-selection><choice id='a'><string>First</string></choice>"
                "<choice id='b'><string>Second</string></choice></single-selection>"
                "</data-type></variable>"
                "<variable id='opts' default='x'><string>Options</string><data-type>"
                "<multiple-selection><choice id='x'><string>Ex</string></choice>"
                "<choice id='y'><string>Why</string></choice></multiple-selection>"
                "</data-type></variable>"
                "<variable id='profile' default='small'><string>Profile</string><data-type>"
                "<profile-selection><profile-choice profile_id='small'/>"
                "<profile-choice profile_id='large'/></profile-selection></data-type></variable>"
                "</variables>"
                "<actions><action type='process' id='ok'>"
                "<option-param param='process' value='true'/></action></actions>"
                "<stages>") +
            stages + QStringLiteral("</stages>");
        QVERIFY(widgettest::loadInstallFile(m_dir, sections));
    }

    // Each provider starts where the one before it ended; the rows around the elements
    // and inside the install monitor stretch.
    void rowsAndStretches() {
        auto w = widgettest::showStage(QStringLiteral("rows"));
        const auto& providers = w->providers();
        QCOMPARE(providers.size(), 5);
        QList<int> rows;
        for (SV_QtUIWidgetProvider* p : providers)
            rows << p->row();
        QCOMPARE(rows, (QList<int>{0, 1, 3, 5, 12}));
        QVERIFY(qobject_cast<SV_QtTextInput*>(providers[0]));
        QVERIFY(qobject_cast<SV_QtPasswordInput*>(providers[1]));
        QVERIFY(qobject_cast<SV_QtProgressOutput*>(providers[2]));
        QVERIFY(qobject_cast<SV_QtInstallOutput*>(providers[3]));
        QVERIFY(qobject_cast<SV_QtLabelOutput*>(providers[4]));

        QGridLayout* grid = w->elementGrid();
        QCOMPARE(grid->spacing(), 5);
        QList<int> stretches;
        for (int r = 0; r <= 13; ++r)
            stretches << grid->rowStretch(r);
        // Row 0 and the row after the last element; the monitor's rows 2 and 5.
        QCOMPARE(stretches, (QList<int>{1, 0, 0, 0, 0, 0, 0, 1, 0, 0, 2, 0, 0, 1}));

        auto* text = static_cast<SV_QtTextInput*>(providers[0]);
        Cell c = cellOf(grid, text->lineEdit());
        QCOMPARE(c.row, 0);
        QCOMPARE(c.column, 1);
        QCOMPARE(c.columnSpan, 3);
        QCOMPARE(cellOf(grid, text->label()).column, 0);
        auto* pw = static_cast<SV_QtPasswordInput*>(providers[1]);
        QCOMPARE(cellOf(grid, pw->secondLineEdit()).row, 2);
        auto* progress = static_cast<SV_QtProgressOutput*>(providers[2]);
        QCOMPARE(cellOf(grid, progress->label()).row, 3);
        QCOMPARE(cellOf(grid, progress->bar()).row, 4);
        QCOMPARE(cellOf(grid, progress->bar()).columnSpan, 4);
        auto* install = static_cast<SV_QtInstallOutput*>(providers[3]);
        QCOMPARE(cellOf(grid, install->titleLabel()).row, 5);
        QCOMPARE(cellOf(grid, install->overallBar()).row, 6);
        QCOMPARE(cellOf(grid, install->subJobLabel()).row, 8);
        QCOMPARE(cellOf(grid, install->subJobBar()).row, 9);
        // The result text stands beside its warning sign, the two in one cell.
        QCOMPARE(install->resultLabel()->parentWidget(), install->resultIcon()->parentWidget());
        QCOMPARE(cellOf(grid, install->resultLabel()->parentWidget()).row, 10);
        c = cellOf(grid, install->logButton());
        QCOMPARE(c.row, 11);
        QCOMPARE(c.column, 3);
        QCOMPARE(grid->itemAtPosition(11, 3)->alignment(), Qt::AlignRight);
        QCOMPARE(install->titleLabel()->text(), QStringLiteral("Installation Progress"));
        QCOMPARE(cellOf(grid, static_cast<SV_QtLabelOutput*>(providers[4])->label()).row, 12);

        QCOMPARE(w->outerGrid()->spacing(), 15);
        QCOMPARE(w->outerGrid()->contentsMargins(), QMargins(10, 10, 10, 10));
    }

    void descriptionPlacement_data() {
        QTest::addColumn<QString>("stage");
        QTest::addColumn<QString>("location");
        QTest::addColumn<int>("viewRow");
        QTest::addColumn<int>("viewColumn");
        QTest::addColumn<int>("gridRow");
        QTest::addColumn<int>("gridColumn");
        QTest::addColumn<int>("gridRowSpan");
        QTest::addColumn<int>("gridColumnSpan");
        QTest::addColumn<QList<int>>("rowStretch");    // outer rows 0, 1
        QTest::addColumn<QList<int>>("columnStretch"); // outer columns 0, 1
        const QList<int> none{0, 0};
        QTest::newRow("top") << "desc-elements" << "top" << 0 << 0 << 1 << 0 << 1 << 1
                             << QList<int>{1, 0} << none;
        QTest::newRow("left") << "desc-elements" << "left" << 0 << 0 << 0 << 1 << 1 << 1 << none
                              << QList<int>{1, 2};
        QTest::newRow("right") << "desc-elements" << "right" << 0 << 1 << 0 << 0 << 1 << 1
                               << none << QList<int>{2, 1};
        QTest::newRow("unknown is top") << "desc-elements" << "middle" << 0 << 0 << 1 << 0 << 1
                                        << 1 << QList<int>{1, 0} << none;
        QTest::newRow("top, no elements") << "desc-only" << "top" << 0 << 0 << -1 << -1 << 0
                                          << 0 << none << none;
        QTest::newRow("left, no elements") << "desc-only" << "left" << 0 << 0 << -1 << -1 << 0
                                           << 0 << none << none;
        QTest::newRow("right, no elements") << "desc-only" << "right" << 0 << 1 << -1 << -1 << 0
                                            << 0 << none << none;
        QTest::newRow("top, no description") << "no-desc" << "top" << -1 << -1 << 0 << 0 << 2
                                             << 1 << none << none;
        QTest::newRow("left, no description") << "no-desc" << "left" << -1 << -1 << 0 << 0 << 1
                                              << 2 << none << none;
        QTest::newRow("right, no description") << "no-desc" << "right" << -1 << -1 << 0 << 0 << 1
                                               << 2 << none << none;
    }
    void descriptionPlacement() {
        QFETCH(QString, stage);
        QFETCH(QString, location);
        auto w = widgettest::showStage(stage, location);
        QFETCH(int, viewRow);
        if (viewRow < 0) {
            QVERIFY(!w->descriptionView());
        } else {
            QVERIFY(w->descriptionView());
            const Cell view = cellOf(w->outerGrid(), w->descriptionView());
            QCOMPARE(view.row, viewRow);
            QTEST(view.column, "viewColumn");
            QVERIFY(w->descriptionView()->isReadOnly());
            QVERIFY(w->descriptionView()->toPlainText().contains(QStringLiteral("About this step")));
            QVERIFY(w->descriptionView()->toHtml().contains(QStringLiteral("font-weight")));
        }
        const Cell grid = gridCell(w.get());
        QTEST(grid.row, "gridRow");
        QTEST(grid.column, "gridColumn");
        QTEST(grid.rowSpan, "gridRowSpan");
        QTEST(grid.columnSpan, "gridColumnSpan");
        QGridLayout* outer = w->outerGrid();
        const bool sideBySide = location == QLatin1String("left") ||
                                location == QLatin1String("right");
        QCOMPARE(outer->rowCount(), sideBySide ? 1 : 2);
        QCOMPARE(outer->columnCount(), sideBySide ? 2 : 1);
        // Stretches of rows and columns beyond the grid read as 0.
        auto rowStretch = [outer](int r) { return r < outer->rowCount() ? outer->rowStretch(r) : 0; };
        auto columnStretch = [outer](int c) {
            return c < outer->columnCount() ? outer->columnStretch(c) : 0;
        };
        QTEST((QList<int>{rowStretch(0), rowStretch(1)}), "rowStretch");
        QTEST((QList<int>{columnStretch(0), columnStretch(1)}), "columnStretch");
        // The view and the elements share the page without overlapping.
        if (w->descriptionView() && grid.row >= 0) {
            auto* label = static_cast<SV_QtLabelOutput*>(w->providers().first())->label();
            const QRect labelRect(label->mapTo(w.get(), QPoint(0, 0)), label->size());
            QVERIFY(!w->descriptionView()->geometry().intersects(labelRect));
        }
    }

    void emptyStageAndMissingDescription() {
        auto empty = widgettest::showStage(QStringLiteral("empty"));
        QVERIFY(empty->providers().isEmpty());
        QCOMPARE(empty->elementGrid()->rowStretch(0), 1); // the final next row is row 0
        QVERIFY(!empty->firstFocusWidget());

        auto w = widgettest::showStage(QStringLiteral("missing-desc"));
        const QString expected = SV_Engine::engine()->translationFile(QStringLiteral("nope.html"));
        QCOMPARE(w->descriptionView()->toPlainText(),
                 QStringLiteral(":( Could not open qml file: ") + expected);
    }

    // A variable output without a variable gets no provider and takes no row.
    void variableOutputWithoutVariable() {
        SV_Engine* engine = SV_Engine::engine();
        auto* stage = new SV_Stage(engine);
        stage->addUIElement(new SV_UIVariableOutput(nullptr, engine));
        auto* text = new SV_UIOutput(engine);
        text->setText(QStringLiteral("after"));
        stage->addUIElement(text);
        SV_QtStageWidget w(stage, QStringLiteral("top"), nullptr, nullptr);
        QCOMPARE(w.providers().size(), 1);
        QCOMPARE(w.providers().first()->row(), 0);
        QCOMPARE(w.elementGrid()->rowStretch(1), 1);
        QCOMPARE(w.stage(), stage);
    }

    // Display conditions are evaluated again each time the initialisation has run, and
    // whenever the page is raised.
    void visibilityAfterInitialisation() {
        SV_Variable* flag = SV_Engine::engine()->variable(QStringLiteral("flag"));
        flag->storeValue({QStringLiteral("false")});
        QWidget stack;
        auto* w = new SV_QtStageWidget(widgettest::stage(QStringLiteral("visibility")),
                                       QStringLiteral("top"), &stack, "visibility");
        stack.show();
        auto* input = static_cast<SV_QtTextInput*>(w->providers().first());
        auto* label = static_cast<SV_QtLabelOutput*>(w->providers().last())->label();
        w->stage()->init();
        QVERIFY(input->lineEdit()->isHidden());
        QVERIFY(input->label()->isHidden());
        QVERIFY(label->isVisible());

        // A change alone does not show the element; the next initialisation does.
        flag->storeValue({QStringLiteral("true")});
        QVERIFY(input->lineEdit()->isHidden());
        w->stage()->init();
        QVERIFY(input->lineEdit()->isVisible());
        QVERIFY(input->label()->isVisible());

        // Raising the page again (a plain QWidget::show from a stack) re-evaluates too.
        flag->storeValue({QStringLiteral("false")});
        w->hide();
        static_cast<QWidget*>(w)->show();
        QVERIFY(input->lineEdit()->isHidden());
        flag->storeValue({QStringLiteral("false")});
    }

    // In a stack, a page whose stage finishes its initialisation while another page is
    // current stays hidden; the current page shows as usual.
    void initialisationOfAnotherPage() {
        QStackedWidget stack;
        auto* current = new SV_QtStageWidget(widgettest::stage(QStringLiteral("no-desc")),
                                             QStringLiteral("top"), &stack, nullptr);
        auto* other = new SV_QtStageWidget(widgettest::stage(QStringLiteral("visibility")),
                                           QStringLiteral("top"), &stack, nullptr);
        stack.addWidget(current);
        stack.addWidget(other);
        stack.setCurrentWidget(current);
        stack.show();
        QVERIFY(other->isHidden());
        other->stage()->init();
        QVERIFY(other->isHidden());
        QVERIFY(current->isVisible());
        stack.setCurrentWidget(other);
        QVERIFY(other->isVisible());
        QVERIFY(current->isHidden());
        other->stage()->init();
        QVERIFY(other->isVisible());
    }

    void focusEnds() {
        auto w = widgettest::showStage(QStringLiteral("focus"));
        auto* hidden = static_cast<SV_QtTextInput*>(w->providers().at(1));
        auto* flag = static_cast<SV_QtBoolInput*>(w->providers().at(2));
        QVERIFY(hidden->lineEdit()->isHidden());
        // Visibility does not matter; trailing outputs are skipped.
        QCOMPARE(w->firstFocusWidget(), static_cast<QWidget*>(hidden->lineEdit()));
        QCOMPARE(w->lastFocusWidget(), static_cast<QWidget*>(flag->falseBox()));

        auto none = widgettest::showStage(QStringLiteral("no-focus"));
        QVERIFY(!none->firstFocusWidget());
        QVERIFY(!none->lastFocusWidget());
    }

    void fatalMessages_data() {
        QTest::addColumn<QString>("scenario");
        QTest::addColumn<QString>("message");
        QTest::newRow("input without variable")
            << "input-without-variable" << "SV_QtStageWidget::widgetFactory, no input widget...";
        QTest::newRow("unknown output kind")
            << "bad-output"
            << "Qt Widget Factory, couldn't create an action-sequence widget, output_type = graph";
        QTest::newRow("unknown element") << "unknown-element"
                                         << "Qt WidgetFactory: Unknown UI Element type";
        QTest::newRow("text input, no variable")
            << "text-input-bool" << "SV_QtTextInput::create(), not a text variable";
        QTest::newRow("bool input, text variable")
            << "bool-input-text" << "SV_QtBoolInput::create(), not dealing with a bool variable";
    }
    void fatalMessages() {
        QFETCH(QString, scenario);
        QFETCH(QString, message);
        const vantortest::ProcessResult result = vantortest::runInOwnProcess(scenario);
        QVERIFY(result.started);
        QCOMPARE(result.exitCode, 1);
        QVERIFY2(QString::fromUtf8(result.err).contains(message), result.err.constData());
    }

    // Every kind of widget on one page: nothing overlaps, nothing leaves the page, and
    // a picture is saved for a person to look at.
    void everyKindOnOnePage() {
        auto w = widgettest::showStage(QStringLiteral("all-kinds"), QStringLiteral("left"));
        w->resize(900, 700);
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));
        QCOMPARE(w->providers().size(), 13);
        QList<QWidget*> shown;
        QGridLayout* grid = w->elementGrid();
        for (int i = 0; i < grid->count(); ++i)
            if (QWidget* child = grid->itemAt(i)->widget(); child && child->isVisible())
                shown << child;
        QVERIFY(shown.size() >= 20);
        const QRect page = w->rect();
        for (int i = 0; i < shown.size(); ++i) {
            const QRect a = shown[i]->geometry();
            QVERIFY2(page.contains(a), qPrintable(shown[i]->metaObject()->className()));
            QVERIFY2(a.height() >= shown[i]->minimumSizeHint().height(),
                     qPrintable(shown[i]->metaObject()->className()));
            for (int j = i + 1; j < shown.size(); ++j)
                QVERIFY2(!a.intersects(shown[j]->geometry()),
                         qPrintable(QStringLiteral("%1 overlaps %2")
                                        .arg(shown[i]->metaObject()->className(),
                                             shown[j]->metaObject()->className())));
        }
        const QString png = QCoreApplication::applicationDirPath() +
                            QStringLiteral("/stagewidget-all-kinds.png");
        QVERIFY(w->grab().save(png));
    }
};

WIDGET_TEST_MAIN(TestStageWidget, fatalCases)

#include "tst_stagewidget.moc"
