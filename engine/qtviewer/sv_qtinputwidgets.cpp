#include "sv_qtinputwidgets.h"

#include "sv_boolvariable.h"
#include "sv_choicevariable.h"
#include "sv_engine.h"
#include "sv_numbervariable.h"
#include "sv_passwordvariable.h"
#include "sv_profile.h"
#include "sv_textvariable.h"
#include "sv_uielement.h"

#include <QButtonGroup>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

constexpr int C = SV_QtUIWidgetProvider::GridColumns;

SV_Variable* variableOf(SV_UIVariableInput* element) {
    return element ? element->variable() : nullptr;
}

QString defaultDirectoryChooser(QWidget* parent, const QString& start) {
    return QFileDialog::getExistingDirectory(parent, QString(), start);
}

SV_QtDirectoryInput::DirectoryChooser directoryChooser = &defaultDirectoryChooser;

// Sets a line edit's text only when it differs, so that the cursor stays where the user
// put it when the change came from the line edit itself.
void setTextIfDifferent(QLineEdit* edit, const QString& text) {
    if (edit && edit->text() != text)
        edit->setText(text);
}

} // namespace

// An open folder: grey outline, white upper edge, a yellow and light grey checkered body
// and a black shadow along the right and bottom edges.
const char* const open_dir_xpm[] = {
    "16 16 6 1",
    ". c None",
    "b c #ffff00",
    "d c #000000",
    "* c #999999",
    "c c #cccccc",
    "a c #ffffff",
    "................",
    "................",
    "...*****........",
    "..*aaaaa*.......",
    ".*abcbcba******.",
    ".*acbcbcaaaaaa*d",
    ".*abcbcbcbcbcb*d",
    ".*ab***********d",
    ".*a*aaaaaaaaaa*d",
    ".**abcbcbcbcb*dd",
    ".*abcbcbcbcbc*d.",
    "*abcbcbcbcbc*d..",
    "*acbcbcbcbcb*d..",
    "*************d..",
    ".dddddddddddd...",
    "................",
};

// ---- text and number inputs ----

void SV_QtTextInput::createLine(SV_Variable* variable) {
    m_label = new QLabel(variable->text(), m_parentWidget);
    m_lineEdit = new QLineEdit(variable->value(), m_parentWidget);
    if (QValidator* validator = variable->validator())
        m_lineEdit->setValidator(validator);
    connect(m_lineEdit, &QLineEdit::textChanged, this, &SV_QtTextInput::slot_storeValue);
    nameByLabel(m_label, m_lineEdit);
    m_grid->addWidget(m_label, m_row, 0);
    m_grid->addWidget(m_lineEdit, m_row, 1, 1, C - 1);
}

void SV_QtTextInput::create() {
    SV_Variable* variable = variableOf(m_variableInput);
    if (!qobject_cast<SV_TextVariable*>(variable))
        qFatal("SV_QtTextInput::create(), not a text variable");
    if (!m_parentWidget || !m_grid)
        return;
    createLine(variable);
}

void SV_QtNumberInput::create() {
    SV_Variable* variable = variableOf(m_variableInput);
    if (!m_parentWidget || !m_grid || !qobject_cast<SV_NumberVariable*>(variable))
        return;
    createLine(variable);
}

QWidget* SV_QtTextInput::firstFocusWidget() {
    return m_lineEdit;
}

QWidget* SV_QtTextInput::lastFocusWidget() {
    return m_lineEdit;
}

void SV_QtTextInput::showWidgets() {
    if (m_label)
        m_label->show();
    if (m_lineEdit)
        m_lineEdit->show();
}

void SV_QtTextInput::hideWidgets() {
    if (m_label)
        m_label->hide();
    if (m_lineEdit)
        m_lineEdit->hide();
}

void SV_QtTextInput::slot_storeValue() {
    SV_Variable* variable = variableOf(m_variableInput);
    if (variable && m_lineEdit)
        variable->storeValue({m_lineEdit->text()});
}

void SV_QtTextInput::slot_refresh() {
    SV_Variable* variable = variableOf(m_variableInput);
    if (variable)
        setTextIfDifferent(m_lineEdit, variable->value());
}

// ---- password input ----

