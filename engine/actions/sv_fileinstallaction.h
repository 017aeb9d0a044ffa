#ifndef SV_FILEINSTALLACTION_H
#define SV_FILEINSTALLACTION_H

#include "sv_action.h"

// Installs a file of the resource directory at a destination, byte for byte or as a
// template with $$id$$ references filled in, or removes a file. The destination is
// replaced as a whole: it keeps its mode and owner, and stays as it was on any failure.
class SV_FileInstallAction : public SV_Action {
    Q_OBJECT
public:
    explicit SV_FileInstallAction(QObject* parent = nullptr) : SV_Action(parent) {}

public slots:
    void slot_start() override;

private:
    void removeFile();
    void installFile();
};

#endif
