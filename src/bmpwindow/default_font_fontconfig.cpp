#include <fontconfig/fontconfig.h>

#include "bmpwindow/default_font.h"

std::string defaultFontFile() {
    std::string file;
    if (FcInit() == FcFalse) return file;
    FcPattern* pattern = FcPatternCreate();  // no family named: the default one
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    if (FcPattern* match = FcFontMatch(nullptr, pattern, &result)) {
        FcChar8* path = nullptr;
        if (FcPatternGetString(match, FC_FILE, 0, &path) == FcResultMatch) file = reinterpret_cast<char*>(path);
        FcPatternDestroy(match);
    }
    FcPatternDestroy(pattern);
    FcFini();  // only the path is needed, once
    return file;
}
