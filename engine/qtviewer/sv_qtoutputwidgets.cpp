#include "sv_qtoutputwidgets.h"

#include "sv_action.h"
#include "sv_actionprocessor.h"
#include "sv_engine.h"
#include "sv_installsequenceaction.h"
#include "sv_uielement.h"
#include "sv_variable.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QStyle>
#include <QVBoxLayout>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextBrowser>

namespace {
constexpr int C = SV_QtUIWidgetProvider::GridColumns;

// The progress an action has reached. A finished action counts its steps from zero
// again, yet its bar is meant to stay full.
int progressReached(SV_Action* action) {
    return action->done() ? action->totalSteps() : action->currSteps();
}
} // namespace

// ---- label output ----

void SV_QtLabelOutput::create() {
    if (!m_parentWidget || !m_grid || !m_element)
        return;
    m_label = new QLabel(m_element->text(), m_parentWidget);
    m_label->setWordWrap(true);
    m_label->setAlignment(Qt::AlignCenter);
    m_label->setMargin(15);
    m_grid->addWidget(m_label, m_row, 0, 1, C);
}

void SV_QtLabelOutput::showWidgets() {
    if (!m_label)
        return;
    m_label->setText(m_element->text());
    m_label->show();
}

void SV_QtLabelOutput::hideWidgets() {
    if (m_label)
        m_label->hide();
}

// ---- variable output ----

SV_QtVariableOutput::SV_QtVariableOutput(SV_UIVariableOutput* element, QGridLayout* grid,
                                         QWidget* parentWidget, QObject* owner, const char* name)
    : SV_QtOutputWidgetProvider(element, grid, parentWidget, owner, name), m_output(element) {}

void SV_QtVariableOutput::create() {
    if (!m_parentWidget || !m_grid || !m_output || !m_output->variable())
        return;
    SV_Variable* variable = m_output->variable();
    connect(variable, &SV_Variable::sig_valuechanged, this,
            &SV_QtVariableOutput::slot_value_changed);
    // An output element without a text of its own reads as an empty text.
    QString text = m_output->text();
    if (text.isEmpty())
        text = variable->text() + QLatin1Char(':');
    m_label = new QLabel(text, m_parentWidget);
    m_value = new QLineEdit(m_parentWidget);
    m_value->setReadOnly(true);
    nameByLabel(m_label, m_value);
    m_grid->addWidget(m_label, m_row, 0);
    m_grid->addWidget(m_value, m_row, 1);
    slot_value_changed();
}

void SV_QtVariableOutput::slot_value_changed() {
    if (m_value && m_output && m_output->variable()) {
        m_value->setText(m_output->variable()->value());
        // A value longer than the field reads from its beginning, not from its end.
        m_value->setCursorPosition(0);
    }
}

void SV_QtVariableOutput::showWidgets() {
    if (m_label)
        m_label->show();
    if (m_value)
        m_value->show();
}

void SV_QtVariableOutput::hideWidgets() {
    if (m_label)
        m_label->hide();
    if (m_value)
        m_value->hide();
}

// ---- action launcher ----

SV_QtActionLauncher::SV_QtActionLauncher(SV_UIActionLauncher* element, QGridLayout* grid,
                                         QWidget* parentWidget, QObject* owner, const char* name)
    : SV_QtOutputWidgetProvider(element, grid, parentWidget, owner, name), m_launcher(element) {}

void SV_QtActionLauncher::create() {
    if (!m_parentWidget || !m_grid || !m_launcher || !m_launcher->action())
        return;
    m_button = new QPushButton(m_launcher->text(), m_parentWidget);
    connect(m_button, &QPushButton::clicked, this, &SV_QtActionLauncher::slot_launch);
    m_grid->addWidget(m_button, m_row, 0, 1, C, Qt::AlignCenter);
}

void SV_QtActionLauncher::slot_launch() {
    if (m_launcher)
        m_launcher->launchAction();
}

void SV_QtActionLauncher::showWidgets() {
    if (m_button)
        m_button->show();
}

void SV_QtActionLauncher::hideWidgets() {
    if (m_button)
        m_button->hide();
}

// ---- progress output ----

SV_QtProgressOutput::SV_QtProgressOutput(SV_UIActionSequence* element, QGridLayout* grid,
                                         QWidget* parentWidget, QObject* owner, const char* name)
    : SV_QtOutputWidgetProvider(element, grid, parentWidget, owner, name), m_sequence(element) {}

void SV_QtProgressOutput::create() {
    if (!m_parentWidget || !m_grid || !m_sequence || !m_sequence->action())
        return;
    m_label = new QLabel(m_sequence->text(), m_parentWidget);
    m_bar = new QProgressBar(m_parentWidget);
    connect(m_sequence->action(), &SV_Action::sig_progress, m_bar, &QProgressBar::setValue);
    nameByLabel(m_label, m_bar);
    m_grid->addWidget(m_label, m_row, 0, 1, C, Qt::AlignLeft | Qt::AlignVCenter);
    m_grid->addWidget(m_bar, m_row + 1, 0, 1, C);
}

