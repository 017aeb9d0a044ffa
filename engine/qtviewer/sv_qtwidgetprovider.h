#ifndef SV_QTWIDGETPROVIDER_H
#define SV_QTWIDGETPROVIDER_H

#include "sv_logger.h"

#include <QObject>

class QGridLayout;
class QLabel;
class QWidget;
class SV_UIElement;
class SV_UIVariableInput;

// Creates, shows and hides the widgets of one UI element in a stage widget's element
// grid, from its row down. Providers are not visual objects themselves.
class SV_QtUIWidgetProvider : public QObject, public SV_Logger {
    Q_OBJECT
public:
    // The element grid has this many columns.
    static constexpr int GridColumns = 4;

    SV_QtUIWidgetProvider(SV_UIElement* element, QGridLayout* grid, QWidget* parentWidget,
                          QObject* owner = nullptr, const char* name = nullptr);

    void setRow(int row) { m_row = row; }
    int row() const { return m_row; }
    SV_UIElement* UIElement() const { return m_element; }
    QGridLayout* grid() const { return m_grid; }
    QWidget* parentWidget() const { return m_parentWidget; }

    virtual int numRowsUsed() { return 1; }
    virtual QWidget* firstFocusWidget() { return nullptr; }
    virtual QWidget* lastFocusWidget() { return nullptr; }
    virtual void showWidgets() = 0;
    virtual void hideWidgets() = 0;
    // The stage is entered again (before its initialisation and its sequences run).
    virtual void startVisit() {}
    // Places the widgets into the grid; creates nothing when something it needs is missing.
    virtual void create() = 0;

    // A display text as assistive technology reads it: rich text as plain text.
    static QString accessibleText(const QString& text);
    // The label names the widget: it becomes the label's buddy and takes the label's text
    // as accessible name, and the description (the label's text when null) as its
    // accessible description.
    static void nameByLabel(QLabel* label, QWidget* widget,
                            const QString& description = QString());

protected:
    SV_UIElement* m_element;
    QGridLayout* m_grid;
    QWidget* m_parentWidget;
    int m_row = 0;
};

// Base of the providers of input elements.
class SV_QtInputWidgetProvider : public SV_QtUIWidgetProvider {
    Q_OBJECT
public:
    SV_QtInputWidgetProvider(SV_UIElement* element, QGridLayout* grid, QWidget* parentWidget,
                             QObject* owner = nullptr, const char* name = nullptr)
        : SV_QtUIWidgetProvider(element, grid, parentWidget, owner, name) {}
};

// An input bound to a variable both ways: slot_storeValue writes the widgets' state into
// the variable, slot_refresh (called on every change of the variable) writes it back.
class SV_QtVariableInputWidgetProvider : public SV_QtInputWidgetProvider {
    Q_OBJECT
public:
    SV_QtVariableInputWidgetProvider(SV_UIVariableInput* element, QGridLayout* grid,
                                     QWidget* parentWidget, QObject* owner = nullptr,
                                     const char* name = nullptr);

    SV_UIVariableInput* variableInputElement() const { return m_variableInput; }

public slots:
    virtual void slot_storeValue() = 0;
    virtual void slot_refresh() = 0;

protected:
    SV_UIVariableInput* m_variableInput;
};

// Base of the providers of output elements.
class SV_QtOutputWidgetProvider : public SV_QtUIWidgetProvider {
    Q_OBJECT
public:
    SV_QtOutputWidgetProvider(SV_UIElement* element, QGridLayout* grid, QWidget* parentWidget,
                              QObject* owner = nullptr, const char* name = nullptr)
        : SV_QtUIWidgetProvider(element, grid, parentWidget, owner, name) {}
};

#endif
