// The component version record of tro_ui_zin.dll. The module entry itself lives in the SDK layer
// (kept in the DLL whole) and is exported by name at ordinal 1 through tro_ui_zin.def.

#include <trovaplay/sdk/componentversion.h>

static componentversion_impl_simple_factory g_componentversion_factory("zin_window_debug", "0.1",
                                                                       "skinnable ui for trovaplay");
