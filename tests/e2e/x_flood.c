/* Floods the X server in DISPLAY with synthetic input through XTest, as fast
 * as the connection takes it:
 *   x_flood motion N X Y W H   N pointer motions inside the rectangle, ending at (X+W-1, Y+H-1)
 *   x_flood keys N KEYSYM      N presses and releases of one key, to the focused window
 * and waits until the server has handled every one. */
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

int main(int argc, char** argv) {
    if (argc < 4) {
        fprintf(stderr, "usage: x_flood motion N X Y W H | x_flood keys N KEYSYM\n");
        return 2;
    }
    Display* display = XOpenDisplay(NULL);
    if (display == NULL) {
        fprintf(stderr, "x_flood: cannot open the display\n");
        return 1;
    }
    const long count = strtol(argv[2], NULL, 10);
    if (strcmp(argv[1], "motion") == 0 && argc == 7) {
        const int x = atoi(argv[3]), y = atoi(argv[4]), w = atoi(argv[5]), h = atoi(argv[6]);
        for (long i = 0; i < count; ++i) {
            /* A walk over the rectangle whose last step lands on its far corner. */
            const long left = count - 1 - i;
            XTestFakeMotionEvent(display, -1, x + w - 1 - (int)(left * 7 % w), y + h - 1 - (int)(left * 13 % h),
                                 CurrentTime);
        }
    } else if (strcmp(argv[1], "keys") == 0) {
        const KeyCode code = XKeysymToKeycode(display, XStringToKeysym(argv[3]));
        if (code == 0) {
            fprintf(stderr, "x_flood: no key for %s\n", argv[3]);
            return 1;
        }
        for (long i = 0; i < count; ++i) {
            XTestFakeKeyEvent(display, code, True, CurrentTime);
            XTestFakeKeyEvent(display, code, False, CurrentTime);
        }
    } else {
        fprintf(stderr, "x_flood: unknown flood %s\n", argv[1]);
        return 2;
    }
    XSync(display, False);
    XCloseDisplay(display);
    return 0;
}
