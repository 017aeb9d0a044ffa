// PLACEHOLDER: replaced by the actions work. Lets the engine library link meanwhile.
#include "sv_engine.h"

void SV_Engine::loadActions(const QDomElement&) {}
void SV_Engine::loadPreInstall(const QDomElement&) {}
void SV_Engine::loadPostInstall(const QDomElement&) {}
SV_Action* SV_Engine::createAction(const QString&) { return nullptr; }
SV_Action* SV_Engine::buildVarInitializer(const QDomNode&) { return nullptr; }
SV_Action* SV_Engine::buildVarModifier(const QDomNode&) { return nullptr; }
SV_Action* SV_Engine::buildActionListEntry(const QDomNode&) { return nullptr; }
