#ifndef SV_ACTIONTYPES_H
#define SV_ACTIONTYPES_H

#include <QString>
#include <QStringList>

class QObject;
class SV_Action;

// The built-in action types: the words an install file's `action type="..."` may name, and
// the class each one creates. SV_Engine::createAction asks here first and then the vendor
// hook. A new action type is one entry in the table of sv_actiontypes.cpp.
class SV_ActionTypes {
public:
    // Every built-in type, in table order.
    static QStringList names();
    // A new action of that type (compared exactly) with that parent; null for a type that
    // is not built in.
    static SV_Action* create(const QString& type, QObject* parent);
};

#endif
