// A library that carries the product's settings code, so a test can see what
// the settings location is when the product lives in a library file.

#include "module/Settings.h"

#include <string>

extern "C" __attribute__((visibility("default"))) const char* ProbeCatViewSettingsKey()
{
    static const std::string key = pellidor::SettingsKey(pellidor::kCatViewSection);
    return key.c_str();
}
