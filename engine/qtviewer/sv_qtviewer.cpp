#include "sv_qtviewer.h"

#include "sv_engine.h"
#include "sv_qtlanguageselectdlg.h"
#include "sv_qtlogviewer.h"
#include "sv_qtsplashscreen.h"
#include "sv_qtstagewidget.h"
#include "sv_stage.h"
#include "sv_wizard.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMessageBox>
#include <QPainter>
#include <QPalette>
#include <QPixmap>
#include <QPushButton>
#include <QShortcut>
#include <QScreen>
#include <QStackedWidget>
#include <QStyle>
#include <QStyleFactory>
#include <QVBoxLayout>

namespace {

const char kMainCaption[] = "Sarvane";

// The colour roles a "palette-<group>-<role>" option may name, under their old names.
struct PaletteRole {
    const char* name;
    QPalette::ColorRole role;
};
const PaletteRole kPaletteRoles[] = {
    {"Foreground", QPalette::WindowText}, {"Button", QPalette::Button},
    {"Light", QPalette::Light},           {"Midlight", QPalette::Midlight},
    {"Dark", QPalette::Dark},             {"Mid", QPalette::Mid},
    {"Text", QPalette::Text},             {"BrightText", QPalette::BrightText},
    {"ButtonText", QPalette::ButtonText}, {"Base", QPalette::Base},
    {"Background", QPalette::Window},     {"Shadow", QPalette::Shadow},
    {"Highlight", QPalette::Highlight},   {"HighlightedText", QPalette::HighlightedText},
};

struct PaletteGroup {
    const char* prefix;
    QPalette::ColorGroup group;
};
const PaletteGroup kPaletteGroups[] = {
    {"palette-active-", QPalette::Active},
    {"palette-inactive-", QPalette::Inactive},
    {"palette-disabled-", QPalette::Disabled},
};

} // namespace

SV_QtViewer::SV_QtViewer(QObject* parent, const char* name)
    : SV_Viewer(parent), m_engine(SV_Engine::engine()),
      m_cancelText(SV_Wizard::defaultControlText(QStringLiteral("cancel"))),
      m_backText(SV_Wizard::defaultControlText(QStringLiteral("back"))),
      m_nextText(SV_Wizard::defaultControlText(QStringLiteral("next"))),
      m_doneText(SV_Wizard::defaultControlText(QStringLiteral("finish"))) {
    if (name)
        setObjectName(QString::fromLatin1(name));
    // The run ends through the engine (Done, a confirmed Cancel), never because the
    // splash screen or the language dialog was the last window to close.
    if (qApp)
        qApp->setQuitOnLastWindowClosed(false);
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        m_desktopWidth = screen->size().width();
        m_desktopHeight = screen->size().height();
    }
}

void SV_QtViewer::setDesktopSize(int width, int height) {
    m_desktopWidth = width;
    m_desktopHeight = height;
}

void SV_QtViewer::setStageShownHook(std::function<void(const QString&)> hook) {
    m_stageShownHook = std::move(hook);
}

QString SV_QtViewer::noStageMessage() {
    return tr("None of the installation's stages can be shown, so there is nothing to "
              "install. The installation ends.");
}

// ---- loading ---------------------------------------------------------------------------

QString SV_QtViewer::getLanguage() {
    if (!m_languageDialog)
        m_languageDialog = new SV_QtLanguageSelectDlg(nullptr, "language dialog");
    m_languageDialog->initAutodetectedLanguage();
    m_languageDialog->exec();
    return m_languageDialog->selectedLanguage();
}

void SV_QtViewer::startLoading() {
    const QString show = option(QStringLiteral("show-splash"));
    if (show.isNull())
        return;
    m_splashScreen = new SV_QtSplashScreen(option(QStringLiteral("splash-img")), nullptr, "splash");
    m_splashScreen->show();
}

void SV_QtViewer::setLoadingMessage(const QString& message) {
    if (m_splashScreen)
        m_splashScreen->setMessage(message);
}

// ---- start-up --------------------------------------------------------------------------

