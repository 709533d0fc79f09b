#include <windows.h>

#include "app/win32_startup.h"
#include "text/win32_wide.h"

// The wide entry point (linked with -municode): the ANSI command line would
// turn whatever the code page lacks into question marks before the "Wrong
// parameter!" box shows it.
int WINAPI wWinMain(HINSTANCE programInstance, HINSTANCE /*previousInstance*/, LPWSTR commandLine,
                    int /*showCommand*/)
{
    const std::string commandLineText = Utf8FromWide(commandLine != nullptr ? commandLine : L"");
    return RunVitrane(programInstance, commandLineText.c_str());
}
