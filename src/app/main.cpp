// Entry point of Tarvex.exe: the application object runs the whole program.
#include <windows.h>

#include "app/TarvexApp.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int)
{
    CTarvexApp app(instance);
    app.InitInstance();
    return app.ExitInstance();
}
