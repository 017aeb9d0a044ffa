// PLACEHOLDER: replaced by the variables work. Lets the engine library link meanwhile.
#include "sv_engine.h"

void SV_Engine::loadVariables(const QDomElement&) {}
