#include "sv_installcheck.h"

#include "sv_engine.h"
#include "sv_installschema.h"
#include "sv_variableregexp.h"
#include "sv_vendoraction.h"
#include "sv_versioncompare.h"
#include "sv_xmltree.h"

#include <QColor>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <QSet>
#include <QStringDecoder>
#include <QTranslator>

#include <algorithm>
#include <memory>
#include <vector>

using namespace SV_InstallSchema;

namespace {

enum class VarKind { Text, Number, Bool, Directory, Single, Multiple, Profile, Password };

// The variable kind each data element creates.
bool variableKind(const QString& dataElement, VarKind* kind) {
    static const QHash<QString, VarKind> kinds = {
        {QStringLiteral("text-data"), VarKind::Text},
        {QStringLiteral("numeric-data"), VarKind::Number},
        {QStringLiteral("boolean"), VarKind::Bool},
        {QStringLiteral("directory-selection"), VarKind::Directory},
        {QStringLiteral("single-selection"), VarKind::Single},
        {QStringLiteral("multiple-selection"), VarKind::Multiple},
        {QStringLiteral("profile-selection"), VarKind::Profile},
        {QStringLiteral("password-data"), VarKind::Password}};
    const auto it = kinds.constFind(dataElement);
    if (it == kinds.constEnd())
        return false;
    *kind = *it;
    return true;
}

bool isChoiceKind(VarKind kind) {
    return kind == VarKind::Single || kind == VarKind::Multiple || kind == VarKind::Profile;
}

QString kindWord(VarKind kind) {
    switch (kind) {
    case VarKind::Text:
        return QStringLiteral("text");
    case VarKind::Number:
        return QStringLiteral("number");
    case VarKind::Bool:
        return QStringLiteral("boolean");
    case VarKind::Directory:
        return QStringLiteral("directory");
    case VarKind::Single:
        return QStringLiteral("single-choice");
    case VarKind::Multiple:
        return QStringLiteral("multiple-choice");
    case VarKind::Profile:
        return QStringLiteral("profile");
    case VarKind::Password:
        return QStringLiteral("password");
    }
    return QString();
}

struct VariableDef {
    VarKind kind = VarKind::Text;
    SV_XmlNode node;
    QStringList choices;
    bool builtIn = false;
    bool used = false;
};

struct ActionDef {
    QString type;
    SV_XmlNode node;
    bool run = false;
};

// Whether a condition, or a set of them, always gives the same answer.
enum class Constant { No, True, False };

QString quoted(const QString& s) {
    return QLatin1Char('"') + s + QLatin1Char('"');
}

QString elementName(const QString& name) {
    return QLatin1Char('<') + name + QLatin1Char('>');
}

QString didYouMean(const QString& name, const QStringList& candidates) {
    const QString near = SV_InstallCheck::nearest(name, candidates);
    return near.isNull() ? QString() : QStringLiteral(" (did you mean %1?)").arg(quoted(near));
}

class Checker {
public:
    Checker(const QString& prefix, QList<SV_InstallProblem>& out) : m_prefix(prefix), m_out(out) {}

    void run(const QByteArray& xml) {
        SV_XmlDocument doc;
        if (!doc.setContent(xml, SV_XmlDocument::kMaxDepth, SV_XmlDocument::WithPositions)) {
            m_out.append(
                {SV_InstallProblem::Error, doc.errorLine(), doc.errorColumn(),
                 QStringLiteral("not a well-formed install file: %1").arg(doc.errorString())});
            return;
        }
        decodeSource(xml);
        const SV_XmlNode root = doc.documentElement();
        collectDirectories(root);
        collectLanguages(root);
        collectDefinitions(root);
        walk(root, elements().first(), QString());
        reportUnused();
        checkLanguagesWithoutTranslations();
    }

private:
    // ---- places ---------------------------------------------------------------------

    void decodeSource(const QByteArray& xml) {
        QStringConverter::Encoding encoding = QStringConverter::Utf8;
        if (const auto bom = QStringConverter::encodingForData(xml))
            encoding = *bom;
        else {
            static const QRegularExpression declared(
                QStringLiteral("^<\\?xml[^>]*encoding\\s*=\\s*[\"']([^\"']+)[\"']"));
            const QRegularExpressionMatch m = declared.match(QString::fromLatin1(xml.left(200)));
            if (m.hasMatch())
                if (const auto named = QStringConverter::encodingForName(m.captured(1).toLatin1()))
                    encoding = *named;
        }
        QStringDecoder decode(encoding);
        m_source = decode(xml);
        if (m_source.startsWith(QChar(0xFEFF)))
            m_source.remove(0, 1);
        m_lineStarts.append(0);
        for (qsizetype i = 0; i < m_source.size(); ++i)
            if (m_source.at(i) == QLatin1Char('\n'))
                m_lineStarts.append(i + 1);
    }

    qsizetype offsetOf(int line, int column) const {
        if (line < 1 || line > m_lineStarts.size())
            return 0;
        return std::min<qsizetype>(m_lineStarts.at(line - 1) + std::max(0, column - 1),
                                   m_source.size());
    }
    qsizetype offsetOf(const SV_XmlNode& node) const {
        return offsetOf(node.line(), node.column());
    }

    void place(qsizetype offset, int* line, int* column) const {
        const auto it = std::upper_bound(m_lineStarts.begin(), m_lineStarts.end(), offset);
        const qsizetype index = (it - m_lineStarts.begin()) - 1;
        *line = int(index + 1);
        *column = int(offset - m_lineStarts.at(index) + 1);
    }

    // The end of the start tag that begins at offset (after its ">").
    qsizetype tagEnd(qsizetype offset) const {
        QChar quote;
        for (qsizetype i = offset; i < m_source.size(); ++i) {
            const QChar c = m_source.at(i);
            if (!quote.isNull()) {
                if (c == quote)
                    quote = QChar();
            } else if (c == QLatin1Char('"') || c == QLatin1Char('\'')) {
                quote = c;
            } else if (c == QLatin1Char('>')) {
                return i + 1;
            }
        }
        return m_source.size();
    }

    // Where an attribute's name stands in an element's start tag; the element's place when
    // it cannot be found.
    qsizetype attributeOffset(const SV_XmlNode& node, const QString& attribute) const {
        const qsizetype start = offsetOf(node);
        if (attribute.isEmpty())
            return start;
        const QRegularExpression name(
            QStringLiteral("\\s(%1)\\s*=").arg(QRegularExpression::escape(attribute)));
        const QRegularExpressionMatch m =
            name.match(QStringView(m_source).mid(start, tagEnd(start) - start));
        return m.hasMatch() ? start + m.capturedStart(1) : start;
    }

    // Where a piece of text stands, searched for from offset; offset when it is not found.
    qsizetype textOffset(qsizetype offset, const QString& piece) const {
        const qsizetype at = m_source.indexOf(piece, offset);
        return at < 0 || at - offset > 100000 ? offset : at;
    }