void SV_QtViewer::startInstaller() {
    // The default button labels in the language chosen at start-up: this viewer was made
    // before the translations were installed.
    m_cancelText = SV_Wizard::defaultControlText(QStringLiteral("cancel"));
    m_backText = SV_Wizard::defaultControlText(QStringLiteral("back"));
    m_nextText = SV_Wizard::defaultControlText(QStringLiteral("next"));
    m_doneText = SV_Wizard::defaultControlText(QStringLiteral("finish"));
    initInternalOptions();

    // Never an empty window: without a stage to show the run ends here.
    if (!SV_Wizard::firstValidStage()) {
        if (m_splashScreen)
            m_splashScreen->stop();
        err(QStringLiteral("SV_QtViewer"), noStageMessage());
        QMessageBox::critical(nullptr, QString(), noStageMessage());
        // Queued: with an empty pre-install list this runs before the event loop starts.
        QMetaObject::invokeMethod(
            qApp, [] { QCoreApplication::exit(1); }, Qt::QueuedConnection);
        return;
    }

    initBackground();
    initView();
    initStageList(m_engine->firstStage());
    if (m_splashScreen)
        m_splashScreen->stop();
    if (m_mdiMode) {
        showMainwidget();
        QApplication::sync();
        showCenteredWidget(m_mainFrame);
    } else {
        showMainwidget();
    }
    m_wizard = new SV_Wizard(this);
    connect(m_wizard, &SV_Wizard::sig_stageEntered, this, &SV_QtViewer::slot_stageEntered);
    connect(m_wizard, &SV_Wizard::sig_stageShown, this, &SV_QtViewer::slot_stageShown);
    connect(m_wizard, &SV_Wizard::sig_stateChanged, this, &SV_QtViewer::slot_checkCurrStage);
    m_wizard->start();
}

bool SV_QtViewer::desktopTooSmall() const {
    return m_desktopWidth <= 640 && m_desktopHeight <= 480;
}

void SV_QtViewer::initInternalOptions() {
    m_mdiMode = option(QStringLiteral("mdi-mode")) == QLatin1String("true");
    if (desktopTooSmall())
        m_mdiMode = false;
    initStyle();
    initPalette();
}

// The old style names map onto the styles every Qt 6 build has: the Windows look for
// "windows", Fusion for the others.
void SV_QtViewer::initStyle() {
    const QString style = option(QStringLiteral("qt-style"));
    if (style.isEmpty() || !qApp)
        return;
    QString key;
    if (style == QLatin1String("windows"))
        key = QStringLiteral("Windows");
    else if (style == QLatin1String("platinum") || style == QLatin1String("motif") ||
             style == QLatin1String("motif-plus") || style == QLatin1String("cde"))
        key = QStringLiteral("Fusion");
    if (key.isNull()) {
        qWarning("%s", qUtf8Printable(
                           QStringLiteral("Invalid style setting: %1 for the Qt Viewer").arg(style)));
        return;
    }
    if (QStyle* qstyle = QStyleFactory::create(key))
        QApplication::setStyle(qstyle);
}

void SV_QtViewer::initPalette() {
    if (!qApp)
        return;
    QPalette palette = QApplication::palette();
    bool changed = false;
    for (const PaletteGroup& group : kPaletteGroups) {
        for (const PaletteRole& role : kPaletteRoles) {
            const QString value =
                option(QLatin1String(group.prefix) + QLatin1String(role.name));
            if (value.isEmpty())
                continue;
            const QColor color = QColor::fromString(value);
            if (!color.isValid()) {
                qWarning("%s", qUtf8Printable(QStringLiteral("Invalid colour %1 for %2%3")
                                                  .arg(value, QLatin1String(group.prefix),
                                                       QLatin1String(role.name))));
                continue;
            }
            palette.setColor(group.group, role.role, color);
            changed = true;
        }
    }
    if (changed)
        QApplication::setPalette(palette);
}

void SV_QtViewer::initBackground() {
    m_mainWindow = new QMainWindow(nullptr);
    m_mainWindow->setObjectName(QStringLiteral("main window"));
    m_mainWindow->setWindowTitle(QString::fromLatin1(kMainCaption));
    m_mainWindow->setMaximumSize(m_desktopWidth, m_desktopHeight);
    m_mainWindow->installEventFilter(this);
    if (m_mdiMode)
        initMDIMode();
}

