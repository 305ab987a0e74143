#pragma once

#include <string>

// The file of the font that fontconfig picks for the default family; empty if none.
std::string defaultFontFile();