    void report(SV_InstallProblem::Severity severity, qsizetype offset, const QString& text) {
        SV_InstallProblem p;
        p.severity = severity;
        p.text = text;
        place(offset, &p.line, &p.column);
        m_out.append(p);
    }
    void error(const SV_XmlNode& node, const QString& text, const QString& attribute = QString()) {
        report(SV_InstallProblem::Error, attributeOffset(node, attribute), text);
    }
    void warning(const SV_XmlNode& node, const QString& text,
                 const QString& attribute = QString()) {
        report(SV_InstallProblem::Warning, attributeOffset(node, attribute), text);
    }

    // ---- what the file defines ------------------------------------------------------

    void collectDirectories(const SV_XmlNode& root) {
        const SV_XmlNode info = root.firstChildElement(QStringLiteral("install-info"));
        for (SV_XmlNode e = info.firstChildElement(); !e.isNull(); e = e.nextSiblingElement()) {
            if (e.tagName() == QLatin1String("resources"))
                m_resourceDir =
                    SV_Engine::resolveDirectory(m_prefix, e.attribute(QStringLiteral("dir")));
            else if (e.tagName() == QLatin1String("components"))
                m_componentDir =
                    SV_Engine::resolveDirectory(m_prefix, e.attribute(QStringLiteral("dir")));
        }
        const SV_XmlNode languages = root.firstChildElement(QStringLiteral("languages"));
        if (!languages.isNull())
            m_translationDir =
                SV_Engine::resolveDirectory(m_prefix, languages.attribute(QStringLiteral("dir")));
    }

    struct Language {
        QString encoding;
        SV_XmlNode node;
        QStringList files;
        QList<std::shared_ptr<QTranslator>> translators;
    };

    void collectLanguages(const SV_XmlNode& root) {
        const SV_XmlNode languages = root.firstChildElement(QStringLiteral("languages"));
        for (SV_XmlNode e = languages.firstChildElement(QStringLiteral("language")); !e.isNull();
             e = e.nextSiblingElement(QStringLiteral("language"))) {
            Language language;
            language.encoding = e.attribute(QStringLiteral("encoding"));
            language.node = e;
            language.files = SV_Engine::translationFiles(m_translationDir, language.encoding);
            for (const QString& file : std::as_const(language.files)) {
                auto translator = std::make_shared<QTranslator>();
                if (translator->load(file))
                    language.translators.append(translator);
            }
            m_languages.append(language);
        }
    }

    void collectDefinitions(const SV_XmlNode& root) {
        for (const char* id :
             {"BuiltInVars:Language", "BuiltInVars:ResourceDir", "BuiltInVars:ComponentDir"}) {
            VariableDef def;
            def.builtIn = true;
            m_variables.insert(QLatin1String(id), def);
        }
        const SV_XmlNode variables = root.firstChildElement(QStringLiteral("variables"));
        for (SV_XmlNode v = variables.firstChildElement(QStringLiteral("variable")); !v.isNull();
             v = v.nextSiblingElement(QStringLiteral("variable"))) {
            SV_XmlNode data = v.firstChildElement(QStringLiteral("data-type")).firstChild();
            while (!data.isNull() && data.isComment())
                data = data.nextSibling();
            VariableDef def;
            if (!variableKind(data.tagName(), &def.kind))
                continue; // not created; reported where the data type is checked
            def.node = v;
            const QString choice = def.kind == VarKind::Profile ? QStringLiteral("profile-choice")
                                                                : QStringLiteral("choice");
            const QString idAttribute =
                def.kind == VarKind::Profile ? QStringLiteral("profile_id") : QStringLiteral("id");
            for (SV_XmlNode c = data.firstChildElement(choice); !c.isNull();
                 c = c.nextSiblingElement(choice))
                def.choices.append(c.attribute(idAttribute));
            define(m_variables, v.attribute(QStringLiteral("id")), def, v,
                   QStringLiteral("variable"));
        }
        const SV_XmlNode actions = root.firstChildElement(QStringLiteral("actions"));
        for (SV_XmlNode a = actions.firstChildElement(QStringLiteral("action")); !a.isNull();
             a = a.nextSiblingElement(QStringLiteral("action"))) {
            ActionDef def;
            def.type = a.attribute(QStringLiteral("type"));
            def.node = a;
            define(m_actions, a.attribute(QStringLiteral("id")), def, a, QStringLiteral("action"));
        }
        const SV_XmlNode profiles = root.firstChildElement(QStringLiteral("profiles"));
        for (SV_XmlNode p = profiles.firstChildElement(QStringLiteral("profile")); !p.isNull();
             p = p.nextSiblingElement(QStringLiteral("profile")))
            define(m_profiles, p.attribute(QStringLiteral("id")), p, p, QStringLiteral("profile"));
        collectStages(root.firstChildElement(QStringLiteral("stages")));
    }

    void collectStages(const SV_XmlNode& parent) {
        for (SV_XmlNode s = parent.firstChildElement(QStringLiteral("stage")); !s.isNull();
             s = s.nextSiblingElement(QStringLiteral("stage"))) {
            for (SV_XmlNode sub = s.firstChildElement(QStringLiteral("sub-stages")); !sub.isNull();
                 sub = sub.nextSiblingElement(QStringLiteral("sub-stages")))
                collectStages(sub);
            define(m_stages, s.attribute(QStringLiteral("id")), s, s, QStringLiteral("stage"));
        }
    }

    template <typename T>
    void define(QHash<QString, T>& registry, const QString& id, const T& def,
                const SV_XmlNode& node, const QString& what) {
        if (id.isNull())
            return; // reported as a missing attribute
        const auto it = m_definedAt.constFind(what + QLatin1Char('\n') + id);
        if (it != m_definedAt.constEnd())
            warning(
                node,
                QStringLiteral("%1 %2 is defined again: from here on it hides the one on line %3")
                    .arg(what, quoted(id))
                    .arg(*it),
                QStringLiteral("id"));
        m_definedAt.insert(what + QLatin1Char('\n') + id, node.line());
        registry.insert(id, def);
    }

    // ---- the walk -------------------------------------------------------------------

