// Reading the install file: attributes, display texts, install-info, languages and the
// directories they establish, and file lookups in those directories.
#include "sv_engine.h"

#include "sv_textvariable.h"
#include "sv_viewer.h"

#include <QCoreApplication>
#include <QDir>

namespace {

void createDirectoryVariable(SV_Engine* engine, QHash<QString, SV_Variable*>& registry,
                             const QString& id, const QString& value) {
    SV_TextVariable* var = new SV_TextVariable(engine);
    var->setID(id);
    var->storeValue(QStringList{value});
    registry.insert(id, var);
}

} // namespace

// A directory attribute: absolute as written, otherwise joined to the program's directory.
QString SV_Engine::resolveDirectory(const QString& prefix, const QString& value) {
    if (value.startsWith(QLatin1Char('/')))
        return value;
    const QDir base(prefix);
    if (value.isEmpty())
        return base.absolutePath();
    return base.absoluteFilePath(value);
}

// A relative file name in a directory, entering its subdirectories one by one; a
// subdirectory that does not exist is skipped.
QString SV_Engine::lookupFile(const QString& dirPath, const QString& name) {
    QDir dir(dirPath);
    if (!name.contains(QLatin1Char('/')))
        return dir.absolutePath() + QLatin1Char('/') + name;
    const QStringList parts = name.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    if (parts.isEmpty())
        return dir.absolutePath();
    for (int i = 0; i < parts.size() - 1; ++i)
        dir.cd(parts.at(i));
    return dir.absolutePath() + QLatin1Char('/') + parts.last();
}

QString SV_Engine::loadAttr(const SV_XmlNode& node, const QString& name) {
    // A missing attribute (or no element) is a null string, a present but empty one empty.
    return node.attribute(name);
}

QString SV_Engine::displayTextSource(const SV_XmlNode& node) {
    const SV_XmlNode string = node.firstChildElement(QStringLiteral("string"));
    if (string.isNull())
        return QString();
    // Texts are looked up in their Latin-1 form; an untranslated text comes back in that form.
    return QString::fromLatin1(string.text().trimmed().toLatin1());
}

QString SV_Engine::loadDisplayText(const SV_XmlNode& node) const {
    const QString text = displayTextSource(node);
    if (text.isNull())
        return QStringLiteral("");
    if (text.isEmpty())
        return text;
    return QCoreApplication::translate("SV_Engine", text.toUtf8().constData());
}

void SV_Engine::loadInstallInfo(const SV_XmlNode& root) {
    const SV_XmlNode info = section(root, QStringLiteral("install-info"));
    for (SV_XmlNode e = info.firstChildElement(); !e.isNull(); e = e.nextSiblingElement()) {
        const QString tag = e.tagName();
        if (tag == QLatin1String("author")) {
            m_installInfo.authorDir = loadAttr(e, QStringLiteral("dir"));
            m_installInfo.author = loadDisplayText(e);
        } else if (tag == QLatin1String("app-name")) {
            m_installInfo.appName = loadDisplayText(e);
        } else if (tag == QLatin1String("components")) {
            m_installInfo.componentDir = resolveDirectory(m_prefix, loadAttr(e, QStringLiteral("dir")));
        } else if (tag == QLatin1String("resources")) {
            m_installInfo.resourceDir = resolveDirectory(m_prefix, loadAttr(e, QStringLiteral("dir")));
        } else if (tag == QLatin1String("app-icon")) {
            m_installInfo.appIcon = loadAttr(e, QStringLiteral("file"));
        } else if (tag == QLatin1String("author-icon")) {
            m_installInfo.authorIcon = loadAttr(e, QStringLiteral("file"));
        } else if (tag == QLatin1String("viewer-options")) {
            // Without a viewer the viewer options have nowhere to go.
            if (!m_viewer)
                continue;
            for (SV_XmlNode p = e.firstChildElement(QStringLiteral("option-param")); !p.isNull();
                 p = p.nextSiblingElement(QStringLiteral("option-param")))
                m_viewer->setOption(loadAttr(p, QStringLiteral("param")),
                                    loadAttr(p, QStringLiteral("value")));
        }
    }
    createDirectoryVariable(this, m_variables, QStringLiteral("BuiltInVars:ResourceDir"),
                            m_installInfo.resourceDir);
    createDirectoryVariable(this, m_variables, QStringLiteral("BuiltInVars:ComponentDir"),
                            m_installInfo.componentDir);
}

void SV_Engine::loadLanguages(const SV_XmlNode& root) {
    const SV_XmlNode languages = section(root, QStringLiteral("languages"));
    if (languages.isNull())
        return;
    m_installInfo.translationDir = resolveDirectory(m_prefix, loadAttr(languages, QStringLiteral("dir")));
    for (SV_XmlNode e = languages.firstChildElement(QStringLiteral("language")); !e.isNull();
         e = e.nextSiblingElement(QStringLiteral("language"))) {
        SV_LanguageInfo language;
        language.name = loadAttr(e, QStringLiteral("name"));
        language.encoding = loadAttr(e, QStringLiteral("encoding"));
        m_languages.append(language);
    }
}

QString SV_Engine::resource(const QString& name) const {
    return lookupFile(m_installInfo.resourceDir, name);
}

QString SV_Engine::component(const QString& name) const {
    return lookupFile(m_installInfo.componentDir, name);
}
