#include "sv_qtlogviewer.h"

#include "sv_engine.h"

#include <QButtonGroup>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFrame>
#include <QHBoxLayout>
#include <QMessageBox>
#include <QKeyEvent>
#include <QSaveFile>
#include <QTextBrowser>
#include <QTextStream>
#include <QVBoxLayout>

#include <sys/stat.h>
#include <unistd.h>

namespace {

SV_QtLogViewer::FileNameAsker& fileNameAsker() {
    static SV_QtLogViewer::FileNameAsker asker = [](QWidget* parent, const QString& start) {
        return QFileDialog::getSaveFileName(parent, QString(), start, QString());
    };
    return asker;
}

} // namespace

void SV_QtLogViewer::setFileNameAsker(FileNameAsker asker) {
    fileNameAsker() = std::move(asker);
}

SV_QtLogViewer::SV_QtLogViewer(QWidget* parent, const char* name) : QWidget(parent) {
    if (name)
        setObjectName(QString::fromLatin1(name));
    setWindowTitle(tr("Installation Log Viewer"));

    m_layout = new QVBoxLayout(this);
    m_layout->setContentsMargins(0, 0, 0, 0);
    m_textView = new QTextBrowser(this);
    m_textView->setReadOnly(true);
    m_layout->addWidget(m_textView);
    auto* line = new QFrame(this);
    line->setFrameStyle(QFrame::HLine);
    m_layout->addWidget(line);

    auto* row = new QHBoxLayout;
    row->setSpacing(4);
    m_layout->addLayout(row);

    m_buttonGroup = new QButtonGroup(this);
    m_buttonGroup->setExclusive(false);
    connect(m_buttonGroup, &QButtonGroup::idClicked, this, &SV_QtLogViewer::slot_getLog);
    const struct {
        QString text;
        SV_LogMessageType type;
    } kinds[] = {{tr("All"), SV_LogAll},
                 {tr("Debug"), SV_LogDebug},
                 {tr("Errors"), SV_LogError},
                 {tr("Log"), SV_LogLog}};
    for (const auto& kind : kinds) {
        auto* button = new SV_QtLogButton(kind.text, kind.type, this);
        row->addWidget(button);
        m_buttonGroup->addButton(button, kind.type);
    }
    row->addStretch(5);
    auto* save = new QPushButton(tr("Save To File"), this);
    connect(save, &QPushButton::clicked, this, &SV_QtLogViewer::slot_saveToFile);
    row->addWidget(save);
    auto* close = new QPushButton(tr("Close"), this);
    connect(close, &QPushButton::clicked, this, &QWidget::hide);
    row->addWidget(close);
    m_textView->setAccessibleName(windowTitle());

    slot_getLog(SV_LogError);

    if (parent)
        resize(parent->size());
    else
        resize(640, 480);
}

// Escape closes the window, as it closes a dialog (the text view passes it on).
void SV_QtLogViewer::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        hide();
        return;
    }
    QWidget::keyPressEvent(event);
}

void SV_QtLogViewer::setText(const QString& text) {
    m_textView->setHtml(text);
}

void SV_QtLogViewer::slot_getLog(int id) {
    auto* button = static_cast<SV_QtLogButton*>(m_buttonGroup->button(id));
    if (!button)
        return;
    setText(SV_Engine::engine()->getQMLLog(button->type()));
}

// The chosen file is replaced as a whole: the log goes to a temporary file beside it,
// which takes the old file's owner and is renamed over it once complete. The log tells
// about the machine and its installation, so the file is readable by its owner only
// (0600), also when it replaces a file that others could read.
void SV_QtLogViewer::slot_saveToFile() {
    const QString fileName = fileNameAsker()(this, QStringLiteral("install.log"));
    if (fileName.isEmpty())
        return;
    QSaveFile file(fileName);
    bool written = file.open(QIODevice::WriteOnly);
    if (written) {
        struct stat old;
        if (::stat(QFile::encodeName(fileName).constData(), &old) == 0)
            (void)!::fchown(file.handle(), old.st_uid, old.st_gid);
        written = ::fchmod(file.handle(), S_IRUSR | S_IWUSR) == 0;
    }
    if (written) {
        QTextStream stream(&file);
        stream << SV_Engine::engine()->getTextLog(SV_LogAll);
        stream.flush();
        written = stream.status() == QTextStream::Ok && file.flush() &&
                  ::fsync(file.handle()) == 0 && file.commit();
    }
    if (!written)
        QMessageBox::warning(this, windowTitle(),
                             tr("The log could not be saved to %1: %2")
                                 .arg(QDir::toNativeSeparators(fileName), file.errorString()));
}
