#ifndef SV_PROFILE_H
#define SV_PROFILE_H

#include "sv_options.h"

#include <QMap>
#include <QObject>
#include <QString>

// A named set of preset variable values ("id" and "text" in the option store). A value
// may hold several entries separated by ",".
class SV_Profile : public QObject, public SV_Options {
    Q_OBJECT
public:
    explicit SV_Profile(QObject* parent = nullptr) : QObject(parent) {}

    // Replaces an earlier value of the same variable.
    void setVariableValue(const QString& varId, const QString& value) {
        m_varSettings.insert(varId, value);
    }
    // The stored value, null when the profile sets nothing for this variable.
    QString variableValue(const QString& varId) const { return m_varSettings.value(varId); }
    // Ordered by variable id.
    const QMap<QString, QString>& varSettings() const { return m_varSettings; }

private:
    QMap<QString, QString> m_varSettings;
};

#endif