void SV_QtViewer::initMDIMode() {
    m_workspace = new QMdiArea(m_mainWindow);
    m_workspace->setObjectName(QStringLiteral("workspace"));
    m_mainWindow->setCentralWidget(m_workspace);

    const QString type = option(QStringLiteral("bg-type"));
    if (type == QLatin1String("color")) {
        m_workspace->setBackground(QColor::fromString(option(QStringLiteral("bg-color"))));
    } else if (type == QLatin1String("tiled")) {
        // The tile's resource identifier is fixed; no option names it.
        m_workspace->setBackground(QPixmap(m_engine->resource(QStringLiteral("bg-tile-img"))));
    } else if (type == QLatin1String("img")) {
        applyBackgroundPixmap(option(QStringLiteral("bg-img")), false);
    } else if (type == QLatin1String("img-color-overlay")) {
        m_workspace->setBackground(QColor::fromString(option(QStringLiteral("bg-color"))));
        applyBackgroundPixmap(option(QStringLiteral("bg-img")), true);
    } else {
        m_workspace->setBackground(m_workspace->palette().brush(QPalette::Dark));
    }
}

// A workspace-sized background: the image unscaled at the top left ("img") or at the
// "overlay-pos" position on the "bg-color" colour ("img-color-overlay"). The main window
// is shown first so that the workspace has its final size.
void SV_QtViewer::applyBackgroundPixmap(const QString& imageId, bool overlay) {
    showMainwidget();
    QApplication::sync();
    const int W = m_workspace->width();
    const int H = m_workspace->height();
    const QPixmap image(m_engine->resource(imageId));
    QPixmap background(W, H);
    if (overlay) {
        background.fill(QColor::fromString(option(QStringLiteral("bg-color"))));
        const QString pos = option(QStringLiteral("overlay-pos"));
        const int w = image.width();
        const int h = image.height();
        QPoint at(-1, -1);
        bool known = true;
        if (pos == QLatin1String("UL"))
            at = QPoint(0, 0);
        else if (pos == QLatin1String("U"))
            at = QPoint((W - w) / 2, 0);
        else if (pos == QLatin1String("UR"))
            at = QPoint(W - w, 0);
        else if (pos == QLatin1String("LL"))
            at = QPoint(0, H - h);
        else if (pos == QLatin1String("L"))
            at = QPoint((W - w) / 2, H - h);
        else if (pos == QLatin1String("LR"))
            at = QPoint(W - w, H - h);
        else
            known = false;
        if (!known)
            return; // plain colour background
        QPainter painter(&background);
        painter.drawPixmap(at, image);
    } else {
        background.fill(m_workspace->palette().color(QPalette::Dark));
        QPainter painter(&background);
        painter.drawPixmap(0, 0, image);
    }
    m_workspace->setBackground(background);
}

