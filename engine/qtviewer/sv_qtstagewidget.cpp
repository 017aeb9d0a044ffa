#include "sv_qtstagewidget.h"

#include "sv_boolvariable.h"
#include "sv_choicevariable.h"
#include "sv_directoryvariable.h"
#include "sv_engine.h"
#include "sv_numbervariable.h"
#include "sv_passwordvariable.h"
#include "sv_qtinputwidgets.h"
#include "sv_qtoutputwidgets.h"
#include "sv_stage.h"
#include "sv_textvariable.h"
#include "sv_uielement.h"

#include <QFile>
#include <QGridLayout>
#include <QShowEvent>
#include <QStackedLayout>

SV_QtStageDescriptionView::SV_QtStageDescriptionView(const QString& descriptionFile,
                                                     QWidget* parent, const char* name)
    : QTextBrowser(parent) {
    if (name)
        setObjectName(QString::fromLatin1(name));
    setReadOnly(true);
    setOpenLinks(false);
    const QString file = SV_Engine::engine()->translationFile(descriptionFile);
    QFile in(file);
    if (in.open(QIODevice::ReadOnly))
        setHtml(QString::fromUtf8(in.readAll()));
    else
        setHtml(QStringLiteral("<b>:( Could not open qml file:</b> ") + file.toHtmlEscaped());
}

SV_QtStageWidget::SV_QtStageWidget(SV_Stage* stage, const QString& descriptionLocation,
                                   QWidget* parent, const char* name)
    : QWidget(parent), m_stage(stage) {
    if (name)
        setObjectName(QString::fromLatin1(name));
    if (m_stage)
        connect(m_stage, &SV_Stage::sig_initializationDone, this, &SV_QtStageWidget::show);

    m_elementGrid = new QGridLayout();
    m_elementGrid->setSpacing(5);

    if (m_stage && !m_stage->descriptionFile().isNull())
        m_descriptionView = new SV_QtStageDescriptionView(m_stage->descriptionFile(), this);

    const int elements = m_stage ? int(m_stage->uiElements().size()) : 0;
    if (elements > 0)
        m_elementGrid->setRowStretch(0, 1);

    if (m_stage) {
        QListIterator<SV_UIElement*> it = m_stage->ui_iterator();
        while (it.hasNext()) {
            SV_QtUIWidgetProvider* provider = widgetProviderFactory(it.next());
            if (!provider)
                continue;
            provider->setRow(m_nextRow);
            provider->create();
            m_providers.append(provider);
            m_nextRow += provider->numRowsUsed();
        }
    }
    m_elementGrid->setRowStretch(m_nextRow, 1);

    m_outerGrid = new QGridLayout(this);
    m_outerGrid->setContentsMargins(0, 0, 0, 0);
    bool gridPlaced = true;
    // "top" is a grid of 2 rows x 1 column, "left" and "right" of 1 row x 2 columns;
    // rows and columns are made to exist even while they stay empty.
    const bool sideBySide = descriptionLocation == QLatin1String("left") ||
                            descriptionLocation == QLatin1String("right");
    if (sideBySide)
        m_outerGrid->setColumnStretch(1, 0);
    else
        m_outerGrid->setRowStretch(1, 0);
    if (descriptionLocation == QLatin1String("left")) {
        if (m_descriptionView) {
            m_outerGrid->addWidget(m_descriptionView, 0, 0);
            if (elements > 0) {
                m_outerGrid->setColumnStretch(0, 1);
                m_outerGrid->setColumnStretch(1, 2);
                m_outerGrid->addLayout(m_elementGrid, 0, 1);
            } else {
                gridPlaced = false;
            }
        } else {
            m_outerGrid->addLayout(m_elementGrid, 0, 0, 1, 2);
        }
    } else if (descriptionLocation == QLatin1String("right")) {
        if (m_descriptionView) {
            m_outerGrid->addWidget(m_descriptionView, 0, 1);
            if (elements > 0) {
                m_outerGrid->setColumnStretch(1, 1);
                m_outerGrid->setColumnStretch(0, 2);
                m_outerGrid->addLayout(m_elementGrid, 0, 0);
            } else {
                gridPlaced = false;
            }
        } else {
            m_outerGrid->addLayout(m_elementGrid, 0, 0, 1, 2);
        }
    } else {
        // "top", and any value the window does not know.
        if (m_descriptionView) {
            m_outerGrid->addWidget(m_descriptionView, 0, 0);
            if (elements > 0) {
                m_outerGrid->setRowStretch(0, 1);
                m_outerGrid->addLayout(m_elementGrid, 1, 0);
            } else {
                gridPlaced = false;
            }
        } else {
            m_outerGrid->addLayout(m_elementGrid, 0, 0, 2, 1);
        }
    }
    // A grid left out of the layout still belongs to the stage widget.
    if (!gridPlaced)
        m_elementGrid->setParent(this);
    m_outerGrid->setSpacing(15);
    m_outerGrid->setContentsMargins(10, 10, 10, 10);
}