    // Checks an element against its rule, then its children; `context` is the key of the
    // rule of the parent.
    void walk(const SV_XmlNode& node, const Element& rule, const QString& context) {
        checkAttributes(node, rule);
        enter(node, rule);
        QHash<QString, int> seen;
        bool dataElementSeen = false;
        for (SV_XmlNode child = node.firstChild(); !child.isNull(); child = child.nextSibling()) {
            if (child.isComment())
                continue;
            const QString name = child.nodeName();
            if (!child.isElement()) {
                if ((name == QLatin1String("#text") || name == QLatin1String("#cdata-section")) &&
                    !rule.text)
                    warning(child,
                            QStringLiteral("text inside %1 is not read (a display text goes into a "
                                           "<string> child)")
                                .arg(elementName(node.tagName())));
                continue;
            }
            const Child* childRule = nullptr;
            for (const Child& c : rule.children) {
                const Element* e = element(c.rule);
                if (e && e->name == name)
                    childRule = &c;
            }
            if (rule.oneOf && dataElementSeen) {
                error(child, QStringLiteral("%1 is not read: only the first element inside %2 is")
                                 .arg(elementName(name), elementName(node.tagName())));
                continue;
            }
            if (!childRule) {
                if (rule.oneOf) {
                    QStringList kinds;
                    for (const Child& c : rule.children)
                        kinds.append(element(c.rule)->name);
                    error(child,
                          QStringLiteral("%1 is no kind of variable%2: the variable is not created")
                              .arg(elementName(name), didYouMean(name, kinds)));
                } else {
                    unknownElement(child, node, rule);
                }
                dataElementSeen = true;
                continue;
            }
            dataElementSeen = true;
            const int count = ++seen[name];
            if (childRule->occurs != Occurs::Any && count > 1 &&
                !notReadAgain(child, node, rule, name))
                continue; // not read, so neither is anything inside it
            walk(child, *element(childRule->rule), rule.key);
        }
        for (const Child& c : rule.children)
            if (c.occurs == Occurs::ExactlyOne && !seen.contains(element(c.rule)->name))
                error(node,
                      QStringLiteral("%1 has no %2: the engine does not create it")
                          .arg(elementName(node.tagName()), elementName(element(c.rule)->name)));
        if (rule.oneOf && !dataElementSeen)
            error(node, QStringLiteral("%1 holds no kind of variable: the variable is not created")
                            .arg(elementName(node.tagName())));
        leave(node, rule, context);
    }

    void unknownElement(const SV_XmlNode& child, const SV_XmlNode& parent, const Element& rule) {
        QStringList names;
        for (const Child& c : rule.children)
            names.append(element(c.rule)->name);
        QString text = QStringLiteral("%1 is not read inside %2")
                           .arg(elementName(child.tagName()),
                                elementName(parent.tagName().isEmpty() ? QStringLiteral("root")
                                                                       : parent.tagName()));
        QString hint = didYouMean(child.tagName(), names);
        if (hint.isEmpty()) {
            QStringList parents;
            for (const Element& e : elements())
                for (const Child& c : e.children)
                    if (element(c.rule)->name == child.tagName() &&
                        !parents.contains(elementName(e.name)) && !e.name.isEmpty())
                        parents.append(elementName(e.name));
            if (!parents.isEmpty())
                hint = QStringLiteral(" (it is read inside %1)")
                           .arg(parents.join(QStringLiteral(", ")));
        }
        error(child, text + hint);
    }

    // Reports the one of two elements that is not read; true when that is the earlier one.
    bool notReadAgain(const SV_XmlNode& child, const SV_XmlNode& parent, const Element& rule,
                      const QString& name) {
        // A ui-element or an install sequence keeps its last <valid-conditions>; everywhere
        // else the first one of a kind is read.
        if (name == QLatin1String("valid-conditions") &&
            (rule.key == QLatin1String("ui-element") ||
             rule.key == QLatin1String("installaction-sequence"))) {
            SV_XmlNode first = parent.firstChildElement(name);
            error(first, QStringLiteral("%1 is not read: a later one inside %2 replaces it")
                             .arg(elementName(name), elementName(parent.tagName())));
            return true;
        }
        error(child, QStringLiteral("%1 is not read: only the first one inside %2 is")
                         .arg(elementName(name), elementName(parent.tagName())));
        return false;
    }

    void checkAttributes(const SV_XmlNode& node, const Element& rule) {
        QStringList known;
        for (const Attribute& a : rule.attributes)
            known.append(a.name);
        for (const QString& name : node.attributeNames()) {
            if (name.startsWith(QLatin1String("xmlns")))
                continue; // namespace declarations (an editor's), not read and harmless
            if (!known.contains(name)) {
                error(node,
                      QStringLiteral("attribute %1 is not read on %2%3")
                          .arg(quoted(name), elementName(node.tagName()), didYouMean(name, known)),
                      name);
                continue;
            }
        }
        for (const Attribute& a : rule.attributes) {
            if (!node.hasAttribute(a.name)) {
                if (a.required)
                    error(node, QStringLiteral("%1 has no %2 attribute")
                                    .arg(elementName(node.tagName()), quoted(a.name)));
                continue;
            }
            if (a.value.kind != Kind::OptionValue) // checked with its option
                checkValue(node, a.name, node.attribute(a.name), a.value, a.name, Use::Attribute);
        }
    }

    enum class Use { Attribute, Option, ViewerOption };

    // Checks one value of an attribute (named `attribute` on node) or of an option.
    void checkValue(const SV_XmlNode& node, const QString& attribute, const QString& value,
                    const Value& kind, const QString& what, Use use) {
        const QString subject = use == Use::Attribute
                                    ? QStringLiteral("attribute %1").arg(quoted(what))
                                    : QStringLiteral("option %1").arg(quoted(what));
        const bool hasReference = !SV_VariableRegExp::references(value).isEmpty();
        // References are filled in where the engine replaces them (and in keywords, where
        // a reference is unusual but harmless); anywhere else they stay as written.
        if (hasReference)
            checkReferences(node, attribute, value,
                            kind.kind == Kind::References || kind.kind == Kind::ReferenceList ||
                                    kind.kind == Kind::Keyword
                                ? RefUse::Filled
                                : RefUse::AsWritten);
        switch (kind.kind) {
        case Kind::Keyword:
            if (!hasReference && !kind.keywords.contains(value))
                error(node,
                      QStringLiteral("%1 is no value of %2%3 (values: %4)")
                          .arg(quoted(value), subject, didYouMean(value, kind.keywords),
                               kind.keywords.join(QStringLiteral(", "))),
                      attribute);
            break;
        case Kind::Flag:
            if (value != QLatin1String("true") && value != QLatin1String("false"))
                warning(node,
                        QStringLiteral("%1 of %2 reads as false: only \"true\" switches it on")
                            .arg(quoted(value), subject),
                        attribute);
            break;
        case Kind::Integer:
        case Kind::Unsigned:
        case Kind::Number: {
            bool ok = false;
            if (kind.kind == Kind::Integer)
                value.toInt(&ok);
            else if (kind.kind == Kind::Unsigned)
                value.toUInt(&ok);
            else
                value.toDouble(&ok);
            if (!ok && !hasReference)
                error(node,
                      QStringLiteral("%1 of %2 is not %3")
                          .arg(quoted(value), subject,
                               kind.kind == Kind::Integer ? QStringLiteral("a whole number")
                               : kind.kind == Kind::Unsigned
                                   ? QStringLiteral("a whole number of 0 or more")
                                   : QStringLiteral("a number")),
                      attribute);
            break;
        }
        case Kind::Version:
            if (!SV_VersionCompare::isDotted(value.trimmed()))
                error(node,
                      QStringLiteral("%1 of %2 is not a version such as 1.8 or 17.0.9")
                          .arg(quoted(value), subject),
                      attribute);
            break;
        case Kind::Colour:
            if (!QColor::isValidColorName(value))
                error(node,
                      QStringLiteral("%1 of %2 is not a colour (a name such as navy, or #RRGGBB)")
                          .arg(quoted(value), subject),
                      attribute);
            break;
        case Kind::CommaList:
        case Kind::ReferenceList:
        case Kind::OptionList:
        case Kind::ChoiceList:
            checkCommaList(node, attribute, value, subject);
            break;
        case Kind::ResourceFile:
            if (!value.isEmpty() && !hasReference)
                checkFile(node, attribute, SV_Engine::lookupFile(m_resourceDir, value), value,
                          QStringLiteral("resource"));
            break;
        case Kind::DescriptionFile:
            checkDescription(node, attribute, value);
            break;
        case Kind::VariableRef:
            if (!hasReference)
                variableRef(node, attribute, value);
            break;
        case Kind::ActionRef:
            if (!hasReference)
                actionRef(node, attribute, value);
            break;
        case Kind::ProfileRef:
            if (!m_profiles.contains(value))
                error(node,
                      QStringLiteral("there is no profile %1%2")
                          .arg(quoted(value), didYouMean(value, m_profiles.keys())),
                      attribute);
            break;
        default:
            break;
        }
    }