void SV_QtPasswordInput::create() {
    SV_Variable* variable = variableOf(m_variableInput);
    if (!m_parentWidget || !m_grid || !qobject_cast<SV_PasswordVariable*>(variable))
        return;
    m_label1 = new QLabel(variable->text(), m_parentWidget);
    m_lineEdit1 = new QLineEdit(variable->option(QStringLiteral("pass1")), m_parentWidget);
    m_lineEdit1->setEchoMode(QLineEdit::Password);
    m_label2 = new QLabel(tr("Re-enter Password"), m_parentWidget);
    m_lineEdit2 = new QLineEdit(variable->option(QStringLiteral("pass2")), m_parentWidget);
    m_lineEdit2->setEchoMode(QLineEdit::Password);
    connect(m_lineEdit1, &QLineEdit::textChanged, this, &SV_QtPasswordInput::slot_storeValue);
    connect(m_lineEdit2, &QLineEdit::textChanged, this, &SV_QtPasswordInput::slot_storeValue);
    nameByLabel(m_label1, m_lineEdit1);
    // The confirmation says what it confirms.
    nameByLabel(m_label2, m_lineEdit2, variable->text());
    m_grid->addWidget(m_label1, m_row, 0);
    m_grid->addWidget(m_lineEdit1, m_row, 1, 1, C - 1);
    m_grid->addWidget(m_label2, m_row + 1, 0);
    m_grid->addWidget(m_lineEdit2, m_row + 1, 1, 1, C - 1);
}

QWidget* SV_QtPasswordInput::firstFocusWidget() {
    return m_lineEdit1;
}

QWidget* SV_QtPasswordInput::lastFocusWidget() {
    return m_lineEdit2;
}

void SV_QtPasswordInput::showWidgets() {
    for (QWidget* w : {static_cast<QWidget*>(m_label1), static_cast<QWidget*>(m_label2),
                       static_cast<QWidget*>(m_lineEdit1), static_cast<QWidget*>(m_lineEdit2)})
        if (w)
            w->show();
}

void SV_QtPasswordInput::hideWidgets() {
    for (QWidget* w : {static_cast<QWidget*>(m_label1), static_cast<QWidget*>(m_label2),
                       static_cast<QWidget*>(m_lineEdit1), static_cast<QWidget*>(m_lineEdit2)})
        if (w)
            w->hide();
}

void SV_QtPasswordInput::slot_storeValue() {
    SV_Variable* variable = variableOf(m_variableInput);
    if (variable && m_lineEdit1 && m_lineEdit2 && !m_refreshing)
        variable->storeValue({m_lineEdit1->text(), m_lineEdit2->text()});
}

void SV_QtPasswordInput::slot_refresh() {
    SV_Variable* variable = variableOf(m_variableInput);
    if (!variable)
        return;
    // Setting the first line edit would store the pair with the second one's old text
    // and so overwrite the new "pass2": nothing is stored while both are brought up to date.
    const QString pass1 = variable->option(QStringLiteral("pass1"));
    const QString pass2 = variable->option(QStringLiteral("pass2"));
    m_refreshing = true;
    setTextIfDifferent(m_lineEdit1, pass1);
    setTextIfDifferent(m_lineEdit2, pass2);
    m_refreshing = false;
}

// ---- directory input ----

void SV_QtDirectoryInput::setDirectoryChooser(DirectoryChooser chooser) {
    directoryChooser = chooser ? chooser : &defaultDirectoryChooser;
}

void SV_QtDirectoryInput::create() {
    SV_Variable* variable = variableOf(m_variableInput);
    if (!m_parentWidget || !m_grid || !variable)
        return;
    m_box = new QWidget(m_parentWidget);
    auto* boxLayout = new QHBoxLayout(m_box);
    boxLayout->setContentsMargins(0, 0, 0, 0);
    boxLayout->setSpacing(5);
    m_label = new QLabel(variable->text(), m_parentWidget);
    m_lineEdit = new QLineEdit(variable->value(), m_box);
    m_button = new QPushButton(m_box);
    m_button->setIcon(QIcon(QPixmap(open_dir_xpm)));
    m_button->setIconSize(QSize(16, 16));
    boxLayout->addWidget(m_lineEdit);
    boxLayout->addWidget(m_button);
    connect(m_lineEdit, &QLineEdit::textChanged, this, &SV_QtDirectoryInput::slot_storeValue);
    connect(m_button, &QPushButton::clicked, this, &SV_QtDirectoryInput::slot_dirDialog);
    nameByLabel(m_label, m_lineEdit);
    // A picture alone names nothing: the button says what it does, and for which input.
    m_button->setAccessibleName(tr("Choose a directory"));
    m_button->setAccessibleDescription(accessibleText(variable->text()));
    m_button->setToolTip(tr("Choose a directory"));
    m_grid->addWidget(m_label, m_row, 0, Qt::AlignLeft | Qt::AlignVCenter);
    m_grid->addWidget(m_box, m_row, 1, 1, C - 1);
}

