// Input widgets against real variables: typed keys and clicks reach the variable at
// once, changes of the variable reach every widget bound to it.

#include "widgettest.h"

#include "sv_qtinputwidgets.h"
#include "sv_stage.h"
#include "sv_variable.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QFileDialog>
#include <QTimer>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QSignalSpy>

using widgettest::cellOf;

namespace {

SV_Variable* var(const QString& id) {
    return SV_Engine::engine()->variable(id);
}

template <class T> T* provider(SV_QtStageWidget* w, int index) {
    return qobject_cast<T*>(w->providers().value(index));
}

// The directory dialog stand-in: records its arguments, answers from a variable.
QWidget* s_chooserParent = nullptr;
QString s_chooserStart;
int s_chooserCalls = 0;
QString s_chooserAnswer;
QString fakeChooser(QWidget* parent, const QString& start) {
    s_chooserParent = parent;
    s_chooserStart = start;
    ++s_chooserCalls;
    return s_chooserAnswer;
}

// Buttons of a choice group are as wide as the group, but only their indicator and
// text take clicks.
void clickIndicator(QAbstractButton* button) {
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(8, button->height() / 2));
}

QString input(const QString& id) {
    return QStringLiteral("<ui-element><input-element><variable-input var_id='%1'/>"
                          "</input-element></ui-element>")
        .arg(id);
}

} // namespace

class TestInputWidgets : public QObject {
    Q_OBJECT
private:
    vantortest::TempDir m_dir;

private slots:
    void initTestCase() {
        const QString sections = QStringLiteral(
            "<profiles><profile id='small'><string>Small site</string>"
            "<var-ref var_id='host' value='small.example'/></profile>"
            "<profile id='large'><string>Large site</string>"
            "<var-ref var_id='host' value='large.example'/></profile></profiles>"
            "<variables>"
            "<variable id='host' default='mail'><string>Host</string>"
            "<data-type><text-data/></data-type></variable>"
            "<variable id='count' default='7'><string>Count</string>"
            "<data-type><text-data validation-type='uint'/></data-type></variable>"
            "<variable id='port' default='25'><string>Port</string>"
            "<data-type><numeric-data datatype='int' min='1' max='65535'/></data-type></variable>"
            "<variable id='pw'><string>Password</string><data-type><password-data>"
            "<password-conditions min_length='many'/></password-data></data-type></variable>"
            "<variable id='dir' default='/var/spool'><string>Spool</string>"
            "<data-type><directory-selection/></data-type></variable>"
            "<variable id='plain' default='undefined'><string>Plain flag</string>"
            "<data-type><boolean/></data-type></variable>"
            "<variable id='worded' default='true'><string>Worded flag</string>"
            "<data-type><boolean><true-text><string>Yes please</string></true-text>"
            "<false-text><string>No thanks</string></false-text></boolean></data-type></variable>"
            "<variable id='start' default='true'>"
            "<string>Start the services after the installation</string>"
            "<data-type><boolean><true-text><string>start them</string></true-text>"
            "<false-text><string>leave them stopped</string></false-text></boolean>"
            "</data-type></variable>"
            "<variable id='kind' default='b'><string>Kind</string><data-type>"
            "<single-selection><choice id='a'><string>First</string></choice>"
            "<choice id='b'><string>Second</string></choice>"
            "<choice id='c'><string>Third</string></choice></single-selection>"
            "</data-type></variable>"
            "<variable id='opts' default='y'><string>Options</string><data-type>"
            "<multiple-selection><choice id='x'><string>Ex</string></choice>"
            "<choice id='y'><string>Why</string></choice>"
            "<choice id='z'><string>Zed</string></choice></multiple-selection>"
            "</data-type></variable>"
            "<variable id='site'><string>Site</string><data-type>"
            "<profile-selection><profile-choice profile_id='small'/>"
            "<profile-choice profile_id='missing'/>"
            "<profile-choice profile_id='large'/></profile-selection></data-type></variable>"
            "</variables><stages>"
            "<stage id='text1'><ui>%1%2%3</ui></stage>"
            "<stage id='text2'><ui>%1</ui>"
            "<continue-conditions><var-condition var_id='pw' condition='valid-password'/>"
            "</continue-conditions></stage>"
            "<stage id='password'><ui>%4%1</ui>"
            "<continue-conditions><var-condition var_id='pw' condition='valid-password'/>"
            "</continue-conditions></stage>"
            "<stage id='dir'><ui>%5</ui></stage>"
            "<stage id='bools'><ui>%6%7</ui></stage>"
            "<stage id='choices'><ui>%8%9%10%1</ui></stage>"
            "<stage id='wrapped'><ui>%4%11</ui></stage>"
            "</stages>")
            .arg(input(QStringLiteral("host")), input(QStringLiteral("count")),
                 input(QStringLiteral("port")), input(QStringLiteral("pw")),
                 input(QStringLiteral("dir")), input(QStringLiteral("plain")),
                 input(QStringLiteral("worded")), input(QStringLiteral("kind")),
                 input(QStringLiteral("opts")))
            .arg(input(QStringLiteral("site")), input(QStringLiteral("start")));
        QVERIFY(widgettest::loadInstallFile(m_dir, sections));
    }