    void checkCommaList(const SV_XmlNode& node, const QString& attribute, const QString& value,
                        const QString& subject) {
        for (const QString& item : value.split(QLatin1Char(','), Qt::SkipEmptyParts))
            if (item != item.trimmed())
                warning(
                    node,
                    QStringLiteral("item %1 of %2 begins or ends with a blank, which is part of it")
                        .arg(quoted(item), subject),
                    attribute);
    }

    VariableDef* variableRef(const SV_XmlNode& node, const QString& attribute, const QString& id) {
        const auto it = m_variables.find(id);
        if (it == m_variables.end()) {
            error(node,
                  QStringLiteral("there is no variable %1%2")
                      .arg(quoted(id), didYouMean(id, m_variables.keys())),
                  attribute);
            return nullptr;
        }
        return &*it;
    }

    ActionDef* actionRef(const SV_XmlNode& node, const QString& attribute, const QString& id) {
        const auto it = m_actions.find(id);
        if (it == m_actions.end()) {
            error(node,
                  QStringLiteral("there is no action %1%2")
                      .arg(quoted(id), didYouMean(id, m_actions.keys())),
                  attribute);
            return nullptr;
        }
        it->run = true;
        return &*it;
    }

    // How a text with $$id$$ references is used: filled in and handed to a command, an
    // option or a file; shown to the user; or taken as written.
    enum class RefUse { Filled, Display, AsWritten };

    void checkReferences(const SV_XmlNode& node, const QString& attribute, const QString& text,
                         RefUse use, qsizetype from = -1) {
        const QList<SV_VariableRegExp::Reference> refs = SV_VariableRegExp::references(text);
        if (refs.isEmpty())
            return;
        const qsizetype start = from >= 0 ? from : attributeOffset(node, attribute);
        for (const SV_VariableRegExp::Reference& ref : refs) {
            const QString written = QStringLiteral("$$") + ref.id + QStringLiteral("$$");
            const qsizetype at = textOffset(start, written);
            const auto it = m_variables.find(ref.id);
            if (it == m_variables.end()) {
                report(SV_InstallProblem::Error, at,
                       QStringLiteral("there is no variable %1 for the reference %2%3")
                           .arg(quoted(ref.id), written, didYouMean(ref.id, m_variables.keys())));
                continue;
            }
            it->used = true;
            if (use == RefUse::AsWritten)
                report(
                    SV_InstallProblem::Warning, at,
                    QStringLiteral(
                        "%1 is taken as written here: this option's references are not filled in")
                        .arg(written));
            if (use == RefUse::Filled &&
                (it->kind == VarKind::Single || it->kind == VarKind::Profile))
                report(SV_InstallProblem::Warning, at,
                       QStringLiteral(
                           "%1 is a %2 variable: its value is the translated display text of the "
                           "choice, so what is written depends on the language the installer runs "
                           "in (compare it with conditions instead)")
                           .arg(written, kindWord(it->kind)));
        }
    }

    void checkFile(const SV_XmlNode& node, const QString& attribute, const QString& path,
                   const QString& name, const QString& what) {
        if (!QFileInfo(path).isFile())
            error(node,
                  QStringLiteral("the %1 file %2 does not exist (%3)")
                      .arg(what, quoted(name), QDir::cleanPath(path)),
                  attribute);
    }

