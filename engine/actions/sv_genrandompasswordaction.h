#ifndef SV_GENRANDOMPASSWORDACTION_H
#define SV_GENRANDOMPASSWORDACTION_H

#include "sv_action.h"

#include <climits>

// Generates a random password of printable ASCII characters (without the double quote,
// less-than, greater-than and ampersand) from the operating system's cryptographic
// generator; rval() gives it. Options "length", "min" and "max" bound the draw.
class SV_GenRandomPasswordAction : public SV_Action {
    Q_OBJECT
public:
    explicit SV_GenRandomPasswordAction(QObject* parent = nullptr) : SV_Action(parent) {}

    QString rval() override { return m_password; }

    // Whether the low byte of a drawn value is a character a password may hold.
    static bool acceptable(qint64 drawn);

public slots:
    void slot_start() override;

private:
    QString m_password;
    unsigned m_length = 12;
    int m_min = 0;
    int m_max = INT_MAX;
};

#endif