    // Each key is stored at once; a second input bound to the same variable on another
    // stage follows, and the typing input keeps its cursor.
    void textTypingAndRefresh() {
        auto first = widgettest::showStage(QStringLiteral("text1"));
        auto second = widgettest::showStage(QStringLiteral("text2"));
        auto* a = provider<SV_QtTextInput>(first.get(), 0);
        auto* b = provider<SV_QtTextInput>(second.get(), 0);
        QVERIFY(a && b);
        QCOMPARE(a->label()->text(), QStringLiteral("Host"));
        QCOMPARE(a->lineEdit()->text(), QStringLiteral("mail"));
        QSignalSpy changed(var(QStringLiteral("host")), &SV_Variable::sig_valuechanged);

        a->lineEdit()->setFocus();
        a->lineEdit()->end(false);
        QStringList seen;
        for (QChar c : QStringLiteral(".org")) {
            QTest::keyClick(a->lineEdit(), c.toLatin1());
            seen << var(QStringLiteral("host"))->value();
            QCOMPARE(b->lineEdit()->text(), seen.last());
        }
        QCOMPARE(seen, (QStringList{QStringLiteral("mail."), QStringLiteral("mail.o"),
                                    QStringLiteral("mail.or"), QStringLiteral("mail.org")}));
        QCOMPARE(changed.count(), 4);
        QCOMPARE(a->lineEdit()->cursorPosition(), 8);

        // Editing in the middle: the cursor stays where the user put it.
        a->lineEdit()->setCursorPosition(4);
        QTest::keyClick(a->lineEdit(), 'x');
        QCOMPARE(var(QStringLiteral("host"))->value(), QStringLiteral("mailx.org"));
        QCOMPARE(a->lineEdit()->cursorPosition(), 5);

        // A change from elsewhere (an action, say) reaches both line edits.
        var(QStringLiteral("host"))->storeValue({QStringLiteral("relay")});
        QCOMPARE(a->lineEdit()->text(), QStringLiteral("relay"));
        QCOMPARE(b->lineEdit()->text(), QStringLiteral("relay"));
        QTest::keyClick(b->lineEdit(), Qt::Key_Backspace);
        QCOMPARE(a->lineEdit()->text(), QStringLiteral("rela"));
    }

    // The variable's validator guards the line edit; the number input works alike.
    void validatedAndNumberInputs() {
        auto w = widgettest::showStage(QStringLiteral("text1"));
        auto* count = provider<SV_QtTextInput>(w.get(), 1);
        QVERIFY(count->lineEdit()->validator());
        count->lineEdit()->setFocus();
        count->lineEdit()->end(false);
        QTest::keyClicks(count->lineEdit(), QStringLiteral("a-3"));
        QCOMPARE(count->lineEdit()->text(), QStringLiteral("73"));
        QCOMPARE(var(QStringLiteral("count"))->value(), QStringLiteral("73"));

        auto* port = provider<SV_QtNumberInput>(w.get(), 2);
        QVERIFY(port);
        QCOMPARE(port->lineEdit()->text(), QStringLiteral("25"));
        QCOMPARE(cellOf(w->elementGrid(), port->lineEdit()).row, 2);
        port->lineEdit()->setFocus();
        QTest::keyClick(port->lineEdit(), Qt::Key_Backspace);
        QCOMPARE(var(QStringLiteral("port"))->value(), QStringLiteral("2"));
        QTest::keyClicks(port->lineEdit(), QStringLiteral("x0"));
        QCOMPARE(port->lineEdit()->text(), QStringLiteral("20"));
        QCOMPARE(var(QStringLiteral("port"))->value(), QStringLiteral("20"));
    }

