// The thread's message loop delivers the framework timers' messages: the
// host's wake-up has nothing to add.
#include "AAX_CEffectGUI_IPLUG.h"

void iplug::PumpFrameworkTimersFromHost() {}
