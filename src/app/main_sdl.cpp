#include "app/application.h"
#include "app/message_loop.h"

int main(int, char**) {
    const bool ready = appInit();
    if (ready) runMessageLoop(appFrame);
    appShutdown();
    return ready ? 0 : 1;
}