    // Two rows; both entries go to the variable, which judges the pair; the invalid
    // minimum length is reported each time the page's condition looks at the pair.
    void passwordRows() {
        auto w = widgettest::showStage(QStringLiteral("password"));
        auto* pw = provider<SV_QtPasswordInput>(w.get(), 0);
        auto* next = provider<SV_QtTextInput>(w.get(), 1);
        QVERIFY(pw && next);
        QCOMPARE(pw->numRowsUsed(), 2);
        QCOMPARE(next->row(), 2);
        QGridLayout* grid = w->elementGrid();
        QCOMPARE(cellOf(grid, pw->secondLineEdit()).row, 1);
        QCOMPARE(cellOf(grid, pw->secondLineEdit()).columnSpan, 3);
        auto* label2 = qobject_cast<QLabel*>(grid->itemAtPosition(1, 0)->widget());
        QVERIFY(label2);
        QCOMPARE(label2->text(), QStringLiteral("Re-enter Password"));
        QCOMPARE(pw->firstLineEdit()->echoMode(), QLineEdit::Password);
        QCOMPARE(pw->secondLineEdit()->echoMode(), QLineEdit::Password);
        QCOMPARE(w->firstFocusWidget(), static_cast<QWidget*>(pw->firstLineEdit()));

        SV_Variable* v = var(QStringLiteral("pw"));
        SV_Stage* stage = w->stage();
        QSignalSpy valid(stage, &SV_Stage::sig_stageDataValid);
        QSignalSpy invalid(stage, &SV_Stage::sig_stageDataInvalid);
        pw->firstLineEdit()->setFocus();
        QTest::keyClicks(pw->firstLineEdit(), QStringLiteral("se"));
        QCOMPARE(v->option(QStringLiteral("pass1")), QStringLiteral("se"));
        QCOMPARE(v->option(QStringLiteral("pass2")), QStringLiteral(""));
        QCOMPARE(invalid.count(), 2);
        // The pair matches after the second key: the page's condition checks the rule.
        QTest::ignoreMessage(QtWarningMsg, "invalid setting for min_length");
        QTest::keyClicks(pw->secondLineEdit(), QStringLiteral("se"));
        QCOMPARE(v->option(QStringLiteral("pass2")), QStringLiteral("se"));
        QCOMPARE(valid.count(), 1);
        QCOMPARE(invalid.count(), 3);
        QTest::ignoreMessage(QtWarningMsg, "invalid setting for min_length");
        QCOMPARE(v->value(), QStringLiteral("se"));

        // The pair set at once from elsewhere shows in both line edits, and neither entry
        // is overwritten by the other line edit's old text on the way.
        v->storeValue({QStringLiteral("alpha"), QStringLiteral("beta")});
        QCOMPARE(pw->firstLineEdit()->text(), QStringLiteral("alpha"));
        QCOMPARE(pw->secondLineEdit()->text(), QStringLiteral("beta"));
        QCOMPARE(v->option(QStringLiteral("pass1")), QStringLiteral("alpha"));
        QCOMPARE(v->option(QStringLiteral("pass2")), QStringLiteral("beta"));
    }

    void directoryPictureAndDialog() {
        const QImage image = QPixmap(open_dir_xpm).toImage();
        QCOMPARE(image.size(), QSize(16, 16));
        for (int x = 0; x < 16; ++x) {
            QCOMPARE(qAlpha(image.pixel(x, 0)), 0);
            QCOMPARE(qAlpha(image.pixel(x, 1)), 0);
            QCOMPARE(qAlpha(image.pixel(x, 15)), 0);
        }
        QSet<QRgb> colours;
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x)
                if (qAlpha(image.pixel(x, y)))
                    colours.insert(image.pixel(x, y) & 0xffffff);
        QCOMPARE(colours, (QSet<QRgb>{0xffff00, 0x000000, 0x999999, 0xcccccc, 0xffffff}));

