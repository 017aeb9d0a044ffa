#ifndef SV_CONSOLEYESNO_H
#define SV_CONSOLEYESNO_H

#include <QCoreApplication>
#include <QString>

// The answers to a yes/no question on the console, in the user's language: the letters
// offered ("y"/"n", in German "j"/"n") and what is taken as yes or no. The English
// letters and words are always taken too, so an answer file or a habit keeps working.
class SV_ConsoleYesNo {
    Q_DECLARE_TR_FUNCTIONS(SV_ConsoleYesNo)
public:
    enum Answer { Neither, Yes, No };

    static QString yesLetter();
    static QString noLetter();
    // "(y/n)" with the letters of the language.
    static QString choices();
    // The answer in a typed line; case and blanks around it do not matter. Besides the
    // letters and words, extra yes and no words (a boolean's own texts) may be given.
    static Answer parse(const QString& line, const QString& extraYes = QString(),
                        const QString& extraNo = QString());
};

#endif
