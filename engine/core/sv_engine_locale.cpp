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

// The C library's own locale, with or without a character set (C.UTF-8).
bool isPlainCLocale(const QString& value) {
    return value == QLatin1String("C") || value == QLatin1String("POSIX") ||
           value.startsWith(QLatin1String("C."));
}

// The offered language that a full locale name stands for: language_TERRITORY.CODESET@
// MODIFIER is matched without its character set and modifier, then by its language part
// alone, then with any offered territory of that language. A null string when none is
// offered.
QString offeredLanguage(const QList<SV_LanguageInfo>& languages, const QString& value) {
    const QString name = value.section(QLatin1Char('@'), 0, 0).section(QLatin1Char('.'), 0, 0);
    const QString language = name.section(QLatin1Char('_'), 0, 0);
    for (const QString& wanted : {name, language}) {
        if (wanted.isEmpty())
            continue;
        for (const SV_LanguageInfo& offered : languages)
            if (offered.encoding == wanted)
                return offered.encoding;
    }
    // Last, the same language of another territory (de_AT.UTF-8 and de_DE).
    for (const SV_LanguageInfo& offered : languages)
        if (!language.isEmpty() && offered.encoding.section(QLatin1Char('_'), 0, 0) == language)
            return offered.encoding;
    return QString();
}

// The locale's own subdirectory of the translation directory, if there is one.
bool enterLocaleDir(QDir& dir, const QString& locale) {
    if (locale.isEmpty())
        return false;
    return dir.cd(locale);
}

} // namespace

// The language is taken from LC_ALL, LC_MESSAGES, LC_CTYPE or LANG, the first one set.
// An offered language whose code contains the value is chosen (LANG=de and de_DE); a
// value such as de_DE.UTF-8 or de_DE@euro also chooses the language offered as de_DE,
// else the one offered as de, else another de_XX.
void SV_Engine::detectLocale() {
    if (m_localeSet)
        return;
    QString value;
    if (!readLocaleVariable("LC_ALL", value) && !readLocaleVariable("LC_MESSAGES", value) &&
        !readLocaleVariable("LC_CTYPE", value) && !readLocaleVariable("LANG", value)) {
        m_locale = QStringLiteral("en");
        return;
    }
    if (isPlainCLocale(value)) {
        m_locale = QStringLiteral("en");
        return;
    }
    for (const SV_LanguageInfo& language : std::as_const(m_languages)) {
        if (language.encoding.contains(value)) {
            m_locale = language.encoding;
            return;
        }
    }
    const QString offered = offeredLanguage(m_languages, value);
    m_locale = offered.isNull() ? value : offered;
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