QWidget* SV_QtDirectoryInput::firstFocusWidget() {
    return m_lineEdit;
}

QWidget* SV_QtDirectoryInput::lastFocusWidget() {
    return m_button;
}

void SV_QtDirectoryInput::showWidgets() {
    if (m_label)
        m_label->show();
    if (m_box)
        m_box->show();
}

void SV_QtDirectoryInput::hideWidgets() {
    if (m_label)
        m_label->hide();
    if (m_box)
        m_box->hide();
}

void SV_QtDirectoryInput::slot_dirDialog() {
    if (!m_lineEdit)
        return;
    const QString chosen = directoryChooser(m_parentWidget, m_lineEdit->text());
    if (chosen.isNull())
        return;
    m_lineEdit->setText(chosen);
    slot_storeValue();
}

void SV_QtDirectoryInput::slot_storeValue() {
    SV_Variable* variable = variableOf(m_variableInput);
    if (variable && m_lineEdit)
        variable->storeValue({m_lineEdit->text()});
}

void SV_QtDirectoryInput::slot_refresh() {
    SV_Variable* variable = variableOf(m_variableInput);
    if (variable)
        setTextIfDifferent(m_lineEdit, variable->value());
}

// ---- bool input ----

void SV_QtBoolInput::create() {
    auto* variable = qobject_cast<SV_BoolVariable*>(variableOf(m_variableInput));
    if (!variable)
        qFatal("SV_QtBoolInput::create(), not dealing with a bool variable");
    if (!m_parentWidget || !m_grid)
        return;
    m_label = new QLabel(variable->text(), m_parentWidget);
    m_label->setWordWrap(true);
    // Centred text in a label as wide as its cell: the grid makes the row as high as the
    // wrapped text needs at the cell's width. A label centred by the grid instead would
    // be only as wide as its size hint, wrap onto more lines and be cut off at the bottom.
    m_label->setAlignment(Qt::AlignCenter);
    const QString trueText = variable->option(QStringLiteral("true-text"));
    const QString falseText = variable->option(QStringLiteral("false-text"));
    m_trueBox = new QCheckBox(trueText.isNull() ? tr("True") : trueText, m_parentWidget);
    m_falseBox = new QCheckBox(falseText.isNull() ? tr("False") : falseText, m_parentWidget);
    // The pair is exclusive, kept so by hand: boxes in a button group would be one Tab
    // stop, and the second one could not be reached with the keyboard.
    connect(m_trueBox, &QCheckBox::clicked, this, [this] { keepExclusive(m_trueBox); });
    connect(m_falseBox, &QCheckBox::clicked, this, [this] { keepExclusive(m_falseBox); });
    // Both answers belong to the question: the label is the true box's buddy, and each
    // box carries the question as its description.
    m_label->setBuddy(m_trueBox);
    const QString question = accessibleText(variable->text());
    for (QCheckBox* box : {m_trueBox, m_falseBox}) {
        box->setAccessibleName(accessibleText(box->text()));
        box->setAccessibleDescription(question);
    }
    connect(m_trueBox, &QCheckBox::clicked, this, &SV_QtBoolInput::slot_storeValue);
    connect(m_falseBox, &QCheckBox::clicked, this, &SV_QtBoolInput::slot_storeValue);
    // The state, not value(): value() shows "true-text" or "false-text" when given.
    if (variable->isTrue())
        m_trueBox->setChecked(true);
    else if (variable->isFalse())
        m_falseBox->setChecked(true);
    m_grid->addWidget(m_label, m_row, 0, 1, C - 2, Qt::AlignVCenter);
    m_grid->addWidget(m_trueBox, m_row, C - 2, Qt::AlignCenter);
    m_grid->addWidget(m_falseBox, m_row, C - 1, Qt::AlignCenter);
}

