#include "sv_checkprocessaction.h"

#include "sv_variableregexp.h"

bool SV_CheckProcessAction::fixCommandLine() {
    m_processName = option(QStringLiteral("name"));
    SV_VariableRegExp::fixString(m_processName);
    if (m_processName.isEmpty()) {
        err(ID(), QStringLiteral("No process name to check was given"));
        return false;
    }
    log(ID(), QStringLiteral("Checking for process name: ") + m_processName);
    m_commandLine = {QStringLiteral("ps"), QStringLiteral("-C"), m_processName,
                     QStringLiteral("-o"), QStringLiteral("pid=")};
    return true;
}

void SV_CheckProcessAction::slot_procDone() {
    dbg(QStringLiteral("SV_CheckProcessAction::slot_procDone()"));
    checkOutput();
    process_procDone();
}

void SV_CheckProcessAction::slot_procDone(SV_ChildProcess*) {
    dbg(QStringLiteral("SV_CheckProcessAction::slot_procDone(KProcess*)"));
    checkOutput();
    process_procDone();
}

void SV_CheckProcessAction::checkOutput() {
    dbg(QStringLiteral("SV_CheckProcessAction::slot_procDone, m_proc_stdout = >") + m_stdout +
        QStringLiteral("<"));
    if (!m_stdout.isEmpty()) {
        dbg(QStringLiteral("m_proc_stdout not empty, so we're ok.., output = ") + m_stdout);
        return;
    }
    err(ID(), QStringLiteral("Process: %1 is not running").arg(m_processName));
}
