// The engine's action factory and the readers of the actions, pre-install and
// post-install sections.
#include "sv_actionprocessor.h"
#include "sv_checkjavaaction.h"
#include "sv_checkprocessaction.h"
#include "sv_engine.h"
#include "sv_fileeditaction.h"
#include "sv_fileinstallaction.h"
#include "sv_genrandompasswordaction.h"
#include "sv_hostnameaction.h"
#include "sv_loadenvironmentvaraction.h"
#include "sv_pauseaction.h"
#include "sv_processaction.h"
#include "sv_readfileaction.h"
#include "sv_rpmaction.h"
#include "sv_serverconnectaction.h"
#include "sv_varinitializer.h"
#include "sv_varmodifier.h"
#include "sv_vendoraction.h"


namespace {

template <typename T>
SV_Action* make(QObject* parent) {
    return new T(parent);
}

// The action types of the install file and the classes they create. The install-file
// check knows the types from here too.
struct ActionFactory {
    const char* type;
    SV_Action* (*create)(QObject*);
};
const ActionFactory kActionFactories[] = {
    {"gethostname", make<SV_HostnameAction>},
    {"process", make<SV_ProcessAction>},
    {"file-edit", make<SV_FileEditAction>},
    {"file-install", make<SV_FileInstallAction>},
    {"rpm", make<SV_RPMAction>},
    {"check-java", make<SV_CheckJavaAction>},
    {"check-process", make<SV_CheckProcessAction>},
    {"pause", make<SV_PauseAction>},
    {"server-connect", make<SV_ServerConnectAction>},
    {"read-file", make<SV_ReadFileAction>},
    {"var-modifier", make<SV_VarModifier>},
    {"var-initializer", make<SV_VarInitializer>},
    {"generate-password", make<SV_GenRandomPasswordAction>},
    {"load-environment-variable", make<SV_LoadEnvironmentVarAction>},
};

} // namespace

QStringList SV_Engine::actionTypes() {
    QStringList types;
    for (const ActionFactory& f : kActionFactories)
        types.append(QLatin1String(f.type));
    return types;
}

SV_Action* SV_Engine::createAction(const QString& type) {
    for (const ActionFactory& f : kActionFactories)
        if (type == QLatin1String(f.type))
            return f.create(this);

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
