#ifndef SV_QTSTAGEWIDGET_H
#define SV_QTSTAGEWIDGET_H

#include <QList>
#include <QTextBrowser>
#include <QWidget>

class QGridLayout;
class SV_QtUIWidgetProvider;
class SV_Stage;
class SV_UIElement;

// Read-only rich-text view of a stage's description file, in the variant for the
// current language. A file that cannot be opened shows a one-line message instead.
class SV_QtStageDescriptionView : public QTextBrowser {
    Q_OBJECT
public:
    SV_QtStageDescriptionView(const QString& descriptionFile, QWidget* parent = nullptr,
                              const char* name = nullptr);
};

// Shows one wizard stage: an optional description above, left or right of a 4-column
// grid of element rows. Each UI element of the stage gets one widget provider from
// widgetProviderFactory(), which places the element's widgets from its row down.
class SV_QtStageWidget : public QWidget {
    Q_OBJECT
public:
    // descriptionLocation: "top", "left" or "right"; any other value is taken as "top".
    SV_QtStageWidget(SV_Stage* stage, const QString& descriptionLocation,
                     QWidget* parent = nullptr, const char* name = nullptr);

    SV_Stage* stage() const { return m_stage; }
    // First focus widget of the providers in element order, or null.
    QWidget* firstFocusWidget() const;
    // Last focus widget of the providers, searched from the last one backwards, or null.
    QWidget* lastFocusWidget() const;
    // The stage is entered: each provider starts its visit (before the stage's
    // initialisation and its sequences run).
    void startVisit();
    // The provider for one element; stops the program for elements it cannot show.
    SV_QtUIWidgetProvider* widgetProviderFactory(SV_UIElement* element);

    // For inspection: the element grid, the description view (null without a
    // description file) and the providers in element order.
    QGridLayout* elementGrid() const { return m_elementGrid; }
    QGridLayout* outerGrid() const { return m_outerGrid; }
    SV_QtStageDescriptionView* descriptionView() const { return m_descriptionView; }
    const QList<SV_QtUIWidgetProvider*>& providers() const { return m_providers; }

public slots:
    // Shows or hides each provider's widgets by its element's current validity, lays
    // the grid out anew and shows the widget. Also runs when the stage has finished
    // its initialisation actions.
    void show();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void updateElementVisibility();

    SV_Stage* m_stage;
    QGridLayout* m_outerGrid = nullptr;
    QGridLayout* m_elementGrid = nullptr;
    SV_QtStageDescriptionView* m_descriptionView = nullptr;
    int m_nextRow = 0;
    QList<SV_QtUIWidgetProvider*> m_providers;
};

#endif
