// Reading the variables section of the install file.
#include "sv_boolvariable.h"
#include "sv_choicevariable.h"
#include "sv_directoryvariable.h"
#include "sv_engine.h"
#include "sv_numbervariable.h"
#include "sv_passwordvariable.h"
#include "sv_textvariable.h"

namespace {

// The data element of a variable: the first child of data-type that is not a comment.
SV_XmlNode dataElement(const SV_XmlNode& variable) {
    SV_XmlNode node = variable.firstChildElement(QStringLiteral("data-type")).firstChild();
    while (!node.isNull() && node.isComment())
        node = node.nextSibling();
    return node;
}

} // namespace

void SV_Engine::loadVariables(const SV_XmlNode& root) {
    const SV_XmlNode section = root.firstChildElement(QStringLiteral("variables"));
    for (SV_XmlNode element = section.firstChildElement(QStringLiteral("variable"));
         !element.isNull(); element = element.nextSiblingElement(QStringLiteral("variable"))) {
        const QString id = loadAttr(element, QStringLiteral("id"));
        const QString text = loadDisplayText(element);
        const bool hasDefault = element.hasAttribute(QStringLiteral("default"));
        // A present but empty attribute is an empty, not a null, default.
        QString def = element.attribute(QStringLiteral("default"));
        if (hasDefault && def.isNull())
            def = QLatin1String("");

        const SV_XmlNode data = dataElement(element);
        const QString kind = data.isElement() ? data.nodeName() : QString();
        QStringList defaults;
        if (hasDefault)
            defaults.append(def);

        SV_Variable* variable = nullptr;
        if (kind == QLatin1String("text-data")) {
            variable = new SV_TextVariable(this);
            variable->setOption(QStringLiteral("validation-type"),
                                loadAttr(data, QStringLiteral("validation-type")));
        } else if (kind == QLatin1String("single-selection") ||
                   kind == QLatin1String("multiple-selection")) {
            const bool multiple = kind == QLatin1String("multiple-selection");
            if (multiple)
                variable = new SV_MChoiceVariable(this);
            else
                variable = new SV_SChoiceVariable(this);
            for (SV_XmlNode c = data.firstChildElement(QStringLiteral("choice")); !c.isNull();
                 c = c.nextSiblingElement(QStringLiteral("choice"))) {
                auto* choice = new SV_Choice;
                choice->setID(loadAttr(c, QStringLiteral("id")));
                choice->setText(loadDisplayText(c));
                if (multiple)
                    choice->depends = loadAttr(c, QStringLiteral("depends"))
                                          .split(QLatin1Char(','), Qt::SkipEmptyParts);
                variable->addChoice(choice);
            }
            if (multiple)
                defaults = def.split(QLatin1Char(','), Qt::SkipEmptyParts);
        } else if (kind == QLatin1String("directory-selection")) {
            variable = new SV_DirectoryVariable(this);
        } else if (kind == QLatin1String("profile-selection")) {
            variable = new SV_ProfileVariable(this);
            for (SV_XmlNode c = data.firstChildElement(QStringLiteral("profile-choice"));
                 !c.isNull(); c = c.nextSiblingElement(QStringLiteral("profile-choice"))) {
                auto* choice = new SV_Choice;
                choice->setID(loadAttr(c, QStringLiteral("profile_id")));
                variable->addChoice(choice);
            }
        } else if (kind == QLatin1String("boolean")) {
            variable = new SV_BoolVariable(this);
            for (const char* name : {"true-text", "false-text", "undefined-text"}) {
                const SV_XmlNode child = data.firstChildElement(QLatin1String(name));
                if (!child.isNull())
                    variable->setOption(QLatin1String(name), loadDisplayText(child));
            }
        } else if (kind == QLatin1String("password-data")) {
            variable = new SV_PasswordVariable(this);
            const SV_XmlNode conditions =
                data.firstChildElement(QStringLiteral("password-conditions"));
            if (!conditions.isNull()) {
                variable->setOption(QStringLiteral("min_length"),
                                    loadAttr(conditions, QStringLiteral("min_length")));
                variable->setOption(QStringLiteral("security"),
                                    loadAttr(conditions, QStringLiteral("security")));
            }
            if (hasDefault)
                defaults.append(def);
        } else if (kind == QLatin1String("numeric-data")) {
            variable = new SV_NumberVariable(this);
            for (const char* name : {"datatype", "min", "max"})
                variable->setOption(QLatin1String(name), loadAttr(data, QLatin1String(name)));
        }
        if (!variable)
            continue;

        variable->setID(id);
        variable->setText(text);
        if (!defaults.isEmpty())
            variable->storeValue(defaults);
        // A later variable with the same id hides this one in lookups; both stay alive.
        m_variables.insert(id, variable);
    }
}
