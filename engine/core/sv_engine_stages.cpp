// PLACEHOLDER: replaced by the stages work. Lets the engine library link meanwhile.
#include "sv_engine.h"

void SV_Engine::loadStages(const QDomElement&) {}
SV_Stage* SV_Engine::buildStage(const QDomNode&) { return nullptr; }
SV_Condition* SV_Engine::buildCondition(const QDomNode&) { return nullptr; }
SV_UIElement* SV_Engine::buildUIElement(const QDomNode&) { return nullptr; }