void SV_QtViewer::initView() {
    if (m_mdiMode) {
        m_mainFrame = new QWidget;
        const bool titlebar = option(QStringLiteral("view-options")) == QLatin1String("titlebar");
        QMdiSubWindow* frame = m_workspace->addSubWindow(
            m_mainFrame, titlebar ? Qt::SubWindow : (Qt::SubWindow | Qt::FramelessWindowHint));
        frame->setObjectName(QStringLiteral("wizard frame window"));
        frame->setWindowTitle(QString::fromLatin1(kMainCaption));
        m_mainFrame->setMaximumSize(m_desktopWidth - 10, m_desktopHeight - 40);
    } else {
        m_mainFrame = new QWidget(m_mainWindow);
        m_mainWindow->setCentralWidget(m_mainFrame);
    }
    m_mainFrame->setObjectName(QStringLiteral("main frame"));

    m_mainLayout = new QVBoxLayout(m_mainFrame);
    m_mainLayout->setContentsMargins(5, 5, 5, 5);
    m_mainLayout->setSpacing(5);

    const SV_InstallInfo& info = m_engine->installInfo();

    m_headerGrid = new QGridLayout;
    m_headerGrid->setColumnStretch(1, 4);
    m_headerGrid->setSpacing(10);
    m_mainLayout->addLayout(m_headerGrid);
    if (!info.authorIcon.isEmpty()) {
        const QString path = QDir(m_engine->resourceDir()).filePath(info.authorIcon);
        if (QFile::exists(path)) {
            m_authorIconLabel = new QLabel(m_mainFrame);
            m_authorIconLabel->setObjectName(QStringLiteral("author icon"));
            m_authorIconLabel->setPixmap(QPixmap(path));
            m_headerGrid->addWidget(m_authorIconLabel, 0, 0, Qt::AlignLeft | Qt::AlignVCenter);
        }
    }
    m_titleLabel = new QLabel(m_mainFrame);
    m_titleLabel->setObjectName(QStringLiteral("title"));
    m_titleLabel->setFrameStyle(QFrame::NoFrame | QFrame::Sunken);
    m_titleLabel->setAlignment(Qt::AlignVCenter);
    m_headerGrid->addWidget(m_titleLabel, 0, 1, Qt::AlignVCenter);

    m_upperSeparator = new QFrame(m_mainFrame);
    m_upperSeparator->setFrameStyle(QFrame::HLine | QFrame::Sunken);
    m_upperSeparator->setFixedHeight(12);
    m_mainLayout->addWidget(m_upperSeparator);

    m_bodyGrid = new QGridLayout;
    m_bodyGrid->setSpacing(5);
    m_bodyGrid->setColumnStretch(1, 10);
    m_mainLayout->addLayout(m_bodyGrid, 10);
    if (!info.appIcon.isEmpty()) {
        const QString path = m_engine->resource(info.appIcon);
        if (QFile::exists(path)) {
            m_appIconLabel = new QLabel(m_mainFrame);
            m_appIconLabel->setObjectName(QStringLiteral("application icon"));
            m_appIconLabel->setPixmap(QPixmap(path));
            m_bodyGrid->addWidget(m_appIconLabel, 0, 0, Qt::AlignTop | Qt::AlignHCenter);
        }
    }
    m_stageStack = new QStackedWidget(m_mainFrame);
    m_stageStack->setObjectName(QStringLiteral("stage stack"));
    m_bodyGrid->addWidget(m_stageStack, 0, 1);

    m_lowerSeparator = new QFrame(m_mainFrame);
    m_lowerSeparator->setFrameStyle(QFrame::HLine | QFrame::Sunken);
    m_lowerSeparator->setFixedHeight(12);
    m_mainLayout->addWidget(m_lowerSeparator);

    // Why the forward button is disabled: a line above the buttons, there only while it
    // has something to say.
    m_reasonLabel = new QLabel(m_mainFrame);
    m_reasonLabel->setObjectName(QStringLiteral("reason"));
    m_reasonLabel->setWordWrap(true);
    m_reasonLabel->setTextFormat(Qt::PlainText);
    m_reasonLabel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_reasonLabel->setAccessibleName(tr("Why the installation cannot go on yet"));
    m_reasonLabel->hide();
    m_mainLayout->addWidget(m_reasonLabel);

    m_buttonRow = new QHBoxLayout;
    m_buttonRow->setSpacing(10);
    m_mainLayout->addLayout(m_buttonRow);
    m_cancelButton = new QPushButton(m_cancelText, m_mainFrame);
    m_backButton = new QPushButton(m_backText, m_mainFrame);
    m_nextButton = new QPushButton(m_nextText, m_mainFrame);
    m_doneButton = new QPushButton(m_doneText, m_mainFrame);
    m_cancelButton->setObjectName(QStringLiteral("cancel"));
    m_backButton->setObjectName(QStringLiteral("back"));
    m_nextButton->setObjectName(QStringLiteral("next"));
    m_doneButton->setObjectName(QStringLiteral("done"));
    connect(m_cancelButton, &QPushButton::clicked, this, &SV_QtViewer::slot_cancel);
    connect(m_backButton, &QPushButton::clicked, this, &SV_QtViewer::slot_back);
    connect(m_nextButton, &QPushButton::clicked, this, &SV_QtViewer::slot_next);
    connect(m_doneButton, &QPushButton::clicked, this, &SV_QtViewer::slot_done);
    m_buttonRow->addWidget(m_cancelButton);
    m_buttonRow->addStretch(5);
    m_buttonRow->addWidget(m_backButton);
    m_buttonRow->addWidget(m_nextButton);
    m_buttonRow->addWidget(m_doneButton);

    // Return and Enter go on, as a dialog's default button would (line edits pass
    // them on; nothing on a page uses them for itself).
    for (const QKeySequence& key : {QKeySequence(Qt::Key_Return), QKeySequence(Qt::Key_Enter)}) {
        auto* shortcut = new QShortcut(key, m_mainFrame);
        shortcut->setContext(Qt::WidgetWithChildrenShortcut);
        connect(shortcut, &QShortcut::activated, this, &SV_QtViewer::activateDefault);
    }
}

