// Choosing the locale and installing its translations.
#include "sv_engine.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QTranslator>

namespace {

// An environment variable that is set to a non-empty value; like the C library, an
// empty value counts as unset.
bool readLocaleVariable(const char* name, QString& value) {
    const QByteArray raw = qgetenv(name);
    if (raw.isEmpty())
        return false;
    value = QString::fromLocal8Bit(raw);
    return true;
}

// The locale's own subdirectory of the translation directory, if there is one.
bool enterLocaleDir(QDir& dir, const QString& locale) {
    if (locale.isEmpty())
        return false;
    return dir.cd(locale);
}

} // namespace

void SV_Engine::detectLocale() {
    if (m_localeSet)
        return;
    QString value;
    if (!readLocaleVariable("LC_ALL", value) && !readLocaleVariable("LC_CTYPE", value) &&
        !readLocaleVariable("LANG", value)) {
        m_locale = QStringLiteral("en");
        return;
    }
    if (value == QLatin1String("C") || value == QLatin1String("POSIX")) {
        m_locale = QStringLiteral("en");
        return;
    }
    for (const SV_LanguageInfo& language : std::as_const(m_languages)) {
        if (language.encoding.contains(value)) {
            m_locale = language.encoding;
            return;
        }
    }
    m_locale = value;
}

QStringList SV_Engine::translationFiles(const QString& translationDir, const QString& locale) {
    QDir dir(translationDir);
    enterLocaleDir(dir, locale);
    QStringList paths;
    const QStringList files = dir.entryList(QStringList{QStringLiteral("*.qm")}, QDir::Files,
                                            QDir::Name | QDir::IgnoreCase);
    for (const QString& name : files)
        paths.append(dir.absoluteFilePath(name));
    return paths;
}

void SV_Engine::loadLocale() {
    for (const QString& path : translationFiles(m_installInfo.translationDir, m_locale)) {
        // Translators installed later are consulted first: later names win. A file that
        // does not load leaves an empty translator, which translates nothing.
        QTranslator* translator = new QTranslator(this);
        (void)translator->load(path);
        QCoreApplication::installTranslator(translator);
    }
}

QString SV_Engine::translationFileFor(const QString& translationDir, const QString& locale,
                                      const QString& name) {
    if (name.isEmpty())
        return QString();
    QDir dir(translationDir);
    QDir localeDir = dir;
    if (enterLocaleDir(localeDir, locale) && QFileInfo(localeDir.absoluteFilePath(name)).exists())
        return localeDir.absoluteFilePath(name);
    return dir.absoluteFilePath(name);
}

QString SV_Engine::translationFile(const QString& name) const {
    return translationFileFor(m_installInfo.translationDir, m_locale, name);
}
