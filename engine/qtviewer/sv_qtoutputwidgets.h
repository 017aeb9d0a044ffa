#ifndef SV_QTOUTPUTWIDGETS_H
#define SV_QTOUTPUTWIDGETS_H

#include "sv_qtwidgetprovider.h"

#include <QPointer>
#include <QStringList>

class QGroupBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QTextBrowser;
class SV_Action;
class SV_UIActionLauncher;
class SV_UIActionSequence;
class SV_UIElement;
class SV_UIInstallSequence;
class SV_UIVariableOutput;

// A centred, word-wrapped text; refers to variables as they are when the stage is shown.
class SV_QtLabelOutput : public SV_QtOutputWidgetProvider {
    Q_OBJECT
public:
    using SV_QtOutputWidgetProvider::SV_QtOutputWidgetProvider;

    void showWidgets() override;
    void hideWidgets() override;
    void create() override;
    QLabel* label() const { return m_label; }

private:
    QLabel* m_label = nullptr;
};

// A label and a read-only field with the variable's current value.
class SV_QtVariableOutput : public SV_QtOutputWidgetProvider {
    Q_OBJECT
public:
    SV_QtVariableOutput(SV_UIVariableOutput* element, QGridLayout* grid, QWidget* parentWidget,
                        QObject* owner = nullptr, const char* name = nullptr);

    void showWidgets() override;
    void hideWidgets() override;
    void create() override;
    QLabel* label() const { return m_label; }
    QLineEdit* valueField() const { return m_value; }

public slots:
    void slot_value_changed();

private:
    SV_UIVariableOutput* m_output;
    QLabel* m_label = nullptr;
    QLineEdit* m_value = nullptr;
};

// A button that starts the element's action on every click.
class SV_QtActionLauncher : public SV_QtOutputWidgetProvider {
    Q_OBJECT
public:
    SV_QtActionLauncher(SV_UIActionLauncher* element, QGridLayout* grid, QWidget* parentWidget,
                        QObject* owner = nullptr, const char* name = nullptr);

    void showWidgets() override;
    void hideWidgets() override;
    void create() override;
    QPushButton* button() const { return m_button; }

public slots:
    void slot_launch();

private:
    SV_UIActionLauncher* m_launcher;
    QPushButton* m_button = nullptr;
};

// A label and a progress bar following an action sequence; two rows.
class SV_QtProgressOutput : public SV_QtOutputWidgetProvider {
    Q_OBJECT
public:
    SV_QtProgressOutput(SV_UIActionSequence* element, QGridLayout* grid, QWidget* parentWidget,
                        QObject* owner = nullptr, const char* name = nullptr);

    int numRowsUsed() override { return 2; }
    void showWidgets() override;
    void hideWidgets() override;
    void create() override;
    QProgressBar* bar() const { return m_bar; }
    QLabel* label() const { return m_label; }

private:
    SV_UIActionSequence* m_sequence;
    QProgressBar* m_bar = nullptr;
    QLabel* m_label = nullptr;
};

// A read-only text view collecting the lines an action sequence reports (the output
// of the commands it runs, as they print it), in a group titled with the element's text
// when it has one. Each visit of the stage starts with an empty view: the sequence runs
// again and reports its lines anew.
class SV_QtTextOutput : public SV_QtOutputWidgetProvider {
    Q_OBJECT
public:
    SV_QtTextOutput(SV_UIActionSequence* element, QGridLayout* grid, QWidget* parentWidget,
                    QObject* owner = nullptr, const char* name = nullptr);

    void showWidgets() override;
    void hideWidgets() override;
    void create() override;
    void startVisit() override;
    QTextBrowser* textView() const { return m_text; }
    // The titled group around the view; null for an element without a text.
    QGroupBox* group() const { return m_group; }

public slots:
    void slot_newtext(const QString& text);

private:
    SV_UIActionSequence* m_sequence;
    QTextBrowser* m_text = nullptr;
    QGroupBox* m_group = nullptr;
};

// The install monitor: title, overall bar, current sub-job with its bar, the result
// text and a "Show Log" button enabled once the install sequence has finished. 7 rows.
// A failed install says so: a warning sign, the result text and each sequence that
// reported an error with the error; the overall bar stays where the install stopped.
class SV_QtInstallOutput : public SV_QtOutputWidgetProvider {
    Q_OBJECT
public:
    SV_QtInstallOutput(SV_UIInstallSequence* element, QGridLayout* grid, QWidget* parentWidget,
                       QObject* owner = nullptr, const char* name = nullptr);

    int numRowsUsed() override { return 7; }
    void showWidgets() override;
    void hideWidgets() override;
    void create() override;

    QProgressBar* overallBar() const { return m_overallBar; }
    QProgressBar* subJobBar() const { return m_subJobBar; }
    QLabel* titleLabel() const { return m_titleLabel; }
    QLabel* subJobLabel() const { return m_subJobLabel; }
    QLabel* resultLabel() const { return m_resultLabel; }
    // The warning sign beside the result, shown after a failed install.
    QLabel* resultIcon() const { return m_resultIcon; }
    QPushButton* logButton() const { return m_logButton; }
    // "sequence title: error" for every error reported during the last install run.
    const QStringList& failures() const { return m_failures; }
    void startVisit() override;

public slots:
    void slot_new_subjob(const QString& title, SV_Action* action);
    void slot_installDone();
    void slot_showLog();

private:
    SV_UIInstallSequence* m_install;
    QProgressBar* m_overallBar = nullptr;
    QProgressBar* m_subJobBar = nullptr;
    QLabel* m_titleLabel = nullptr;
    QLabel* m_subJobLabel = nullptr;
    QLabel* m_resultLabel = nullptr;
    QLabel* m_resultIcon = nullptr;
    QWidget* m_resultBox = nullptr;
    QPushButton* m_logButton = nullptr;
    QPointer<SV_Action> m_subJob;
    QString m_subJobTitle;
    QStringList m_failures;
    int m_reached = 0;
};

#endif