void SV_QtViewer::initStageList(SV_Stage* first) {
    QString location = option(QStringLiteral("description-location"), QStringLiteral("top"));
    if (location != QLatin1String("top") && location != QLatin1String("left") &&
        location != QLatin1String("right"))
        location = QStringLiteral("top");
    for (SV_Stage* stage = first; stage; stage = stage->nextSibling()) {
        auto* widget = new SV_QtStageWidget(stage, location, m_mainFrame, nullptr);
        m_stageWidgets.insert(stage->ID(), widget);
        m_pageOf.insert(stage, widget);
        m_stageStack->addWidget(widget);
        if (stage->firstChild())
            initStageList(stage->firstChild());
    }
}

// ---- showing windows -------------------------------------------------------------------

void SV_QtViewer::showMainwidget() {
    const QString size = option(QStringLiteral("size"));
    if (m_mdiMode) {
        if (size == QLatin1String("maximized"))
            m_mainWindow->showMaximized();
        else if (size.isNull() || size == QLatin1String("full-screen"))
            m_mainWindow->showFullScreen();
        else
            qFatal("%s", qUtf8Printable(QStringLiteral("Invalid size: %1 for mdi mode").arg(size)));
        return;
    }
    if (size == QLatin1String("full-screen")) {
        m_mainWindow->showFullScreen();
    } else if (size == QLatin1String("maximized")) {
        if (desktopTooSmall())
            m_mainWindow->showFullScreen();
        else
            m_mainWindow->showMaximized();
    } else if (size.isNull() || size == QLatin1String("half-screen")) {
        if (desktopTooSmall()) {
            m_mainWindow->showFullScreen();
        } else {
            m_mainWindow->setMinimumSize(m_desktopWidth / 2, m_desktopHeight / 2);
            showCenteredWidget(m_mainWindow);
        }
    } else {
        qFatal("%s", qUtf8Printable(QStringLiteral("Invalid size: %1 for sdi mode").arg(size)));
    }
}

QWidget* SV_QtViewer::frameOf(QWidget* widget) const {
    QWidget* parent = widget->parentWidget();
    return qobject_cast<QMdiSubWindow*>(parent) ? parent : widget;
}

void SV_QtViewer::showCenteredWidget(QWidget* widget) {
    if (m_mdiMode && m_workspace) {
        qDebug("showCenteredWidget in mdi mode");
        const int W = m_workspace->width();
        const int H = m_workspace->height();
        widget->adjustSize();
        widget->show();
        QWidget* frame = frameOf(widget);
        if (frame != widget)
            frame->adjustSize();
        int fw = frame->width();
        int fh = frame->height();
        qDebug("%s", qUtf8Printable(
                         QStringLiteral("current width = %1, current height = %2").arg(fw).arg(fh)));
        // At least 4:3: the frame window grows in the direction that is short.
        if (fw * 3 / 4 > fh) {
            qDebug("%s", qUtf8Printable(QStringLiteral("resizing old height: %1 to new height %2")
                                            .arg(fh)
                                            .arg(fw * 3 / 4)));
            fh = fw * 3 / 4;
            frame->resize(fw, fh);
        } else if (fh * 4 / 3 > fw) {
            qDebug("%s", qUtf8Printable(QStringLiteral("resizing old width: %1 to new width %2")
                                            .arg(fw)
                                            .arg(fh * 4 / 3)));
            fw = fh * 4 / 3;
            frame->resize(fw, fh);
        }
        frame->move((W - fw) / 2, (H - fh) / 2);
        return;
    }
    qDebug("showCenteredWidget in non-mdi mode");
    widget->adjustSize();
    // Never smaller than its contents need, even where a minimum size was set by hand.
    widget->resize(widget->size().expandedTo(widget->minimumSizeHint()));
    widget->move((m_desktopWidth - widget->width()) / 2, (m_desktopHeight - widget->height()) / 2);
    widget->show();
}

