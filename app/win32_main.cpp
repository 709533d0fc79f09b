#include <windows.h>

#include "app/win32_startup.h"

int WINAPI WinMain(HINSTANCE programInstance, HINSTANCE /*previousInstance*/, LPSTR commandLine, int /*showCommand*/)
{
    return RunVitrane(programInstance, commandLine);
}