        auto w = widgettest::showStage(QStringLiteral("dir"));
        auto* dir = provider<SV_QtDirectoryInput>(w.get(), 0);
        QVERIFY(dir);
        QCOMPARE(dir->folderButton()->iconSize(), QSize(16, 16));
        QVERIFY(!dir->folderButton()->icon().isNull());
        QCOMPARE(dir->folderButton()->parentWidget(), dir->box());
        QCOMPARE(dir->lineEdit()->parentWidget(), dir->box());
        QCOMPARE(dir->box()->layout()->spacing(), 5);
        QCOMPARE(cellOf(w->elementGrid(), dir->box()).columnSpan, 3);
        QCOMPARE(w->elementGrid()->itemAtPosition(0, 0)->alignment(),
                 Qt::AlignLeft | Qt::AlignVCenter);
        QCOMPARE(w->lastFocusWidget(), static_cast<QWidget*>(dir->folderButton()));

        SV_QtDirectoryInput::setDirectoryChooser(&fakeChooser);
        SV_Variable* v = var(QStringLiteral("dir"));
        QSignalSpy changed(v, &SV_Variable::sig_valuechanged);
        s_chooserAnswer = QString(); // cancelled
        QTest::mouseClick(dir->folderButton(), Qt::LeftButton);
        QCOMPARE(s_chooserCalls, 1);
        QCOMPARE(s_chooserStart, QStringLiteral("/var/spool"));
        QCOMPARE(s_chooserParent, static_cast<QWidget*>(w.get()));
        QCOMPARE(dir->lineEdit()->text(), QStringLiteral("/var/spool"));
        QCOMPARE(changed.count(), 0);

        s_chooserAnswer = m_dir.path();
        QTest::mouseClick(dir->folderButton(), Qt::LeftButton);
        QCOMPARE(dir->lineEdit()->text(), m_dir.path());
        QCOMPARE(v->value(), m_dir.path());
        QCOMPARE(changed.count(), 1);
        SV_QtDirectoryInput::setDirectoryChooser(nullptr);

        // The real dialog: a directory dialog on the stage widget, starting at the text.
        // Cancelled, it changes nothing.
        QString dialogStart;
        QWidget* dialogParent = nullptr;
        bool dialogSeen = false;
        QTimer::singleShot(200, this, [&] {
            for (QWidget* top : QApplication::topLevelWidgets())
                if (auto* dialog = qobject_cast<QFileDialog*>(top); dialog && dialog->isVisible()) {
                    dialogSeen = true;
                    dialogStart = dialog->directory().absolutePath();
                    dialogParent = dialog->parentWidget();
                    QVERIFY(dialog->testOption(QFileDialog::ShowDirsOnly));
                    dialog->reject();
                }
        });
        const QString before = v->value();
        QTest::mouseClick(dir->folderButton(), Qt::LeftButton);
        QVERIFY(dialogSeen);
        QCOMPARE(dialogStart, m_dir.path());
        QCOMPARE(dialogParent, static_cast<QWidget*>(w.get()));
        QCOMPARE(v->value(), before);

