#ifndef SV_QTINPUTWIDGETS_H
#define SV_QTINPUTWIDGETS_H

#include "sv_qtwidgetprovider.h"

#include <QCheckBox>
#include <QHash>
#include <QList>
#include <QRadioButton>
#include <QString>

class QButtonGroup;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class SV_Variable;

// A check box standing for one choice of a multiple-choice variable.
class SV_QtCheckBox : public QCheckBox {
    Q_OBJECT
public:
    SV_QtCheckBox(const QString& text, const QString& choiceID, QWidget* parent = nullptr)
        : QCheckBox(text, parent), m_choiceID(choiceID) {}
    QString choiceID() const { return m_choiceID; }

private:
    QString m_choiceID;
};

// A radio button standing for one choice of a single-choice or profile variable.
class SV_QtRadioButton : public QRadioButton {
    Q_OBJECT
public:
    SV_QtRadioButton(const QString& text, const QString& choiceID, QWidget* parent = nullptr)
        : QRadioButton(text, parent), m_choiceID(choiceID) {}
    QString choiceID() const { return m_choiceID; }

private:
    QString m_choiceID;
};

// Label and line edit for a text variable; the variable's validator guards the line edit.
class SV_QtTextInput : public SV_QtVariableInputWidgetProvider {
    Q_OBJECT
public:
    using SV_QtVariableInputWidgetProvider::SV_QtVariableInputWidgetProvider;

    QWidget* firstFocusWidget() override;
    QWidget* lastFocusWidget() override;
    void showWidgets() override;
    void hideWidgets() override;
    void create() override;

    QLineEdit* lineEdit() const { return m_lineEdit; }
    QLabel* label() const { return m_label; }

public slots:
    void slot_storeValue() override;
    void slot_refresh() override;

protected:
    // Builds label and line edit for the variable and places them at the provider's row.
    void createLine(SV_Variable* variable);

    QLineEdit* m_lineEdit = nullptr;
    QLabel* m_label = nullptr;
};

// The same for a number variable; creates nothing for other variables.
class SV_QtNumberInput : public SV_QtTextInput {
    Q_OBJECT
public:
    using SV_QtTextInput::SV_QtTextInput;
    void create() override;
};

// Password and confirmation on two rows.
class SV_QtPasswordInput : public SV_QtVariableInputWidgetProvider {
    Q_OBJECT
public:
    using SV_QtVariableInputWidgetProvider::SV_QtVariableInputWidgetProvider;

    int numRowsUsed() override { return 2; }
    QWidget* firstFocusWidget() override;
    QWidget* lastFocusWidget() override;
    void showWidgets() override;
    void hideWidgets() override;
    void create() override;

    QLineEdit* firstLineEdit() const { return m_lineEdit1; }
    QLineEdit* secondLineEdit() const { return m_lineEdit2; }

public slots:
    void slot_storeValue() override;
    void slot_refresh() override;

private:
    QLabel* m_label1 = nullptr;
    QLabel* m_label2 = nullptr;
    QLineEdit* m_lineEdit1 = nullptr;
    QLineEdit* m_lineEdit2 = nullptr;
    bool m_refreshing = false;
};

// Label, line edit and a folder button that opens a directory dialog.
class SV_QtDirectoryInput : public SV_QtVariableInputWidgetProvider {
    Q_OBJECT
public:
    using SV_QtVariableInputWidgetProvider::SV_QtVariableInputWidgetProvider;

    QWidget* firstFocusWidget() override;
    QWidget* lastFocusWidget() override;
    void showWidgets() override;
    void hideWidgets() override;
    void create() override;

    QLineEdit* lineEdit() const { return m_lineEdit; }
    QPushButton* folderButton() const { return m_button; }
    QLabel* label() const { return m_label; }
    QWidget* box() const { return m_box; }

