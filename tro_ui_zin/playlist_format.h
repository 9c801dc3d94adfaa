#pragma once
// The compiled title format of playlist rows: the host's title-format configuration
// {B905715B-4B26-4E0E-B3B8-FF4A232A4258}, compiled when a skin loads.

#include <trovaplay/sdk/titleformat_script.h>

extern service_ptr_t<titleformat_script> g_playlist_format;

// Compiles the configuration into g_playlist_format; a host without it (or whose text does not
// compile) leaves the script as it was. Never throws.
void compile_playlist_format();