void SV_QtProgressOutput::showWidgets() {
    if (m_label)
        m_label->show();
    if (!m_bar)
        return;
    if (SV_Action* action = m_sequence->action()) {
        m_bar->setMaximum(action->totalSteps());
        m_bar->setValue(progressReached(action));
    }
    m_bar->show();
}

void SV_QtProgressOutput::hideWidgets() {
    if (m_label)
        m_label->hide();
    if (m_bar)
        m_bar->hide();
}

// ---- text output ----

SV_QtTextOutput::SV_QtTextOutput(SV_UIActionSequence* element, QGridLayout* grid,
                                 QWidget* parentWidget, QObject* owner, const char* name)
    : SV_QtOutputWidgetProvider(element, grid, parentWidget, owner, name), m_sequence(element) {}

void SV_QtTextOutput::create() {
    if (!m_parentWidget || !m_grid || !m_sequence || !m_sequence->action())
        return;
    connect(m_sequence->action(), &SV_Action::sig_text, this, &SV_QtTextOutput::slot_newtext);
    const QString title = m_sequence->text();
    if (title.isEmpty()) {
        m_text = new QTextBrowser(m_parentWidget);
        m_grid->addWidget(m_text, m_row, 0, 1, C);
    } else {
        m_group = new QGroupBox(title, m_parentWidget);
        auto* layout = new QVBoxLayout(m_group);
        m_text = new QTextBrowser(m_group);
        layout->addWidget(m_text);
        m_text->setAccessibleName(accessibleText(title));
        m_grid->addWidget(m_group, m_row, 0, 1, C);
    }
    m_text->setReadOnly(true);
}

void SV_QtTextOutput::startVisit() {
    if (m_text)
        m_text->clear();
}

void SV_QtTextOutput::slot_newtext(const QString& text) {
    if (!m_text)
        return;
    // Command output is plain text: markup in it is shown as printed and spaces are
    // kept. The view follows the new line unless the user has scrolled away from the end.
    QScrollBar* bar = m_text->verticalScrollBar();
    const bool atEnd = bar->value() >= bar->maximum();
    QTextCursor cursor(m_text->document());
    cursor.movePosition(QTextCursor::End);
    if (!m_text->document()->isEmpty())
        cursor.insertBlock();
    cursor.insertText(text);
    if (atEnd)
        bar->setValue(bar->maximum());
}

void SV_QtTextOutput::showWidgets() {
    if (m_group)
        m_group->show();
    if (m_text)
        m_text->show();
}

void SV_QtTextOutput::hideWidgets() {
    if (m_group)
        m_group->hide();
    else if (m_text)
        m_text->hide();
}

// ---- install monitor ----

SV_QtInstallOutput::SV_QtInstallOutput(SV_UIInstallSequence* element, QGridLayout* grid,
                                       QWidget* parentWidget, QObject* owner, const char* name)
    : SV_QtOutputWidgetProvider(element, grid, parentWidget, owner, name), m_install(element) {}

void SV_QtInstallOutput::create() {
    if (!m_parentWidget || !m_grid || !m_install || !m_install->action())
        return;
    SV_InstallSequenceAction* action = m_install->action();
    connect(action, &SV_InstallSequenceAction::sig_new_subjob, this,
            &SV_QtInstallOutput::slot_new_subjob);
    connect(action, &SV_Action::sig_actionDone, this, &SV_QtInstallOutput::slot_installDone);

    QString title = m_install->text();
    if (title.isEmpty())
        title = tr("Installation Progress");
    m_titleLabel = new QLabel(title, m_parentWidget);
    m_titleLabel->setWordWrap(true);
    m_titleLabel->setAlignment(Qt::AlignCenter);
    m_overallBar = new QProgressBar(m_parentWidget);
    connect(action, &SV_Action::sig_progress, m_overallBar, &QProgressBar::setValue);
    // The progress reached before the end: an action that ends reports its whole total.
    connect(action, &SV_Action::sig_progress, this, [this, action](int steps) {
        if (!action->done())
            m_reached = steps;
    });
    nameByLabel(m_titleLabel, m_overallBar);
    m_subJobLabel = new QLabel(m_parentWidget);
    m_subJobLabel->setWordWrap(true);
    m_subJobLabel->setAlignment(Qt::AlignCenter);
    m_subJobBar = new QProgressBar(m_parentWidget);
    m_subJobBar->setAccessibleName(tr("Current step"));
    m_subJobLabel->setBuddy(m_subJobBar);
    // The result: a warning sign (after a failure only) beside the text.
    m_resultBox = new QWidget(m_parentWidget);
    auto* resultRow = new QHBoxLayout(m_resultBox);
    resultRow->setContentsMargins(0, 0, 0, 0);
    m_resultIcon = new QLabel(m_resultBox);
    const int iconSize = m_resultBox->style()->pixelMetric(QStyle::PM_MessageBoxIconSize);
    m_resultIcon->setPixmap(
        m_resultBox->style()->standardIcon(QStyle::SP_MessageBoxWarning).pixmap(iconSize));
    m_resultIcon->setAccessibleName(tr("Warning"));
    m_resultIcon->hide();
    m_resultLabel = new QLabel(m_resultBox);
    m_resultLabel->setWordWrap(true);
    m_resultLabel->setAlignment(Qt::AlignCenter);
    m_resultLabel->setTextFormat(Qt::PlainText);
    resultRow->addWidget(m_resultIcon, 0, Qt::AlignTop);
    resultRow->addWidget(m_resultLabel, 1);
    m_logButton = new QPushButton(tr("Show Log"), m_parentWidget);
    m_logButton->setEnabled(false);
    connect(m_logButton, &QPushButton::clicked, this, &SV_QtInstallOutput::slot_showLog);

    m_grid->addWidget(m_titleLabel, m_row, 0, 1, C);
    m_grid->addWidget(m_overallBar, m_row + 1, 0, 1, C);
    m_grid->setRowStretch(m_row + 2, 1);
    m_grid->addWidget(m_subJobLabel, m_row + 3, 0, 1, C);
    m_grid->addWidget(m_subJobBar, m_row + 4, 0, 1, C);
    m_grid->addWidget(m_resultBox, m_row + 5, 0, 1, C);
    m_grid->setRowStretch(m_row + 5, 2);
    m_grid->addWidget(m_logButton, m_row + 6, C - 1, Qt::AlignRight);
}