    // The dialog behind the folder button: given the parent and the start directory, it
    // returns the chosen directory or a null string. Replaceable for tests.
    using DirectoryChooser = QString (*)(QWidget* parent, const QString& start);
    static void setDirectoryChooser(DirectoryChooser chooser);

public slots:
    void slot_storeValue() override;
    void slot_refresh() override;
    void slot_dirDialog();

private:
    QWidget* m_box = nullptr;
    QLabel* m_label = nullptr;
    QLineEdit* m_lineEdit = nullptr;
    QPushButton* m_button = nullptr;
};

// The 16x16 open-folder picture of the directory input's button.
extern const char* const open_dir_xpm[];

// Label and an exclusive pair of check boxes for a bool variable; the label is the
// question, and each box carries it as its accessible description.
class SV_QtBoolInput : public SV_QtVariableInputWidgetProvider {
    Q_OBJECT
public:
    using SV_QtVariableInputWidgetProvider::SV_QtVariableInputWidgetProvider;

    QWidget* firstFocusWidget() override;
    QWidget* lastFocusWidget() override;
    void showWidgets() override;
    void hideWidgets() override;
    void create() override;

    QCheckBox* trueBox() const { return m_trueBox; }
    QCheckBox* falseBox() const { return m_falseBox; }

public slots:
    void slot_storeValue() override;
    void slot_refresh() override;

private:
    void keepExclusive(QCheckBox* clicked);

    QCheckBox* m_trueBox = nullptr;
    QCheckBox* m_falseBox = nullptr;
    QLabel* m_label = nullptr;
};

// A titled group of radio buttons, one per choice of a single-choice variable.
class SV_QtSChoiceInput : public SV_QtVariableInputWidgetProvider {
    Q_OBJECT
public:
    using SV_QtVariableInputWidgetProvider::SV_QtVariableInputWidgetProvider;

    QWidget* firstFocusWidget() override;
    QWidget* lastFocusWidget() override;
    void showWidgets() override;
    void hideWidgets() override;
    void create() override;

    QGroupBox* group() const { return m_group; }
    // The button of a choice, or null.
    SV_QtRadioButton* button(const QString& choiceID) const { return m_buttons.value(choiceID); }
    const QList<SV_QtRadioButton*>& buttons() const { return m_buttonList; }

public slots:
    void slot_storeValue() override;
    void slot_refresh() override;

protected:
    // The text of a choice's button; a null string means the choice gets no button.
    virtual QString buttonText(const QString& choiceID, const QString& choiceText);

    QGroupBox* m_group = nullptr;
    QButtonGroup* m_buttonGroup = nullptr;
    QHash<QString, SV_QtRadioButton*> m_buttons;
    QList<SV_QtRadioButton*> m_buttonList;
};

// The same for a profile variable: each button shows its profile's text.
class SV_QtProfileInput : public SV_QtSChoiceInput {
    Q_OBJECT
public:
    using SV_QtSChoiceInput::SV_QtSChoiceInput;

public slots:
    void slot_refresh() override;

protected:
    QString buttonText(const QString& choiceID, const QString& choiceText) override;
};

// A titled group of check boxes, one per choice of a multiple-choice variable.
class SV_QtMChoiceInput : public SV_QtVariableInputWidgetProvider {
    Q_OBJECT
public:
    using SV_QtVariableInputWidgetProvider::SV_QtVariableInputWidgetProvider;

    QWidget* firstFocusWidget() override;
    QWidget* lastFocusWidget() override;
    void showWidgets() override;
    void hideWidgets() override;
    void create() override;

    QGroupBox* group() const { return m_group; }
    SV_QtCheckBox* box(const QString& choiceID) const { return m_boxes.value(choiceID); }
    const QList<SV_QtCheckBox*>& boxes() const { return m_boxList; }

public slots:
    void slot_storeValue() override;
    void slot_refresh() override;

private:
    QHash<QString, SV_QtCheckBox*> m_boxes;
    QList<SV_QtCheckBox*> m_boxList;
    QGroupBox* m_group = nullptr;
};

#endif
