#include "sv_actiontypes.h"

#include "sv_checkjavaaction.h"
#include "sv_checkprocessaction.h"
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

namespace {

struct ActionType {
    const char* name;
    SV_Action* (*create)(QObject* parent);
};

template <typename Action> SV_Action* make(QObject* parent) {
    return new Action(parent);
}

const ActionType actionTypes[] = {
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

QStringList SV_ActionTypes::names() {
    QStringList result;
    for (const ActionType& type : actionTypes)
        result << QLatin1String(type.name);
    return result;
}

SV_Action* SV_ActionTypes::create(const QString& type, QObject* parent) {
    for (const ActionType& entry : actionTypes) {
        if (type == QLatin1String(entry.name))
            return entry.create(parent);
    }
    return nullptr;
}
