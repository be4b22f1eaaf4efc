// The module's path texts, which the plug-in defines with its other static objects; the tests
// define them here instead.
#include "settings/Paths.h"

Text g_strHostIniPath;
Text g_strModuleName;
Text g_strPluginIniPath;
