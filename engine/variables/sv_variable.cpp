#include "sv_variable.h"

// The kinds without rules of their own take any text as their one value.
QString SV_Variable::parseAnswer(const QString& text, QStringList& values) {
    values = QStringList{text};
    return QString();
}

QString SV_Variable::formatAnswer() {
    return value();
}
