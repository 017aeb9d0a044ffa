#include "sv_qtwidgetprovider.h"

#include "sv_uielement.h"
#include "sv_variable.h"

#include <QLabel>
#include <QTextDocumentFragment>
#include <QWidget>

QString SV_QtUIWidgetProvider::accessibleText(const QString& text) {
    if (!Qt::mightBeRichText(text))
        return text;
    return QTextDocumentFragment::fromHtml(text).toPlainText().simplified();
}

void SV_QtUIWidgetProvider::nameByLabel(QLabel* label, QWidget* widget,
                                        const QString& description) {
    if (!label || !widget)
        return;
    label->setBuddy(widget);
    const QString name = accessibleText(label->text());
    widget->setAccessibleName(name);
    widget->setAccessibleDescription(description.isNull() ? name : accessibleText(description));
}

SV_QtUIWidgetProvider::SV_QtUIWidgetProvider(SV_UIElement* element, QGridLayout* grid,
                                             QWidget* parentWidget, QObject* owner,
                                             const char* name)
    : QObject(owner), m_element(element), m_grid(grid), m_parentWidget(parentWidget) {
    if (name)
        setObjectName(QString::fromLatin1(name));
}

SV_QtVariableInputWidgetProvider::SV_QtVariableInputWidgetProvider(SV_UIVariableInput* element,
                                                                   QGridLayout* grid,
                                                                   QWidget* parentWidget,
                                                                   QObject* owner,
                                                                   const char* name)
    : SV_QtInputWidgetProvider(element, grid, parentWidget, owner, name), m_variableInput(element) {
    // A direct connection: the widgets follow a change before storeValue returns.
    if (element && element->variable())
        connect(element->variable(), &SV_Variable::sig_valuechanged, this,
                &SV_QtVariableInputWidgetProvider::slot_refresh);
}