void SV_QtInstallOutput::showWidgets() {
    if (!m_titleLabel)
        return;
    m_titleLabel->show();
    if (SV_InstallSequenceAction* action = m_install->action()) {
        // Total first: a progress above the old total would be refused. A failed run
        // stays where it stopped.
        m_overallBar->setMaximum(action->totalSteps());
        m_overallBar->setValue(action->done() && !action->successful() ? m_reached
                                                                       : progressReached(action));
    }
    m_overallBar->show();
    m_subJobLabel->show();
    m_subJobBar->show();
    m_logButton->setEnabled(false);
    m_logButton->show();
    m_resultLabel->clear();
    m_resultIcon->hide();
    m_resultBox->show();
    // A new run (the stage was entered again) reports its own failures.
    if (SV_InstallSequenceAction* action = m_install->action(); action && action->done())
        m_failures.clear();
}

void SV_QtInstallOutput::startVisit() {
    m_failures.clear();
    m_reached = 0;
}

void SV_QtInstallOutput::hideWidgets() {
    for (QWidget* w : {static_cast<QWidget*>(m_titleLabel), static_cast<QWidget*>(m_overallBar),
                       static_cast<QWidget*>(m_subJobLabel), static_cast<QWidget*>(m_subJobBar),
                       static_cast<QWidget*>(m_resultBox), static_cast<QWidget*>(m_logButton)})
        if (w)
            w->hide();
}

void SV_QtInstallOutput::slot_new_subjob(const QString& title, SV_Action* action) {
    if (!m_subJobBar)
        return;
    if (m_subJob)
        disconnect(m_subJob, &SV_Action::sig_progress, m_subJobBar, &QProgressBar::setValue);
    if (m_subJob)
        disconnect(m_subJob, &SV_Action::sig_error, this, nullptr);
    m_subJob = action;
    m_subJobTitle = title;
    m_subJobLabel->setText(title);
    m_subJobBar->setAccessibleName(accessibleText(title));
    if (!action)
        return;
    m_subJobBar->setMaximum(action->totalSteps());
    m_subJobBar->setValue(action->currSteps());
    connect(action, &SV_Action::sig_progress, m_subJobBar, &QProgressBar::setValue);
    // What failed, for the result: the sequence and its error.
    connect(action, &SV_Action::sig_error, this, [this](const QString& message) {
        m_failures.append(accessibleText(m_subJobTitle) + QStringLiteral(": ") +
                          accessibleText(message));
    });
}

void SV_QtInstallOutput::slot_installDone() {
    if (!m_resultLabel)
        return;
    m_subJobLabel->hide();
    m_subJobBar->hide();
    if (m_subJob)
        disconnect(m_subJob, &SV_Action::sig_error, this, nullptr);
    m_logButton->setEnabled(true);
    if (m_install->action()->successful()) {
        m_resultIcon->hide();
        m_resultLabel->setText(tr("The Installation appears to have successfully completed."));
    } else {
        // The bar keeps the progress reached: the install did not get to its end.
        m_overallBar->setValue(m_reached);
        m_resultIcon->show();
        QStringList lines{
            tr("An error occured during installation, please view the Log for details")};
        if (!m_failures.isEmpty())
            lines << tr("What failed:") << m_failures;
        m_resultLabel->setText(lines.join(QLatin1Char('\n')));
    }
    m_resultLabel->setAccessibleName(m_resultLabel->text());
    m_resultLabel->repaint();
}

void SV_QtInstallOutput::slot_showLog() {
    SV_Engine::engine()->showLog();
}
