#include "sv_directoryvariable.h"

#include <QFileInfo>

namespace {
const QString kValue = QStringLiteral("value");
}

SV_DirectoryVariable::SV_DirectoryVariable(QObject* parent) : SV_Variable(parent) {}

void SV_DirectoryVariable::storeValue(const QStringList& values) {
    if (values.size() != 1)
        return;
    const QString& v = values.first();
    if (v == option(kValue))
        return;
    setOption(kValue, v);
    emit sig_valuechanged();
}

QString SV_DirectoryVariable::value() {
    return option(kValue);
}

bool SV_DirectoryVariable::equals(const QString& s) {
    return s == option(kValue);
}

bool SV_DirectoryVariable::isEmpty() {
    return option(kValue).isEmpty();
}

bool SV_DirectoryVariable::isCurrentDataValid(const QString& condition) {
    return condition == QLatin1String("existing-dir") && dirExists();
}

bool SV_DirectoryVariable::dirExists() {
    // An empty path names no directory (it would otherwise stand for the current one).
    const QString path = option(kValue);
    return !path.isEmpty() && QFileInfo(path).isDir();
}
