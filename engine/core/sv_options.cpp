#include "sv_options.h"

#include "sv_variableregexp.h"

void SV_Options::setOption(const QString& key, const QString& value) {
    if (key.isNull())
        return;
    m_options.insert(key, value);
}

QString SV_Options::option(const QString& key, const QString& def) const {
    if (key.isNull())
        return def;
    const auto it = m_options.constFind(key);
    if (it == m_options.constEnd() || it->isNull())
        return def;
    return *it;
}

QString SV_Options::text() const {
    QString s = option(QStringLiteral("text"));
    SV_VariableRegExp::fixString(s);
    return s;
}