    // A template file: there, and its references known.
    void checkTemplate(const SV_XmlNode& node, const QString& attribute, const QString& path,
                       const QString& name) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) {
            error(
                node,
                QStringLiteral("the template file %1 does not exist (%2)").arg(quoted(name), path),
                attribute);
            return;
        }
        checkFileReferences(node, attribute, QString::fromUtf8(file.readAll()), name,
                            RefUse::Filled);
    }

    void checkFileReferences(const SV_XmlNode& node, const QString& attribute,
                             const QString& content, const QString& name, RefUse use) {
        const QStringList lines = content.split(QLatin1Char('\n'));
        for (int i = 0; i < lines.size(); ++i) {
            for (const SV_VariableRegExp::Reference& ref :
                 SV_VariableRegExp::references(lines.at(i))) {
                const auto it = m_variables.find(ref.id);
                if (it == m_variables.end()) {
                    error(node,
                          QStringLiteral(
                              "there is no variable %1 for the reference $$%2$$ on line %3 of %4%5")
                              .arg(quoted(ref.id), ref.id)
                              .arg(i + 1)
                              .arg(quoted(name), didYouMean(ref.id, m_variables.keys())),
                          attribute);
                    continue;
                }
                it->used = true;
                if (use == RefUse::Filled &&
                    (it->kind == VarKind::Single || it->kind == VarKind::Profile))
                    warning(
                        node,
                        QStringLiteral(
                            "$$%1$$ on line %2 of %3 is a %4 variable: its value is the translated "
                            "display text of the choice (compare it with conditions instead)")
                            .arg(ref.id)
                            .arg(i + 1)
                            .arg(quoted(name), kindWord(it->kind)),
                        attribute);
            }
        }
    }

    void checkDescription(const SV_XmlNode& node, const QString& attribute, const QString& name) {
        // Each language finds its own description, or the common one.
        QStringList locales;
        for (const Language& l : std::as_const(m_languages))
            locales.append(l.encoding);
        if (locales.isEmpty())
            locales.append(QString());
        QSet<QString> checked;
        for (const QString& locale : std::as_const(locales)) {
            const QString path = SV_Engine::translationFileFor(m_translationDir, locale, name);
            if (checked.contains(path))
                continue;
            checked.insert(path);
            QFile file(path);
            if (!file.open(QIODevice::ReadOnly)) {
                error(node,
                      QStringLiteral("the description file %1 does not exist (%2)")
                          .arg(quoted(name), path),
                      attribute);
                continue;
            }
            checkFileReferences(node, attribute, QString::fromUtf8(file.readAll()), path,
                                RefUse::Display);
        }
    }

    // ---- what each element means ----------------------------------------------------

    void enter(const SV_XmlNode& node, const Element& rule) {
        const QString& key = rule.key;
        if (key == QLatin1String("string")) {
            checkReferences(node, QString(), node.text(), RefUse::Display, offsetOf(node));
        } else if (key == QLatin1String("variable")) {
            m_currentVariable = node.attribute(QStringLiteral("id"));
            checkDefault(node);
        } else if (key == QLatin1String("multiple-choice")) {
            const VariableDef* var = currentVariable();
            if (var)
                for (const QString& id : node.attribute(QStringLiteral("depends"))
                                             .split(QLatin1Char(','), Qt::SkipEmptyParts))
                    if (!var->choices.contains(id))
                        error(node,
                              QStringLiteral("variable %1 has no choice %2 for depends%3")
                                  .arg(quoted(m_currentVariable), quoted(id),
                                       didYouMean(id, var->choices)),
                              QStringLiteral("depends"));
        } else if (key == QLatin1String("numeric-data")) {
            checkNumberBounds(node);
        } else if (key == QLatin1String("var-ref")) {
            if (VariableDef* var = variableFor(node))
                checkChoiceValue(node, QStringLiteral("value"), *var,
                                 node.attribute(QStringLiteral("value")),
                                 node.attribute(QStringLiteral("var_id")));
        } else if (key == QLatin1String("variable-input") ||
                   key == QLatin1String("variable-output")) {
            if (VariableDef* var = variableFor(node))
                var->used = true;
        } else if (key == QLatin1String("action")) {
            checkAction(node);
        } else if (key == QLatin1String("viewer-option")) {
            checkViewerOption(node);
        } else if (key == QLatin1String("stage")) {
            m_stagePath.append(node.attribute(QStringLiteral("id")));
        } else if (key == QLatin1String("var-condition")) {
            m_conditions.insert(placeKey(node), varCondition(node));
        } else if (key == QLatin1String("stage-condition")) {
            m_conditions.insert(placeKey(node), stageCondition(node));
        }
    }

    void leave(const SV_XmlNode& node, const Element& rule, const QString& context) {
        const QString& key = rule.key;
        if (key == QLatin1String("stage")) {
            m_stagePath.removeLast();
            m_builtStages.insert(node.attribute(QStringLiteral("id")));
            checkValidity(node, QStringLiteral("stage"));
            const Constant cont = combined(node, QStringLiteral("continue-conditions"));
            if (cont == Constant::False)
                warning(node, QStringLiteral(
                                  "stage %1 can never be left: its continue conditions never hold")
                                  .arg(quoted(node.attribute(QStringLiteral("id")))));
        } else if (key == QLatin1String("ui-element")) {
            checkValidity(node, QStringLiteral("element"));
            checkElementKinds(node);
        } else if (key == QLatin1String("installaction-sequence")) {
            checkValidity(node, QStringLiteral("sequence"));
        } else if (key == QLatin1String("variable")) {
            m_currentVariable.clear();
        }
        // install-info is read before the translations are installed: its texts stay as
        // written.
        if (rule.displayText && key != QLatin1String("author") &&
            key != QLatin1String("app-name") &&
            !node.firstChildElement(QStringLiteral("string")).isNull())
            m_displayTexts.append(node);
        Q_UNUSED(context);
    }

    static quint64 placeKey(const SV_XmlNode& node) {
        return (quint64(node.line()) << 32) | quint32(node.column());
    }

    VariableDef* currentVariable() {
        const auto it = m_variables.find(m_currentVariable);
        return it == m_variables.end() ? nullptr : &*it;
    }

    // The variable an element names by var_id (already reported when there is none).
    VariableDef* variableFor(const SV_XmlNode& node) {
        const auto it = m_variables.find(node.attribute(QStringLiteral("var_id")));
        return it == m_variables.end() ? nullptr : &*it;
    }

    void checkDefault(const SV_XmlNode& node) {
        if (!node.hasAttribute(QStringLiteral("default")))
            return;
        const auto it = m_variables.find(m_currentVariable);
        if (it == m_variables.end() || it->node.line() != node.line() ||
            it->node.column() != node.column())
            return;
        const QString value = node.attribute(QStringLiteral("default"));
        if (it->kind == VarKind::Bool && value != QLatin1String("true") &&
            value != QLatin1String("false") && value != QLatin1String("undefined"))
            error(
                node,
                QStringLiteral(
                    "%1 is no boolean value (true, false or undefined): the default is not stored")
                    .arg(quoted(value)),
                QStringLiteral("default"));
        checkChoiceValue(node, QStringLiteral("default"), *it, value, m_currentVariable);
    }

    // A value given to a choice variable (a default, a profile's value): choice ids.
    void checkChoiceValue(const SV_XmlNode& node, const QString& attribute, const VariableDef& var,
                          const QString& value, const QString& id) {
        if (!isChoiceKind(var.kind))
            return;
        const QStringList ids = var.kind == VarKind::Multiple
                                    ? value.split(QLatin1Char(','), Qt::SkipEmptyParts)
                                    : QStringList{value};
        if (var.kind == VarKind::Multiple)
            checkCommaList(node, attribute, value,
                           QStringLiteral("attribute %1").arg(quoted(attribute)));
        if (var.kind == VarKind::Multiple && value.isEmpty())
            return;
        for (const QString& choice : ids)
            if (!var.choices.contains(choice))
                error(node,
                      QStringLiteral("variable %1 has no choice %2%3")
                          .arg(quoted(id), quoted(choice), didYouMean(choice, var.choices)),
                      attribute);
    }

    void checkNumberBounds(const SV_XmlNode& node) {
        const QString type = node.attribute(QStringLiteral("datatype"));
        for (const QString& bound : {QStringLiteral("min"), QStringLiteral("max")}) {
            if (!node.hasAttribute(bound))
                continue;
            const QString value = node.attribute(bound);
            bool ok = false;
            if (type.isNull() || type == QLatin1String("int"))
                value.toInt(&ok);
            else if (type == QLatin1String("uint"))
                value.toUInt(&ok);
            else
                ok = true; // a double, checked as a number already
            bool number = false;
            value.toDouble(&number);
            if (!ok && number) // not a number at all: said already
                error(node,
                      QStringLiteral("%1 is not a bound of a %2 number: it is not used")
                          .arg(quoted(value), type.isNull() ? QStringLiteral("int") : type),
                      bound);
        }
    }

    // ---- conditions -----------------------------------------------------------------

    Constant varCondition(const SV_XmlNode& node) {
        VariableDef* var = variableFor(node);
        const QString keyword = node.attribute(QStringLiteral("condition"));
        const QString value = node.attribute(QStringLiteral("value"));
        if (!var)
            return Constant::False;
        var->used = true;
        auto always = [&](Constant result, const QString& why) {
            warning(node,
                    QStringLiteral("this condition is always %1: %2")
                        .arg(result == Constant::True ? QStringLiteral("true")
                                                      : QStringLiteral("false"),
                             why),
                    QStringLiteral("condition"));
            return result;
        };
        const QString kind = kindWord(var->kind);
        if (keyword == QLatin1String("item-selected") ||
            keyword == QLatin1String("item-not-selected")) {
            const bool selected = keyword == QLatin1String("item-selected");
            if (!isChoiceKind(var->kind))
                return always(selected ? Constant::False : Constant::True,
                              QStringLiteral("%1 is a %2 variable, which has no choices")
                                  .arg(quoted(node.attribute(QStringLiteral("var_id"))), kind));
            if (!value.isNull() && !var->choices.contains(value)) {
                error(node,
                      QStringLiteral("variable %1 has no choice %2%3")
                          .arg(quoted(node.attribute(QStringLiteral("var_id"))), quoted(value),
                               didYouMean(value, var->choices)),
                      QStringLiteral("value"));
                return selected ? Constant::False : Constant::True;
            }
            return Constant::No;
        }
        if (keyword == QLatin1String("equal") || keyword == QLatin1String("not-equal")) {
            if (isChoiceKind(var->kind) && !var->choices.contains(value)) {
                error(node,
                      QStringLiteral("variable %1 has no choice %2%3")
                          .arg(quoted(node.attribute(QStringLiteral("var_id"))), quoted(value),
                               didYouMean(value, var->choices)),
                      QStringLiteral("value"));
                return keyword == QLatin1String("equal") ? Constant::False : Constant::True;
            }
            return Constant::No;
        }
        if (keyword == QLatin1String("not-empty")) {
            if (isChoiceKind(var->kind))
                return always(Constant::True,
                              QStringLiteral("a %1 variable is never empty").arg(kind));
            return Constant::No;
        }
        if (keyword == QLatin1String("valid-password")) {
            if (var->kind != VarKind::Password)
                return always(Constant::False,
                              QStringLiteral("only a password variable has a valid password"));
            return Constant::No;
        }
        if (keyword == QLatin1String("existing-dir")) {
            if (var->kind != VarKind::Directory)
                return always(
                    Constant::False,
                    QStringLiteral("only a directory variable names an existing directory"));
            return Constant::No;
        }
        if (keyword == QLatin1String("boolean")) {
            if (var->kind != VarKind::Bool)
                return always(Constant::False,
                              QStringLiteral("only a boolean variable is true or false"));
            static const QStringList words = {QStringLiteral("true"), QStringLiteral("false"),
                                              QStringLiteral("undefined")};
            if (!value.isEmpty() && !words.contains(value)) {
                error(
                    node,
                    QStringLiteral(
                        "%1 is no value of a boolean condition%2 (values: true, false, undefined)")
                        .arg(quoted(value), didYouMean(value, words)),
                    QStringLiteral("value"));
                return Constant::False;
            }
            return Constant::No;
        }
        return Constant::False; // an unknown keyword, reported with the attribute
    }

    Constant stageCondition(const SV_XmlNode& node) {
        const QString id = node.attribute(QStringLiteral("stage_id"));
        if (!m_stages.contains(id)) {
            error(node,
                  QStringLiteral("there is no stage %1%2")
                      .arg(quoted(id), didYouMean(id, m_stages.keys())),
                  QStringLiteral("stage_id"));
            return Constant::False;
        }
        if (!m_builtStages.contains(id)) {
            const QString why = m_stagePath.contains(id)
                                    ? QStringLiteral("it contains this condition")
                                    : QStringLiteral("it comes later in the file");
            error(node,
                  QStringLiteral(
                      "stage %1 is not built yet where this condition is read (%2): only earlier "
                      "stages can be named, so the condition is always false")
                      .arg(quoted(id), why),
                  QStringLiteral("stage_id"));
            return Constant::False;
        }
        return Constant::No;
    }

    // What the conditions of all `name` children of node together always give.
    Constant combined(const SV_XmlNode& node, const QString& name) {
        QString op;
        QList<Constant> results;
        bool any = false;
        for (SV_XmlNode c = node.firstChildElement(name); !c.isNull();
             c = c.nextSiblingElement(name)) {
            any = true;
            op = c.attribute(QStringLiteral("condition"));
            for (SV_XmlNode cond = c.firstChildElement(); !cond.isNull();
                 cond = cond.nextSiblingElement())
                if (m_conditions.contains(placeKey(cond)))
                    results.append(m_conditions.value(placeKey(cond)));
        }
        if (!any)
            return Constant::No;
        if (op == QLatin1String("or")) {
            if (results.contains(Constant::True))
                return Constant::True;
            return std::all_of(results.begin(), results.end(),
                               [](Constant c) { return c == Constant::False; })
                       ? Constant::False
                       : Constant::No;
        }
        if (results.contains(Constant::False))
            return Constant::False;
        return Constant::No;
    }

    void checkValidity(const SV_XmlNode& node, const QString& what) {
        if (combined(node, QStringLiteral("valid-conditions")) == Constant::False) {
            const QString id = node.attribute(QStringLiteral("id"));
            warning(node,
                    QStringLiteral("this %1%2 is never valid: its valid conditions can never hold")
                        .arg(what, id.isEmpty() ? QString() : QLatin1Char(' ') + quoted(id)));
        }
    }

    // One ui-element shows one thing: of several, the last one is kept.
    void checkElementKinds(const SV_XmlNode& node) {
        static const QStringList kinds = {
            QStringLiteral("variable-input"),   QStringLiteral("variable-output"),
            QStringLiteral("action-sequence"),  QStringLiteral("text-output"),
            QStringLiteral("install-sequence"), QStringLiteral("action-launcher")};
        QList<SV_XmlNode> built;
        for (SV_XmlNode part = node.firstChildElement(); !part.isNull();
             part = part.nextSiblingElement()) {
            if (part.tagName() != QLatin1String("input-element") &&
                part.tagName() != QLatin1String("output-element"))
                continue;
            for (SV_XmlNode k = part.firstChildElement(); !k.isNull(); k = k.nextSiblingElement())
                if (kinds.contains(k.tagName()) &&
                    (part.tagName() == QLatin1String("output-element") ||
                     k.tagName() == QLatin1String("variable-input")))
                    built.append(k);
        }
        for (int i = 0; i + 1 < built.size(); ++i)
            error(
                built.at(i),
                QStringLiteral(
                    "%1 is not shown: a <ui-element> shows one thing, the last of them (%2)")
                    .arg(elementName(built.at(i).tagName()), elementName(built.last().tagName())));
    }

    // ---- actions and viewer options -------------------------------------------------

    void checkAction(const SV_XmlNode& node) {
        const QString type = node.attribute(QStringLiteral("type"));
        if (!node.hasAttribute(QStringLiteral("type")))
            return; // reported as a missing attribute
        const ActionType* rule = actionType(type);
        if (!rule) {
            QObject owner;
            if (createVendorAction(type, &owner))
                return; // a further type of this build: its options are its own
            QStringList known;
            for (const ActionType& t : actionTypes())
                known.append(t.type);
            known.sort();
            error(node,
                  QStringLiteral("unknown action type %1%2; the types are %3")
                      .arg(quoted(type), didYouMean(type, known), known.join(QStringLiteral(", "))),
                  QStringLiteral("type"));
            return;
        }
        QHash<QString, SV_XmlNode> given;
        QStringList names;
        for (const Option& o : rule->options)
            if (o.pattern.isEmpty())
                names.append(o.name);
        for (SV_XmlNode p = node.firstChildElement(QStringLiteral("option-param")); !p.isNull();
             p = p.nextSiblingElement(QStringLiteral("option-param"))) {
            const QString name = p.attribute(QStringLiteral("param"));
            if (!p.hasAttribute(QStringLiteral("param")))
                continue;
            const Option* option = actionOption(*rule, name);
            if (!option) {
                error(p,
                      QStringLiteral("action %1 (%2) has no option %3%4")
                          .arg(quoted(node.attribute(QStringLiteral("id"))), type, quoted(name),
                               didYouMean(name, names)),
                      QStringLiteral("param"));
                continue;
            }
            if (given.contains(name))
                warning(p,
                        QStringLiteral(
                            "option %1 is given again: this value replaces the one on line %2")
                            .arg(quoted(name))
                            .arg(given.value(name).line()),
                        QStringLiteral("param"));
            given.insert(name, p);
            checkValue(p, QStringLiteral("value"), p.attribute(QStringLiteral("value")),
                       option->value, name, Use::Option);
        }
        for (const Option& o : rule->options)
            if (o.required && !given.contains(o.name))
                error(node,
                      QStringLiteral("action %1 (%2) needs the option %3")
                          .arg(quoted(node.attribute(QStringLiteral("id"))), type, quoted(o.name)));
        const QString action =
            given.contains(QStringLiteral("action"))
                ? given.value(QStringLiteral("action")).attribute(QStringLiteral("value"))
                : QString();
        if (type == QLatin1String("process"))
            checkArguments(node, given);
        else if (type == QLatin1String("file-install"))
            checkFileInstall(node, given, action);
        else if (type == QLatin1String("file-edit") && action == QLatin1String("replace") &&
                 !given.contains(QStringLiteral("replace_regexp")))
            error(node,
                  QStringLiteral(
                      "action %1 (file-edit) replaces: it needs the option \"replace_regexp\"")
                      .arg(quoted(node.attribute(QStringLiteral("id")))));
        else if (type == QLatin1String("rpm"))
            checkPackages(given);
    }

    QString optionValue(const QHash<QString, SV_XmlNode>& given, const QString& name) const {
        return given.value(name).attribute(QStringLiteral("value"));
    }

    // arg1, arg2, ...: the arguments end at the first number not given.
    void checkArguments(const SV_XmlNode&, const QHash<QString, SV_XmlNode>& given) {
        int last = 0;
        while (given.contains(QStringLiteral("arg%1").arg(last + 1)))
            ++last;
        for (auto it = given.constBegin(); it != given.constEnd(); ++it) {
            static const QRegularExpression arg(QStringLiteral("^arg([1-9][0-9]*)$"));
            const QRegularExpressionMatch m = arg.match(it.key());
            if (m.hasMatch() && m.captured(1).toInt() > last + 1)
                error(*it,
                      QStringLiteral(
                          "option %1 is not read: the arguments end at the missing \"arg%2\"")
                          .arg(quoted(it.key()))
                          .arg(last + 1),
                      QStringLiteral("param"));
        }
        const SV_XmlNode templates = given.value(QStringLiteral("template-file"));
        for (const QString& item : optionValue(given, QStringLiteral("template-file"))
                                       .split(QLatin1Char(','), Qt::SkipEmptyParts)) {
            if (!given.contains(item)) {
                error(templates,
                      QStringLiteral("template-file names the option %1, which is not given")
                          .arg(quoted(item)),
                      QStringLiteral("value"));
                continue;
            }
            const QString path = optionValue(given, item);
            if (SV_VariableRegExp::references(path).isEmpty())
                checkTemplate(given.value(item), QStringLiteral("value"), path, path);
        }
    }

    void checkFileInstall(const SV_XmlNode& node, const QHash<QString, SV_XmlNode>& given,
                          const QString& action) {
        if (!action.isNull() && action != QLatin1String("install"))
            return;
        if (!given.contains(QStringLiteral("install-location")))
            error(node,
                  QStringLiteral(
                      "action %1 (file-install) installs: it needs the option \"install-location\"")
                      .arg(quoted(node.attribute(QStringLiteral("id")))));
        const QString name = optionValue(given, QStringLiteral("file"));
        if (!given.contains(QStringLiteral("file")) ||
            !SV_VariableRegExp::references(name).isEmpty())
            return;
        const SV_XmlNode file = given.value(QStringLiteral("file"));
        const QString path = SV_Engine::lookupFile(m_resourceDir, name);
        if (optionValue(given, QStringLiteral("template")) == QLatin1String("true"))
            checkTemplate(file, QStringLiteral("value"), path, name);
        else
            checkFile(file, QStringLiteral("value"), path, name, QStringLiteral("resource"));
    }

    // Packages to install: one file NAME*.ARCH.rpm for each name in the component directory.
    void checkPackages(const QHash<QString, SV_XmlNode>& given) {
        if (optionValue(given, QStringLiteral("command")) != QLatin1String("install"))
            return;
        QString arch = optionValue(given, QStringLiteral("arch"));
        if (!SV_VariableRegExp::references(arch).isEmpty())
            return; // known only when the installation runs
        if (arch.isEmpty())
            arch = QStringLiteral("i386");
        const SV_XmlNode rpms = given.value(QStringLiteral("rpms"));
        const QDir dir(m_componentDir);
        for (const QString& name : optionValue(given, QStringLiteral("rpms"))
                                       .split(QLatin1Char(','), Qt::SkipEmptyParts)) {
            const QString pattern = name + QStringLiteral("*.") + arch + QStringLiteral(".rpm");
            const QStringList files =
                dir.entryList({pattern}, QDir::Files, QDir::Name | QDir::IgnoreCase);
            bool found = files.size() == 1;
            for (const QString& f : files)
                found = found || (f.size() > name.size() + 1 && f.at(name.size() + 1).isDigit());
            if (!found)
                error(
                    rpms,
                    QStringLiteral(
                        "no package file for %1: nothing matches %2 in the component directory %3")
                        .arg(quoted(name), pattern,
                             m_componentDir.isNull() ? QStringLiteral("(none)")
                                                     : QDir::cleanPath(m_componentDir)),
                    QStringLiteral("value"));
        }
    }

    void checkViewerOption(const SV_XmlNode& node) {
        if (!node.hasAttribute(QStringLiteral("param")))
            return;
        const QString name = node.attribute(QStringLiteral("param"));
        const Option* option = viewerOption(name);
        if (!option) {
            QStringList names;
            for (const Option& o : viewerOptions())
                if (o.pattern.isEmpty())
                    names.append(o.name);
            error(node,
                  QStringLiteral("there is no viewer option %1%2")
                      .arg(quoted(name), didYouMean(name, names)),
                  QStringLiteral("param"));
            return;
        }
        const QString value = node.attribute(QStringLiteral("value"));
        checkValue(node, QStringLiteral("value"), value, option->value, name, Use::ViewerOption);
        if (name == QLatin1String("bg-type") && value == QLatin1String("tiled"))
            checkFile(node, QStringLiteral("value"),
                      SV_Engine::lookupFile(m_resourceDir, QStringLiteral("bg-tile-img")),
                      QStringLiteral("bg-tile-img"), QStringLiteral("resource"));
    }

    // ---- after the walk -------------------------------------------------------------

    void reportUnused() {
        for (auto it = m_variables.constBegin(); it != m_variables.constEnd(); ++it)
            if (!it->builtIn && !it->used)
                warning(
                    it->node,
                    QStringLiteral("variable %1 is used nowhere: no stage shows it and no action, "
                                   "condition or text uses it")
                        .arg(quoted(it.key())));
        for (auto it = m_actions.constBegin(); it != m_actions.constEnd(); ++it)
            if (!it->run)
                warning(
                    it->node,
                    QStringLiteral("action %1 is never run: no action list, sequence, launcher or "
                                   "var-init names it")
                        .arg(quoted(it.key())));
        // Display texts in the order of the file; each language once per text.
        for (const Language& language : std::as_const(m_languages)) {
            if (language.translators.isEmpty())
                continue;
            for (const SV_XmlNode& element : std::as_const(m_displayTexts)) {
                const QString source = SV_Engine::displayTextSource(element);
                const SV_XmlNode string = element.firstChildElement(QStringLiteral("string"));
                if (source.isEmpty())
                    continue;
                const QByteArray key = source.toUtf8();
                const bool translated =
                    std::any_of(language.translators.begin(), language.translators.end(),
                                [&key](const std::shared_ptr<QTranslator>& t) {
                                    return !t->translate("SV_Engine", key.constData()).isEmpty();
                                });
                if (!translated)
                    warning(string,
                            QStringLiteral("display text %1 has no translation for language %2")
                                .arg(quoted(source), quoted(language.encoding)));
            }
        }
    }

    // A language without any translation file shows the texts as written: that is the
    // language the file is written in. Two or more such languages cannot all be.
    void checkLanguagesWithoutTranslations() {
        QList<const Language*> without;
        for (const Language& language : std::as_const(m_languages))
            if (language.files.isEmpty())
                without.append(&language);
        if (without.size() < 2)
            return;
        for (const Language* language : std::as_const(without))
            warning(language->node,
                    QStringLiteral(
                        "language %1 has no translation files in %2: its texts stay as written, "
                        "like those of %3 other language(s) without translations")
                        .arg(quoted(language->encoding), m_translationDir.isNull()
                                                             ? QStringLiteral("(no directory)")
                                                             : QDir::cleanPath(m_translationDir))
                        .arg(without.size() - 1));
    }

    const QString m_prefix;
    QList<SV_InstallProblem>& m_out;
    QString m_source;
    QList<qsizetype> m_lineStarts;
    QString m_resourceDir;
    QString m_componentDir;
    QString m_translationDir;
    QList<Language> m_languages;
    QHash<QString, VariableDef> m_variables;
    QHash<QString, ActionDef> m_actions;
    QHash<QString, SV_XmlNode> m_profiles;
    QHash<QString, SV_XmlNode> m_stages;
    QHash<QString, int> m_definedAt;
    QString m_currentVariable;
    QStringList m_stagePath;
    QSet<QString> m_builtStages;
    QHash<quint64, Constant> m_conditions;
    QList<SV_XmlNode> m_displayTexts;
};

