#include "playlist_format.h"

#include <trovaplay/sdk/console.h>
#include <trovaplay/sdk/titleformat_config.h>

#include <exception>
#include <string>

service_ptr_t<titleformat_script> g_playlist_format;

namespace {
constexpr GUID kPlaylistRowFormat = {0xB905715B, 0x4B26, 0x4E0E, {0xB3, 0xB8, 0xFF, 0x4A, 0x32, 0x2A, 0x42, 0x58}};
}

void compile_playlist_format() {
    try {
        (void)titleformat_config_compile(kPlaylistRowFormat, g_playlist_format);
    } catch (const std::exception& e) {
        console::error((std::string("playlist title format: ") + e.what()).c_str());
    }
}
