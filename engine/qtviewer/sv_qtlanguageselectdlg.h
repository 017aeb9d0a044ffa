#ifndef SV_QTLANGUAGESELECTDLG_H
#define SV_QTLANGUAGESELECTDLG_H

#include "sv_logger.h"

#include <QDialog>
#include <QStringList>

class QButtonGroup;
class QGroupBox;

// Lets the user choose one of the install file's languages, one button each. The
// detected language has the keyboard focus; Escape keeps the detected language (or the
// first one when the locale matches none).
class SV_QtLanguageSelectDlg : public QDialog, public SV_Logger {
    Q_OBJECT
public:
    explicit SV_QtLanguageSelectDlg(QWidget* parent = nullptr, const char* name = nullptr);

    void initAutodetectedLanguage();
    QString selectedLanguage() const;

    QButtonGroup* buttonGroup() const { return m_buttonGroup; }

public slots:
    void slot_languageSelected(int id);
    void reject() override;

private:
    QStringList m_encodings;
    QGroupBox* m_box = nullptr;
    QButtonGroup* m_buttonGroup = nullptr;
    int m_selected = 0;
    // The index preselected by initAutodetectedLanguage.
    int m_detected = 0;
};

#endif
