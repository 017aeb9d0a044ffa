#ifndef SV_QTSPLASHSCREEN_H
#define SV_QTSPLASHSCREEN_H

#include "sv_logger.h"

#include <QDialog>
#include <QPixmap>

class QLabel;

// The loading screen: an optional image from the resources above one line of status
// text. Shown while the install file loads and the pre-install actions run.
class SV_QtSplashScreen : public QDialog, public SV_Logger {
    Q_OBJECT
public:
    SV_QtSplashScreen(const QString& imageName, QWidget* parent = nullptr,
                      const char* name = nullptr);

    void setMessage(const QString& text);
    void stop();

    // For tests: the labels (the image label is null without an image name).
    QLabel* imageLabel() const { return m_imageLabel; }
    QLabel* messageLabel() const { return m_messageLabel; }

private:
    QLabel* m_imageLabel = nullptr;
    QLabel* m_messageLabel = nullptr;
    QPixmap m_image;
};

#endif