// A click leaves the clicked box on (a click on the box that is on does not turn it off)
// and the other one off.
void SV_QtBoolInput::keepExclusive(QCheckBox* clicked) {
    QCheckBox* other = clicked == m_trueBox ? m_falseBox : m_trueBox;
    clicked->setChecked(true);
    other->setChecked(false);
}

QWidget* SV_QtBoolInput::firstFocusWidget() {
    return m_trueBox;
}

QWidget* SV_QtBoolInput::lastFocusWidget() {
    return m_falseBox;
}

void SV_QtBoolInput::showWidgets() {
    for (QWidget* w : {static_cast<QWidget*>(m_label), static_cast<QWidget*>(m_trueBox),
                       static_cast<QWidget*>(m_falseBox)})
        if (w)
            w->show();
}

void SV_QtBoolInput::hideWidgets() {
    for (QWidget* w : {static_cast<QWidget*>(m_label), static_cast<QWidget*>(m_trueBox),
                       static_cast<QWidget*>(m_falseBox)})
        if (w)
            w->hide();
}

void SV_QtBoolInput::slot_storeValue() {
    SV_Variable* variable = variableOf(m_variableInput);
    if (!variable || !m_trueBox || !m_falseBox)
        return;
    if (m_trueBox->isChecked())
        variable->storeValue({QStringLiteral("true")});
    else if (m_falseBox->isChecked())
        variable->storeValue({QStringLiteral("false")});
}

void SV_QtBoolInput::slot_refresh() {
    auto* variable = qobject_cast<SV_BoolVariable*>(variableOf(m_variableInput));
    if (!variable || !m_trueBox || !m_falseBox)
        return;
    if (variable->isTrue() || variable->isFalse() || variable->isUndefined()) {
        m_trueBox->setChecked(variable->isTrue());
        m_falseBox->setChecked(variable->isFalse());
    }
}

// ---- single choice and profile inputs ----

namespace {

// A titled group box with a vertical layout and a button group for its buttons.
QGroupBox* makeGroup(const QString& title, QWidget* parent, QButtonGroup** buttonGroup,
                     bool exclusive) {
    auto* group = new QGroupBox(title, parent);
    new QVBoxLayout(group);
    *buttonGroup = new QButtonGroup(group);
    (*buttonGroup)->setExclusive(exclusive);
    return group;
}

} // namespace

QString SV_QtSChoiceInput::buttonText(const QString&, const QString& choiceText) {
    return choiceText.isNull() ? QStringLiteral("") : choiceText;
}

QString SV_QtProfileInput::buttonText(const QString& choiceID, const QString&) {
    SV_Profile* profile = SV_Engine::engine()->profile(choiceID);
    if (!profile)
        return QString();
    const QString text = profile->text();
    return text.isNull() ? QStringLiteral("") : text;
}

void SV_QtSChoiceInput::create() {
    SV_Variable* variable = variableOf(m_variableInput);
    if (!m_parentWidget || !m_grid ||
        !(qobject_cast<SV_SChoiceVariable*>(variable) ||
          qobject_cast<SV_ProfileVariable*>(variable)))
        return;
    m_group = makeGroup(variable->text(), m_parentWidget, &m_buttonGroup, true);
    QListIterator<SV_Choice*> it = variable->choiceIterator();
    while (it.hasNext()) {
        SV_Choice* choice = it.next();
        const QString id = choice->ID();
        const QString text = buttonText(id, choice->text());
        if (text.isNull())
            continue;
        auto* button = new SV_QtRadioButton(text, id, m_group);
        button->setAccessibleDescription(accessibleText(variable->text()));
        m_group->layout()->addWidget(button);
        m_buttonGroup->addButton(button);
        m_buttons.insert(id, button);
        m_buttonList.append(button);
        connect(button, &QRadioButton::clicked, this, &SV_QtSChoiceInput::slot_storeValue);
        if (choice->selected)
            button->setChecked(true);
    }
    m_grid->addWidget(m_group, m_row, 0, 1, C);
}

