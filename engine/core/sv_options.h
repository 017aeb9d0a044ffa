#ifndef SV_OPTIONS_H
#define SV_OPTIONS_H

#include <QMap>
#include <QString>

// Key/value string store carried by nearly every engine object. Option "id" is the
// object's identifier, option "text" its display text. Null and empty values differ.
class SV_Options {
public:
    virtual ~SV_Options() = default;

    void setOption(const QString& key, const QString& value);
    QString option(const QString& key, const QString& def = QString()) const;

    void setID(const QString& id) { setOption(QStringLiteral("id"), id); }
    QString ID() const { return option(QStringLiteral("id")); }
    void setText(const QString& text) { setOption(QStringLiteral("text"), text); }
    // Option "text" with every $$id$$ reference replaced by the variable's value.
    QString text() const;

    const QMap<QString, QString>& options() const { return m_options; }

private:
    QMap<QString, QString> m_options;
};

#endif
