#include "sv_qtlanguageselectdlg.h"

#include "sv_engine.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QGroupBox>
#include <QPushButton>
#include <QVBoxLayout>

SV_QtLanguageSelectDlg::SV_QtLanguageSelectDlg(QWidget* parent, const char* name)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint) {
    if (name)
        setObjectName(QString::fromLatin1(name));
    setModal(true);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    m_box = new QGroupBox(tr("Please Select Your Language"), this);
    layout->addWidget(m_box);
    auto* boxLayout = new QVBoxLayout(m_box);
    m_buttonGroup = new QButtonGroup(this);
    m_buttonGroup->setExclusive(true);
    connect(m_buttonGroup, &QButtonGroup::idClicked, this,
            &SV_QtLanguageSelectDlg::slot_languageSelected);

    int id = 0;
    for (const SV_LanguageInfo& language : SV_Engine::engine()->languages()) {
        // Return chooses the language whose button has the focus.
        auto* button = new QPushButton(language.name, m_box);
        button->setAutoDefault(true);
        boxLayout->addWidget(button);
        m_buttonGroup->addButton(button, id++);
        m_encodings.append(language.encoding);
    }
}

void SV_QtLanguageSelectDlg::initAutodetectedLanguage() {
    const int index = m_encodings.indexOf(SV_Engine::engine()->locale());
    m_detected = index < 0 ? 0 : index;
    m_selected = m_detected;
    if (auto* button = qobject_cast<QPushButton*>(m_buttonGroup->button(m_detected))) {
        button->setDefault(true);
        button->setFocus(Qt::OtherFocusReason);
    }
}

void SV_QtLanguageSelectDlg::slot_languageSelected(int id) {
    m_selected = id;
    accept();
}

// Escape: no button was chosen, so the preselected (detected) language stands.
void SV_QtLanguageSelectDlg::reject() {
    m_selected = m_detected;
    QDialog::reject();
}

QString SV_QtLanguageSelectDlg::selectedLanguage() const {
    return m_encodings.value(m_selected);
}