// Edits between two names: characters inserted, deleted or replaced, and two neighbours
// swapped, each one edit.
int editDistance(const QString& a, const QString& b) {
    const qsizetype n = a.size(), m = b.size();
    std::vector<std::vector<int>> d(size_t(n + 1), std::vector<int>(size_t(m + 1)));
    for (qsizetype i = 0; i <= n; ++i)
        d[i][0] = int(i);
    for (qsizetype j = 0; j <= m; ++j)
        d[0][j] = int(j);
    for (qsizetype i = 1; i <= n; ++i)
        for (qsizetype j = 1; j <= m; ++j) {
            const int cost = a.at(i - 1) == b.at(j - 1) ? 0 : 1;
            d[i][j] = std::min({d[i - 1][j] + 1, d[i][j - 1] + 1, d[i - 1][j - 1] + cost});
            if (i > 1 && j > 1 && a.at(i - 1) == b.at(j - 2) && a.at(i - 2) == b.at(j - 1))
                d[i][j] = std::min(d[i][j], d[i - 2][j - 2] + 1);
        }
    return d[n][m];
}

} // namespace

SV_InstallCheck::SV_InstallCheck(const QString& prefix) : m_prefix(prefix) {}

QString SV_InstallCheck::nearest(const QString& name, const QStringList& candidates) {
    QString best;
    int bestDistance = 0;
    for (const QString& c : candidates) {
        if (c == name)
            continue;
        // Case alone, or "_" for "-", counts as nearest of all.
        int d = editDistance(name.toLower(), c.toLower());
        if (d > 0 && QString(name).replace(QLatin1Char('_'), QLatin1Char('-')).toLower() ==
                         QString(c).replace(QLatin1Char('_'), QLatin1Char('-')).toLower())
            d = 0;
        // Short names only by case or "_" for "-": any short name is near any other.
        const int length = int(std::max(name.size(), c.size()));
        const int limit = length < 4 ? 0 : std::max(1, std::min(3, length / 3));
        if (d <= limit && (best.isNull() || d < bestDistance)) {
            best = c;
            bestDistance = d;
        }
    }
    return best;
}

