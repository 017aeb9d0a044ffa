// The engine's action factory and the readers of the actions, pre-install and
// post-install sections.
#include "sv_actionprocessor.h"
#include "sv_actiontypes.h"
#include "sv_engine.h"
#include "sv_vendoraction.h"


SV_Action* SV_Engine::createAction(const QString& type) {
    if (SV_Action* action = SV_ActionTypes::create(type, this))
        return action;

    SV_Action* action = createVendorAction(type, this);
    if (!action)
        qFatal("Could not create action for type: %s", qPrintable(type));
    return action;
}

void SV_Engine::loadActions(const SV_XmlNode& root) {
    const SV_XmlNode actions = section(root, QStringLiteral("actions"));
    for (SV_XmlNode element = actions.firstChildElement(QStringLiteral("action"));
         !element.isNull(); element = element.nextSiblingElement(QStringLiteral("action"))) {
        SV_Action* action = createAction(loadAttr(element, QStringLiteral("type")));
        const QString id = loadAttr(element, QStringLiteral("id"));
        action->setID(id);
        for (SV_XmlNode param = element.firstChildElement(QStringLiteral("option-param"));
             !param.isNull(); param = param.nextSiblingElement(QStringLiteral("option-param"))) {
            action->setOption(loadAttr(param, QStringLiteral("param")),
                              loadAttr(param, QStringLiteral("value")));
        }
        m_actions.insert(id, action);
    }
}

namespace {

void loadActionList(SV_Engine* engine, const SV_XmlNode& list, SV_ActionProcessor* processor) {
    for (SV_XmlNode element = list.firstChildElement(); !element.isNull();
         element = element.nextSiblingElement()) {
        if (SV_Action* action = engine->buildActionListEntry(element))
            processor->addAction(action);
    }
}

} // namespace

void SV_Engine::loadPreInstall(const SV_XmlNode& root) {
    loadActionList(this, section(root, QStringLiteral("pre-install")), m_preinstall);
}

void SV_Engine::loadPostInstall(const SV_XmlNode& root) {
    loadActionList(this, section(root, QStringLiteral("post-install")), m_postinstall);
}

SV_Action* SV_Engine::buildActionListEntry(const SV_XmlNode& node) {
    const QString name = node.toElement().tagName();
    if (name == QLatin1String("var-init"))
        return buildVarInitializer(node);
    if (name == QLatin1String("var-modify"))
        return buildVarModifier(node);
    if (name == QLatin1String("run-action"))
        return action(loadAttr(node, QStringLiteral("action_id")));
    return nullptr;
}

SV_Action* SV_Engine::buildVarInitializer(const SV_XmlNode& node) {
    SV_Action* action = createAction(QStringLiteral("var-initializer"));
    action->setOption(QStringLiteral("var_id"), loadAttr(node, QStringLiteral("var_id")));
    action->setOption(QStringLiteral("action_id"), loadAttr(node, QStringLiteral("action_id")));
    // The data around the value is taken exactly as written.
    for (const QString& key : {QStringLiteral("prepend-data"), QStringLiteral("append-data")}) {
        const SV_XmlNode data = node.firstChildElement(key);
        action->setOption(key, data.isNull() ? QLatin1String("") : data.text());
    }
    return action;
}

SV_Action* SV_Engine::buildVarModifier(const SV_XmlNode& node) {
    SV_Action* action = createAction(QStringLiteral("var-modifier"));
    action->setOption(QStringLiteral("var_id"), loadAttr(node, QStringLiteral("var_id")));
    action->setOption(QStringLiteral("newstring"), loadAttr(node, QStringLiteral("newstring")));
    return action;
}
