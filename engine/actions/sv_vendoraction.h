#ifndef SV_VENDORACTION_H
#define SV_VENDORACTION_H

#include <QString>

class QObject;
class SV_Action;

// Hook for further action types: creates an action of the given type with the given
// parent, or returns null when the type is unknown here too.
SV_Action* createVendorAction(const QString& type, QObject* parent);

#endif