bool SV_InstallCheck::checkFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        m_problems.append({SV_InstallProblem::Error, 0, 0,
                           QStringLiteral("cannot read the file: %1").arg(file.errorString())});
        return false;
    }
    checkContent(file.readAll());
    return true;
}

void SV_InstallCheck::checkContent(const QByteArray& xml) {
    QList<SV_InstallProblem> found;
    Checker(m_prefix, found).run(xml);
    std::stable_sort(found.begin(), found.end(),
                     [](const SV_InstallProblem& a, const SV_InstallProblem& b) {
                         return a.line != b.line ? a.line < b.line : a.column < b.column;
                     });
    m_problems.append(found);
}

int SV_InstallCheck::errorCount() const {
    return int(std::count_if(m_problems.begin(), m_problems.end(), [](const SV_InstallProblem& p) {
        return p.severity == SV_InstallProblem::Error;
    }));
}

int SV_InstallCheck::warningCount() const {
    return int(m_problems.size()) - errorCount();
}

QString SV_InstallCheck::report(const QString& fileName) const {
    QString out;
    for (const SV_InstallProblem& p : m_problems) {
        const QString severity = p.severity == SV_InstallProblem::Error ? QStringLiteral("error")
                                                                        : QStringLiteral("warning");
        if (p.line > 0)
            out += QStringLiteral("%1:%2:%3: %4: %5\n")
                       .arg(fileName)
                       .arg(p.line)
                       .arg(p.column)
                       .arg(severity, p.text);
        else
            out += QStringLiteral("%1: %2: %3\n").arg(fileName, severity, p.text);
    }
    return out;
}
