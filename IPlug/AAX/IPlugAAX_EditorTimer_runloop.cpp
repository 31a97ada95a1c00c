// No timer messages here: the framework timers (the 20 ms parameter and
// meter refresh, the editor's display clock) run when the host's
// user-interface loop wakes the editor object.
#include "AAX_CEffectGUI_IPLUG.h"
#include "IPlugTimer.h"

void iplug::PumpFrameworkTimersFromHost()
{
  Timer::PumpAll();
}
