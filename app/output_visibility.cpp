#include "app/output_visibility.h"

bool ScreenCanBeSeen(const ScreenState& state, const std::function<bool()>& saverTakesInput)
{
    if (state.displayOff || state.sessionDisconnected || state.systemSuspending) {
        return false;
    }
    return !state.sessionLocked || saverTakesInput();
}