        dir->hideWidgets();
        QVERIFY(dir->label()->isHidden());
        QVERIFY(dir->box()->isHidden());
        dir->showWidgets();
        QVERIFY(dir->label()->isVisible());
    }

    void boolPairs() {
        auto w = widgettest::showStage(QStringLiteral("bools"));
        auto* plain = provider<SV_QtBoolInput>(w.get(), 0);
        auto* worded = provider<SV_QtBoolInput>(w.get(), 1);
        QVERIFY(plain && worded);
        QCOMPARE(plain->trueBox()->text(), QStringLiteral("True"));
        QCOMPARE(plain->falseBox()->text(), QStringLiteral("False"));
        QCOMPARE(worded->trueBox()->text(), QStringLiteral("Yes please"));
        QCOMPARE(worded->falseBox()->text(), QStringLiteral("No thanks"));
        QGridLayout* grid = w->elementGrid();
        QCOMPARE(cellOf(grid, plain->trueBox()).column, 2);
        QCOMPARE(cellOf(grid, plain->falseBox()).column, 3);
        QCOMPARE(grid->itemAtPosition(0, 0)->widget()->property("text").toString(),
                 QStringLiteral("Plain flag"));
        QCOMPARE(cellOf(grid, grid->itemAtPosition(0, 0)->widget()).columnSpan, 2);

        // "undefined": both off; each click stores, the pair stays exclusive.
        QVERIFY(!plain->trueBox()->isChecked());
        QVERIFY(!plain->falseBox()->isChecked());
        SV_Variable* v = var(QStringLiteral("plain"));
        QTest::mouseClick(plain->trueBox(), Qt::LeftButton);
        QCOMPARE(v->value(), QStringLiteral("true"));
        QTest::mouseClick(plain->falseBox(), Qt::LeftButton);
        QCOMPARE(v->value(), QStringLiteral("false"));
        QVERIFY(!plain->trueBox()->isChecked());
        QTest::mouseClick(plain->falseBox(), Qt::LeftButton); // stays on
        QVERIFY(plain->falseBox()->isChecked());
        QCOMPARE(v->value(), QStringLiteral("false"));

        v->storeValue({QStringLiteral("undefined")});
        QVERIFY(!plain->trueBox()->isChecked());
        QVERIFY(!plain->falseBox()->isChecked());
        v->storeValue({QStringLiteral("true")});
        QVERIFY(plain->trueBox()->isChecked());

        // Texts for true and false do not hide the state from the boxes.
        QVERIFY(worded->trueBox()->isChecked());
        SV_Variable* w2 = var(QStringLiteral("worded"));
        w2->storeValue({QStringLiteral("false")});
        QCOMPARE(w2->value(), QStringLiteral("No thanks"));
        QVERIFY(worded->falseBox()->isChecked());
        QVERIFY(!worded->trueBox()->isChecked());
    }

    // A bool label too long for its cell wraps onto more lines and gets the height they
    // need, at every page width, so none of its text is cut off; it stays centred in its
    // cell and clear of the boxes.
    void boolLabelWrapsUncut() {
        auto w = widgettest::showStage(QStringLiteral("wrapped"));
        auto* flag = provider<SV_QtBoolInput>(w.get(), 1);
        QVERIFY(flag);
        QGridLayout* grid = w->elementGrid();
        auto* label = qobject_cast<QLabel*>(grid->itemAtPosition(2, 0)->widget());
        QVERIFY(label);
        QCOMPARE(label->text(), QStringLiteral("Start the services after the installation"));
        QVERIFY(label->wordWrap());
        QCOMPARE(label->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
        for (const QSize size : {QSize(420, 300), QSize(520, 360), QSize(640, 480)}) {
            w->resize(size);
            QVERIFY(QTest::qWaitFor([&] { return w->size() == size; }));
            QApplication::processEvents();
            const QString at = QStringLiteral("page %1x%2: label %3x%4")
                                   .arg(size.width())
                                   .arg(size.height())
                                   .arg(label->width())
                                   .arg(label->height());
            QVERIFY2(label->height() >= label->heightForWidth(label->width()), qPrintable(at));
            const QRect cell = grid->cellRect(2, 0).united(grid->cellRect(2, 1));
            QVERIFY2(cell.contains(label->geometry()), qPrintable(at));
            QVERIFY2(qAbs(label->geometry().center().x() - cell.center().x()) <= 1, qPrintable(at));
            QVERIFY2(!label->geometry().intersects(flag->trueBox()->geometry()), qPrintable(at));
        }
    }

    void singleChoice() {
        auto w = widgettest::showStage(QStringLiteral("choices"));
        auto* kind = provider<SV_QtSChoiceInput>(w.get(), 0);
        QVERIFY(kind);
        QCOMPARE(kind->group()->title(), QStringLiteral("Kind"));
        QCOMPARE(cellOf(w->elementGrid(), kind->group()).columnSpan, 4);
        QStringList texts;
        for (SV_QtRadioButton* b : kind->buttons())
            texts << b->text();
        QCOMPARE(texts, (QStringList{QStringLiteral("First"), QStringLiteral("Second"),
                                     QStringLiteral("Third")}));
        QVERIFY(kind->button(QStringLiteral("b"))->isChecked());
        SV_Variable* v = var(QStringLiteral("kind"));
        clickIndicator(kind->button(QStringLiteral("c")));
        QVERIFY(v->isChoiceSelected(QStringLiteral("c")));
        QVERIFY(!kind->button(QStringLiteral("b"))->isChecked());
        v->storeValue({QStringLiteral("a")});
        QVERIFY(kind->button(QStringLiteral("a"))->isChecked());
        QVERIFY(!kind->button(QStringLiteral("c"))->isChecked());
        QCOMPARE(w->firstFocusWidget(), static_cast<QWidget*>(kind->buttons().first()));
    }

    // No box on stores an empty list; changes of the variable set each box.
    void multipleChoice() {
        auto w = widgettest::showStage(QStringLiteral("choices"));
        auto* opts = provider<SV_QtMChoiceInput>(w.get(), 1);
        QVERIFY(opts);
        QCOMPARE(opts->group()->title(), QStringLiteral("Options"));
        QCOMPARE(opts->boxes().size(), 3);
        QVERIFY(opts->box(QStringLiteral("y"))->isChecked());
        SV_Variable* v = var(QStringLiteral("opts"));
        clickIndicator(opts->box(QStringLiteral("x")));
        QCOMPARE(v->value(), QStringLiteral("x,y"));
        clickIndicator(opts->box(QStringLiteral("x")));
        clickIndicator(opts->box(QStringLiteral("y")));
        QCOMPARE(v->value(), QStringLiteral(""));
        QVERIFY(!v->isChoiceSelected(QString()));
        v->storeValue({QStringLiteral("z"), QStringLiteral("x")});
        QVERIFY(opts->box(QStringLiteral("x"))->isChecked());
        QVERIFY(!opts->box(QStringLiteral("y"))->isChecked());
        QVERIFY(opts->box(QStringLiteral("z"))->isChecked());
    }

    // Buttons carry the profiles' texts; a choice without a profile has none; choosing
    // a profile sets its values, which the other inputs show at once.
    void profiles() {
        auto w = widgettest::showStage(QStringLiteral("choices"));
        auto* site = provider<SV_QtProfileInput>(w.get(), 2);
        auto* host = provider<SV_QtTextInput>(w.get(), 3);
        QVERIFY(site && host);
        QStringList texts;
        for (SV_QtRadioButton* b : site->buttons())
            texts << b->text();
        QCOMPARE(texts, (QStringList{QStringLiteral("Small site"), QStringLiteral("Large site")}));
        QVERIFY(!site->button(QStringLiteral("missing")));
        QVERIFY(!site->button(QStringLiteral("small"))->isChecked());
        QVERIFY(!site->button(QStringLiteral("large"))->isChecked());
        QCOMPARE(w->lastFocusWidget(), static_cast<QWidget*>(host->lineEdit()));

        clickIndicator(site->button(QStringLiteral("large")));
        SV_Variable* v = var(QStringLiteral("site"));
        QVERIFY(v->isChoiceSelected(QStringLiteral("large")));
        QCOMPARE(host->lineEdit()->text(), QStringLiteral("large.example"));
        QCOMPARE(var(QStringLiteral("host"))->value(), QStringLiteral("large.example"));
        QVERIFY(!site->button(QStringLiteral("small"))->isChecked());

        v->storeValue({QStringLiteral("small")});
        QVERIFY(site->button(QStringLiteral("small"))->isChecked());
        QVERIFY(!site->button(QStringLiteral("large"))->isChecked());
        QCOMPARE(host->lineEdit()->text(), QStringLiteral("small.example"));
    }
};

WIDGET_TEST_MAIN(TestInputWidgets, nullptr)

#include "tst_inputwidgets.moc"