SV_QtUIWidgetProvider* SV_QtStageWidget::widgetProviderFactory(SV_UIElement* element) {
    if (!element)
        return nullptr;
    QGridLayout* grid = m_elementGrid;
    // The stage widget owns its providers; they live as long as it does.
    QObject* owner = this;

    if (auto* input = qobject_cast<SV_UIVariableInput*>(element)) {
        SV_Variable* variable = input->variable();
        if (qobject_cast<SV_TextVariable*>(variable))
            return new SV_QtTextInput(input, grid, this, owner);
        if (qobject_cast<SV_DirectoryVariable*>(variable))
            return new SV_QtDirectoryInput(input, grid, this, owner);
        if (qobject_cast<SV_PasswordVariable*>(variable))
            return new SV_QtPasswordInput(input, grid, this, owner);
        if (qobject_cast<SV_ProfileVariable*>(variable))
            return new SV_QtProfileInput(input, grid, this, owner);
        if (qobject_cast<SV_SChoiceVariable*>(variable))
            return new SV_QtSChoiceInput(input, grid, this, owner);
        if (qobject_cast<SV_MChoiceVariable*>(variable))
            return new SV_QtMChoiceInput(input, grid, this, owner);
        if (qobject_cast<SV_NumberVariable*>(variable))
            return new SV_QtNumberInput(input, grid, this, owner);
        if (qobject_cast<SV_BoolVariable*>(variable))
            return new SV_QtBoolInput(input, grid, this, owner);
        qFatal("SV_QtStageWidget::widgetFactory, no input widget...");
    }
    if (auto* sequence = qobject_cast<SV_UIActionSequence*>(element)) {
        const QString output = sequence->option(QStringLiteral("output"), QStringLiteral("progress"));
        if (output == QLatin1String("progress"))
            return new SV_QtProgressOutput(sequence, grid, this, owner);
        if (output == QLatin1String("text"))
            return new SV_QtTextOutput(sequence, grid, this, owner);
        qFatal("Qt Widget Factory, couldn't create an action-sequence widget, output_type = %s",
               qPrintable(output));
    }
    if (auto* launcher = qobject_cast<SV_UIActionLauncher*>(element))
        return new SV_QtActionLauncher(launcher, grid, this, owner);
    if (auto* variableOutput = qobject_cast<SV_UIVariableOutput*>(element)) {
        if (!variableOutput->variable())
            return nullptr;
        return new SV_QtVariableOutput(variableOutput, grid, this, owner);
    }
    if (auto* install = qobject_cast<SV_UIInstallSequence*>(element))
        return new SV_QtInstallOutput(install, grid, this, owner);
    if (qobject_cast<SV_UIOutput*>(element))
        return new SV_QtLabelOutput(element, grid, this, owner);
    qFatal("Qt WidgetFactory: Unknown UI Element type");
    return nullptr;
}

void SV_QtStageWidget::startVisit() {
    for (SV_QtUIWidgetProvider* provider : std::as_const(m_providers))
        provider->startVisit();
}

QWidget* SV_QtStageWidget::firstFocusWidget() const {
    for (SV_QtUIWidgetProvider* provider : m_providers)
        if (QWidget* w = provider->firstFocusWidget())
            return w;
    return nullptr;
}

QWidget* SV_QtStageWidget::lastFocusWidget() const {
    for (auto it = m_providers.crbegin(); it != m_providers.crend(); ++it)
        if (QWidget* w = (*it)->lastFocusWidget())
            return w;
    return nullptr;
}

void SV_QtStageWidget::updateElementVisibility() {
    for (SV_QtUIWidgetProvider* provider : std::as_const(m_providers)) {
        SV_UIElement* element = provider->UIElement();
        if (element && element->isValid())
            provider->showWidgets();
        else
            provider->hideWidgets();
    }
    m_elementGrid->invalidate();
}

void SV_QtStageWidget::show() {
    updateElementVisibility();
    // A page of a stack that is not the current one stays hidden: its stage may finish
    // its initialisation after the user has already gone back to another page.
    if (parentWidget())
        if (auto* stack = qobject_cast<QStackedLayout*>(parentWidget()->layout()))
            if (stack->currentWidget() != this)
                return;
    QWidget::show();
}

void SV_QtStageWidget::showEvent(QShowEvent* event) {
    // The stage stack shows its pages through QWidget's own show(), which is not virtual.
    if (!event->spontaneous())
        updateElementVisibility();
    QWidget::showEvent(event);
}