// ---- navigation ------------------------------------------------------------------------

QPushButton* SV_QtViewer::forwardButton() const {
    return m_nextButton->isHidden() ? m_doneButton : m_nextButton;
}

void SV_QtViewer::slot_next() {
    if (!m_wizard)
        return;
    if (!m_wizard->currentStage())
        m_wizard->start();
    else
        m_wizard->next();
}

void SV_QtViewer::slot_back() {
    if (m_wizard)
        m_wizard->back();
}

void SV_QtViewer::slot_cancel() {
    if (m_wizard)
        m_wizard->cancel();
    else
        m_engine->cancelInstall();
}

void SV_QtViewer::slot_done() {
    if (m_wizard)
        m_wizard->done();
}

void SV_QtViewer::activateDefault() {
    QWidget* focus = QApplication::focusWidget();
    if (auto* button = qobject_cast<QPushButton*>(focus)) {
        if (button->isVisible() && button->isEnabled() && m_mainFrame->isAncestorOf(button)) {
            button->click();
            return;
        }
    }
    QPushButton* forward = forwardButton();
    if (forward->isVisible() && forward->isEnabled())
        forward->click();
}

void SV_QtViewer::showStage(const QString& id) {
    if (!m_wizard || !m_stageWidgets.contains(id))
        return;
    m_wizard->showStage(m_stageWidgets.value(id)->stage());
}

void SV_QtViewer::slot_stageEntered(SV_Stage* stage) {
    SV_QtStageWidget* widget = m_pageOf.value(stage);
    if (!widget)
        return;
    widget->startVisit();

    m_cancelButton->setText(m_wizard->controlText(QStringLiteral("cancel")));
    m_cancelButton->setVisible(m_wizard->controlVisible(QStringLiteral("cancel")));
    m_backButton->setText(m_wizard->controlText(QStringLiteral("back")));
    m_backButton->setVisible(m_wizard->controlVisible(QStringLiteral("back")));
    // The forward button always starts disabled; slot_checkCurrStage enables it.
    m_nextButton->setEnabled(false);
    m_doneButton->setEnabled(false);
    showForwardControl();
    m_reasonLabel->clear();
    m_reasonLabel->hide();

    m_titleLabel->setText(QStringLiteral("<h3>") + stage->text().toHtmlEscaped() +
                          QStringLiteral("</h3>"));
    m_titleLabel->setAccessibleName(stage->text());

    m_currentStageWidget = widget;
    m_stageStack->setCurrentWidget(widget);
}

// After the stage's initialisation: the page shows its elements as they are now.
void SV_QtViewer::slot_stageShown(SV_Stage* stage) {
    SV_QtStageWidget* widget = m_pageOf.value(stage);
    if (!widget || widget != m_currentStageWidget)
        return;
    QPushButton* forward = forwardButton();
    if (QWidget* last = widget->lastFocusWidget())
        QWidget::setTabOrder(last, forward);
    QWidget::setTabOrder(forward, m_backButton);
    QWidget::setTabOrder(m_backButton, m_cancelButton);
    if (QWidget* first = widget->firstFocusWidget())
        first->setFocus(Qt::TabFocusReason);
    else
        forward->setFocus(Qt::TabFocusReason);

    // A page that needs more room than the window has makes the window grow (never
    // beyond the desktop), so nothing on it is squeezed or cut off.
    if (!m_mdiMode && m_mainWindow && m_mainWindow->isVisible() && !m_mainWindow->isMaximized() &&
        !m_mainWindow->isFullScreen()) {
        const QSize need = m_mainWindow->minimumSizeHint()
                               .expandedTo(m_mainWindow->size())
                               .boundedTo(QSize(m_desktopWidth, m_desktopHeight));
        if (need != m_mainWindow->size())
            m_mainWindow->resize(need);
    }

    if (m_stageShownHook)
        m_stageShownHook(stage->ID());
}

