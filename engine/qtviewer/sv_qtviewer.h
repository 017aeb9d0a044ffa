#ifndef SV_QTVIEWER_H
#define SV_QTVIEWER_H

#include "sv_viewer.h"

#include <QHash>
#include <QPointer>
#include <QString>

#include <functional>

class QFrame;
class QGridLayout;
class QHBoxLayout;
class QLabel;
class QMainWindow;
class QMdiArea;
class QMdiSubWindow;
class QPushButton;
class QStackedWidget;
class QVBoxLayout;
class QWidget;
class SV_Engine;
class SV_QtLanguageSelectDlg;
class SV_QtLogViewer;
class SV_QtSplashScreen;
class SV_QtStageWidget;
class SV_Stage;
class SV_Wizard;

// The wizard window: a header with the icons and the stage title, the stage area (one
// stage widget per stage, one visible at a time) and the navigation buttons. The walk
// through the stages is the wizard controller's (SV_Wizard): the window shows the stage
// it enters, enables the forward button when it says the stage can continue, shows why
// not beside the buttons, and passes the button clicks on. Runs either
// with the wizard frame as the main window's central widget ("sdi mode") or as a child
// window in a workspace with a configurable background ("mdi mode").
class SV_QtViewer : public SV_Viewer {
    Q_OBJECT
public:
    explicit SV_QtViewer(QObject* parent = nullptr, const char* name = nullptr);

    QString getLanguage() override;
    void startLoading() override;
    void setLoadingMessage(const QString& message) override;
    void startInstaller() override;
    void showLog() override;
    QString getYesNo(const QString& question) override;
    void showPrompt(const QString& message) override;

    void setNextEnabled(bool enabled);
    void setFinishEnabled(bool enabled);

    // The desktop size the window is laid out for; taken from the primary screen at
    // construction. Tests set their own before startInstaller.
    void setDesktopSize(int width, int height);
    int desktopWidth() const { return m_desktopWidth; }
    int desktopHeight() const { return m_desktopHeight; }
    bool desktopTooSmall() const;
    bool mdiMode() const { return m_mdiMode; }

    // The window's parts, for the program's tests and screenshots.
    QMainWindow* mainWindow() const { return m_mainWindow; }
    QMdiArea* workspace() const { return m_workspace; }
    QWidget* mainFrame() const { return m_mainFrame; }
    QStackedWidget* stageStack() const { return m_stageStack; }
    QLabel* titleLabel() const { return m_titleLabel; }
    QLabel* authorIconLabel() const { return m_authorIconLabel; }
    QLabel* appIconLabel() const { return m_appIconLabel; }
    QPushButton* cancelButton() const { return m_cancelButton; }
    QPushButton* backButton() const { return m_backButton; }
    QPushButton* nextButton() const { return m_nextButton; }
    QPushButton* doneButton() const { return m_doneButton; }
    // Why the forward button is disabled (empty while it is enabled).
    QLabel* reasonLabel() const { return m_reasonLabel; }
    SV_Wizard* wizard() const { return m_wizard; }
    SV_QtStageWidget* currentStageWidget() const { return m_currentStageWidget; }
    SV_QtStageWidget* stageWidget(const QString& id) const { return m_stageWidgets.value(id); }
    const QHash<QString, SV_QtStageWidget*>& stageWidgets() const { return m_stageWidgets; }
    SV_QtLogViewer* logViewer() const { return m_logViewer; }
    SV_QtSplashScreen* splashScreen() const { return m_splashScreen; }
    SV_QtLanguageSelectDlg* languageDialog() const { return m_languageDialog; }

    // Called each time a stage has been shown (after its initialisation was started);
    // lets a caller know when the wizard is up without watching the screen.
    void setStageShownHook(std::function<void(const QString& stageId)> hook);

    // Enters the stage with that id through the controller.
    void showStage(const QString& id);
    void showMainwidget();
    void showCenteredWidget(QWidget* widget);

    // The message shown, before the run ends, when no stage of the install file can be
    // shown.
    static QString noStageMessage();

public slots:
    void slot_checkCurrStage();
    void slot_next();
    void slot_cancel();
    void slot_back();
    void slot_done();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void initInternalOptions();
    void initStyle();
    void initPalette();
    void initBackground();
    void initMDIMode();
    void initView();
    void initStageList(SV_Stage* first);
    // Shows the stage the controller has entered.
    void slot_stageEntered(SV_Stage* stage);
    // Focus, tab order and the window's size, once the stage has been initialised.
    void slot_stageShown(SV_Stage* stage);
    void showForwardControl();
    // Return and Enter in the window: the focused push button, else the forward button.
    void activateDefault();
    void applyBackgroundPixmap(const QString& imageId, bool overlay);
    QPushButton* forwardButton() const;
    QWidget* frameOf(QWidget* widget) const;

    SV_Engine* m_engine = nullptr;
    SV_QtLanguageSelectDlg* m_languageDialog = nullptr;
    SV_QtSplashScreen* m_splashScreen = nullptr;
    QHash<QString, SV_QtStageWidget*> m_stageWidgets;
    // The page of each stage: stages without an id, or with the id of another, have
    // their own pages too.
    QHash<const SV_Stage*, SV_QtStageWidget*> m_pageOf;
    SV_QtStageWidget* m_currentStageWidget = nullptr;
    SV_QtLogViewer* m_logViewer = nullptr;
    QMainWindow* m_mainWindow = nullptr;
    QMdiArea* m_workspace = nullptr;
    QWidget* m_mainFrame = nullptr;
    QStackedWidget* m_stageStack = nullptr;
    QVBoxLayout* m_mainLayout = nullptr;
    QGridLayout* m_headerGrid = nullptr;
    QGridLayout* m_bodyGrid = nullptr;
    QHBoxLayout* m_buttonRow = nullptr;
    QLabel* m_titleLabel = nullptr;
    QLabel* m_authorIconLabel = nullptr;
    QLabel* m_appIconLabel = nullptr;
    QFrame* m_upperSeparator = nullptr;
    QFrame* m_lowerSeparator = nullptr;
    QPushButton* m_cancelButton = nullptr;
    QPushButton* m_backButton = nullptr;
    QPushButton* m_nextButton = nullptr;
    QPushButton* m_doneButton = nullptr;
    QLabel* m_reasonLabel = nullptr;
    SV_Wizard* m_wizard = nullptr;
    QString m_cancelText;
    QString m_backText;
    QString m_nextText;
    QString m_doneText;
    bool m_mdiMode = false;
    int m_desktopWidth = -1;
    int m_desktopHeight = -1;
    std::function<void(const QString&)> m_stageShownHook;
};

#endif
