#pragma once

#include <functional>

// What the system last told about who can see the screen.
struct ScreenState {
    bool displayOff = false;
    bool sessionLocked = false;
    bool sessionDisconnected = false;
    bool systemSuspending = false;
};

// False while nobody can see the full-screen output. A locked session hides
// it only once the saver's desktop no longer takes the input: with "On
// resume, display logon screen" the system may report the lock while the
// saver is still what the user sees, and the picture must not freeze there.
// saverTakesInput is asked only while the session is locked.
bool ScreenCanBeSeen(const ScreenState& state, const std::function<bool()>& saverTakesInput);