// Next, or Done where the stage offers it (which a value entered on the last stage can
// change: a stage that becomes valid after it turns Done back into Next).
void SV_QtViewer::showForwardControl() {
    if (m_wizard->offersDone()) {
        m_nextButton->hide();
        m_doneButton->setText(m_wizard->controlText(QStringLiteral("finish")));
        m_doneButton->show();
    } else {
        m_doneButton->hide();
        m_nextButton->setText(m_wizard->controlText(QStringLiteral("next")));
        m_nextButton->setVisible(m_wizard->controlVisible(QStringLiteral("next")));
    }
}

void SV_QtViewer::slot_checkCurrStage() {
    if (!m_currentStageWidget || !m_wizard)
        return;
    if (m_doneButton->isHidden() == m_wizard->offersDone()) {
        showForwardControl();
        if (QWidget* last = m_currentStageWidget->lastFocusWidget())
            QWidget::setTabOrder(last, forwardButton());
        QWidget::setTabOrder(forwardButton(), m_backButton);
    }
    const bool can = m_wizard->canContinue();
    QPushButton* forward = forwardButton();
    const bool hadFocus = forward->hasFocus();
    if (m_wizard->offersDone())
        setFinishEnabled(can);
    else
        setNextEnabled(can);
    // The reason is shown once the stage is ready; while it is being prepared it would
    // only flicker.
    const QString why = can || !m_wizard->currentStage()->initializationDone() ? QString()
                                                                              : m_wizard->whyNot();
    m_reasonLabel->setText(why);
    m_reasonLabel->setVisible(!why.isEmpty());
    forward->setToolTip(why);
    forward->setAccessibleDescription(why);
    // On a page without inputs the focus belongs to the forward button, which cannot
    // take it while disabled: it gets it once it can be used (after an install, say),
    // unless the user has moved it onto the page meanwhile.
    if (can && forward->isVisible() && !m_currentStageWidget->firstFocusWidget()) {
        QWidget* focus = m_mainFrame->window()->focusWidget();
        if (hadFocus || !focus || !focus->isVisible() || !focus->isEnabled() ||
            !m_currentStageWidget->isAncestorOf(focus))
            forward->setFocus(Qt::OtherFocusReason);
    }
}

void SV_QtViewer::setNextEnabled(bool enabled) {
    m_nextButton->setEnabled(enabled);
}

void SV_QtViewer::setFinishEnabled(bool enabled) {
    m_doneButton->setEnabled(enabled);
}

// ---- services --------------------------------------------------------------------------

// Every question the engine asks decides something that cannot be undone (leave the
// installation, go on after an error): a warning, and neither Return nor Escape says yes.
QString SV_QtViewer::getYesNo(const QString& question) {
    QMessageBox box(QMessageBox::Warning, QString(), question, QMessageBox::NoButton,
                    m_mainFrame);
    QPushButton* yes = box.addButton(tr("&Yes"), QMessageBox::YesRole);
    QPushButton* no = box.addButton(tr("&No"), QMessageBox::NoRole);
    box.setDefaultButton(no);
    box.setEscapeButton(no);
    box.exec();
    return box.clickedButton() == yes ? QStringLiteral("yes") : QStringLiteral("no");
}

void SV_QtViewer::showPrompt(const QString& message) {
    QMessageBox::information(m_mainFrame, QString(), message);
}

void SV_QtViewer::showLog() {
    if (m_mdiMode && m_workspace) {
        if (!m_logViewer) {
            m_logViewer = new SV_QtLogViewer(m_workspace, "log viewer");
            m_workspace->addSubWindow(m_logViewer);
        }
        m_logViewer->show();
        QWidget* frame = frameOf(m_logViewer);
        const int W = m_workspace->width();
        const int H = m_workspace->height();
        frame->resize(W / 2, H / 2);
        frame->move(W / 2, H / 2);
        frame->show();
        frame->raise();
        return;
    }
    if (!m_logViewer)
        m_logViewer = new SV_QtLogViewer(nullptr, "log viewer");
    showCenteredWidget(m_logViewer);
    m_logViewer->raise();
}

// Closing the main window through the window manager is a Cancel: it asks first.
bool SV_QtViewer::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_mainWindow && event->type() == QEvent::Close) {
        event->ignore();
        m_engine->cancelInstall();
        return true;
    }
    return SV_Viewer::eventFilter(watched, event);
}
