#include <windows.h>

#include "app/application.h"
#include "app/message_loop.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    appInstance = instance;
    const bool ready = appInit();
    if (ready) runMessageLoop(appFrame);
    appShutdown();
    return ready ? 0 : 1;  // the quit message's own value is not used
}
