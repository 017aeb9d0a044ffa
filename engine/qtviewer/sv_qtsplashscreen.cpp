#include "sv_qtsplashscreen.h"

#include "sv_engine.h"

#include <QFrame>
#include <QLabel>
#include <QVBoxLayout>

SV_QtSplashScreen::SV_QtSplashScreen(const QString& imageName, QWidget* parent, const char* name)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint) {
    if (name)
        setObjectName(QString::fromLatin1(name));
    setModal(false);
    setWindowTitle(QStringLiteral("Sarvane"));

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    if (!imageName.isNull()) {
        m_image = QPixmap(SV_Engine::engine()->resource(imageName));
        m_imageLabel = new QLabel(this);
        m_imageLabel->setPixmap(m_image);
        m_imageLabel->setAlignment(Qt::AlignCenter);
        layout->addWidget(m_imageLabel);
        auto* line = new QFrame(this);
        line->setFrameStyle(QFrame::HLine | QFrame::Sunken);
        line->setFixedHeight(12);
        layout->addWidget(line);
    }
    m_messageLabel = new QLabel(this);
    m_messageLabel->setAlignment(Qt::AlignHCenter | Qt::AlignVCenter);
    m_messageLabel->setMargin(2);
    layout->addWidget(m_messageLabel);
}

void SV_QtSplashScreen::setMessage(const QString& text) {
    m_messageLabel->setText(text);
}

void SV_QtSplashScreen::stop() {
    accept();
}
