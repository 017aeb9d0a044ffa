#ifndef SV_VARIABLEREGEXP_H
#define SV_VARIABLEREGEXP_H

#include <QList>
#include <QString>

// $$id$$ references: replaced by the named variable's value in texts and template files.
class SV_VariableRegExp {
public:
    // Replaces every reference in s, once, left to right. An unknown id is fatal.
    static void fixString(QString& s);
    // Writes a filled-out copy of the template. An empty outputPath gets a fresh
    // "/tmp/vantortemplateXXXXXX" name. False when the output cannot be created.
    static bool fixTemplateFile(const QString& templatePath, QString& outputPath);

    // One reference in a text: where it begins and the id it names.
    struct Reference {
        qsizetype position;
        QString id;
    };
    // Every reference in s as fixString() would find it (before any is replaced).
    static QList<Reference> references(const QString& s);
};

#endif
