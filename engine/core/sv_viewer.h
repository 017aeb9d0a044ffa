#ifndef SV_VIEWER_H
#define SV_VIEWER_H

#include "sv_logger.h"
#include "sv_options.h"

#include <QObject>

// Whatever displays the wizard. The engine talks to it only through these operations
// and through its option store, which receives the install file's viewer options.
class SV_Viewer : public QObject, public SV_Options, public SV_Logger {
    Q_OBJECT
public:
    explicit SV_Viewer(QObject* parent = nullptr) : QObject(parent) {}

    virtual QString getLanguage() = 0;
    virtual void startLoading() = 0;
    virtual void setLoadingMessage(const QString& message) = 0;
    virtual void startInstaller() = 0;
    virtual void showLog() = 0;
    virtual QString getYesNo(const QString& question) = 0;
    virtual void showPrompt(const QString& message) = 0;
};

#endif