QWidget* SV_QtSChoiceInput::firstFocusWidget() {
    return m_buttonList.isEmpty() ? nullptr : m_buttonList.first();
}

QWidget* SV_QtSChoiceInput::lastFocusWidget() {
    return m_buttonList.isEmpty() ? nullptr : m_buttonList.last();
}

void SV_QtSChoiceInput::showWidgets() {
    if (m_group)
        m_group->show();
}

void SV_QtSChoiceInput::hideWidgets() {
    if (m_group)
        m_group->hide();
}

void SV_QtSChoiceInput::slot_storeValue() {
    SV_Variable* variable = variableOf(m_variableInput);
    if (!variable || !m_buttonGroup)
        return;
    if (auto* button = qobject_cast<SV_QtRadioButton*>(m_buttonGroup->checkedButton()))
        variable->storeValue({button->choiceID()});
}

void SV_QtSChoiceInput::slot_refresh() {
    SV_Variable* variable = variableOf(m_variableInput);
    if (!variable)
        return;
    QListIterator<SV_Choice*> it = variable->choiceIterator();
    while (it.hasNext()) {
        SV_Choice* choice = it.next();
        if (!choice->selected)
            continue;
        if (SV_QtRadioButton* button = m_buttons.value(choice->ID()))
            button->setChecked(true);
        return;
    }
}

void SV_QtProfileInput::slot_refresh() {
    SV_Variable* variable = variableOf(m_variableInput);
    if (!variable || !m_buttonGroup)
        return;
    // Every button follows its choice, so none may be forced on by the group meanwhile.
    m_buttonGroup->setExclusive(false);
    QListIterator<SV_Choice*> it = variable->choiceIterator();
    while (it.hasNext()) {
        SV_Choice* choice = it.next();
        if (SV_QtRadioButton* button = m_buttons.value(choice->ID()))
            button->setChecked(choice->selected);
    }
    m_buttonGroup->setExclusive(true);
}

// ---- multiple choice input ----

void SV_QtMChoiceInput::create() {
    SV_Variable* variable = variableOf(m_variableInput);
    if (!m_parentWidget || !m_grid || !qobject_cast<SV_MChoiceVariable*>(variable))
        return;
    // No button group: each box is a Tab stop of its own.
    m_group = new QGroupBox(variable->text(), m_parentWidget);
    new QVBoxLayout(m_group);
    QListIterator<SV_Choice*> it = variable->choiceIterator();
    while (it.hasNext()) {
        SV_Choice* choice = it.next();
        auto* box = new SV_QtCheckBox(choice->text(), choice->ID(), m_group);
        box->setAccessibleDescription(accessibleText(variable->text()));
        m_group->layout()->addWidget(box);
        m_boxes.insert(choice->ID(), box);
        m_boxList.append(box);
        connect(box, &QCheckBox::clicked, this, &SV_QtMChoiceInput::slot_storeValue);
        box->setChecked(choice->selected);
    }
    m_grid->addWidget(m_group, m_row, 0, 1, C);
}

QWidget* SV_QtMChoiceInput::firstFocusWidget() {
    return m_boxList.isEmpty() ? nullptr : m_boxList.first();
}

QWidget* SV_QtMChoiceInput::lastFocusWidget() {
    return m_boxList.isEmpty() ? nullptr : m_boxList.last();
}

void SV_QtMChoiceInput::showWidgets() {
    if (m_group)
        m_group->show();
}

void SV_QtMChoiceInput::hideWidgets() {
    if (m_group)
        m_group->hide();
}

void SV_QtMChoiceInput::slot_storeValue() {
    SV_Variable* variable = variableOf(m_variableInput);
    if (!variable || !m_group)
        return;
    QStringList ids;
    for (SV_QtCheckBox* box : std::as_const(m_boxList))
        if (box->isChecked() && !ids.contains(box->choiceID()))
            ids.append(box->choiceID());
    variable->storeValue(ids);
}

void SV_QtMChoiceInput::slot_refresh() {
    SV_Variable* variable = variableOf(m_variableInput);
    if (!variable)
        return;
    for (SV_QtCheckBox* box : std::as_const(m_boxList))
        if (SV_Choice* choice = variable->choice(box->choiceID()))
            box->setChecked(choice->selected);
}
