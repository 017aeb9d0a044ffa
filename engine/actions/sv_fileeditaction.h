#ifndef SV_FILEEDITACTION_H
#define SV_FILEEDITACTION_H

#include "sv_action.h"

// Edits a text file: "replace" replaces every match of a pattern by a new string (or
// appends the string when nothing matches and "fallback" is "append"); "add_newline" adds
// a line after the line of a pattern's first match unless the line is already there. A
// changed file is replaced as a whole and keeps its mode, owner, encoding and line ends.
class SV_FileEditAction : public SV_Action {
    Q_OBJECT
public:
    explicit SV_FileEditAction(QObject* parent = nullptr) : SV_Action(parent) {}

public slots:
    void slot_start() override;

private:
    bool replace(QString& content, const QString& newString);
    bool addNewline(QString& content, const QString& newString);
};

#endif
