// What the SDL backend does when the display goes away under it.
#pragma once

// Once the X server is gone nothing can be shown again, and the cleanup that
// exit() runs would wait on that server for ever: say so in one line and end
// with exit code 1 at once. Nothing to do for other video drivers.
void endAtOnceIfDisplayLost();
