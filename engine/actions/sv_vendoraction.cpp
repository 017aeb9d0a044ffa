#include "sv_vendoraction.h"

SV_Action* createVendorAction(const QString&, QObject*) {
    return nullptr;
}
