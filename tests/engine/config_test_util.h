#pragma once
// Helpers of the configuration tests: files of hand-built bytes in a profile folder of their own,
// and a store that is empty before and after every test.

#include <zin_config/zin_config.h>

#include <tro_ui_zin.h>

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

namespace config_test {

// The file format's pieces, appended little-endian.
class bytes {
public:
    bytes& u32(uint32_t v) { return raw(&v, 4); }
    bytes& i32(int32_t v) { return raw(&v, 4); }
    bytes& u8(uint8_t v) { return raw(&v, 1); }
    bytes& f64(double v) { return raw(&v, 8); }
    bytes& wstr(const std::wstring& s) {
        u32(static_cast<uint32_t>(s.size()));
        return raw(s.data(), s.size() * 2);
    }
    bytes& str(const std::string& s) {
        u32(static_cast<uint32_t>(s.size()));
        return raw(s.data(), s.size());
    }
    bytes& rect(int32_t l, int32_t t, int32_t r, int32_t b) { return i32(l).i32(t).i32(r).i32(b); }
    bytes& raw(const void* p, size_t n) {
        data.append(static_cast<const char*>(p), n);
        return *this;
    }
    bytes& append(const bytes& other) {
        data += other.data;
        return *this;
    }
    std::string data;
};

inline std::string utf8(const std::wstring& wide) {
    const int n = WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), -1, &out[0], n, nullptr, nullptr);
    out.resize(static_cast<size_t>(n - 1));
    return out;
}

inline std::string read_whole(const std::wstring& path) {
    std::string out;
    FILE* f = _wfopen(path.c_str(), L"rb");
    if (!f) return "<missing>";
    char buffer[4096];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, f)) > 0) out.append(buffer, n);
    fclose(f);
    return out;
}

inline bool write_whole(const std::wstring& path, const std::string& data) {
    FILE* f = _wfopen(path.c_str(), L"wb");
    if (!f) return false;
    const bool ok = fwrite(data.data(), 1, data.size(), f) == data.size();
    return fclose(f) == 0 && ok;
}

inline bool exists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// A fresh profile folder under the temporary folder (name may hold any characters), made the
// engine's profile folder; the store is emptied before and after.
class profile_fixture : public ::testing::Test {
protected:
    std::wstring profile;
    std::string profile_utf8;

    void use_profile(const std::wstring& name) {
        remove_profile();
        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        profile = std::wstring(temp) + name + L"_" + std::to_wstring(GetCurrentProcessId());
        CreateDirectoryW(profile.c_str(), nullptr);
        for (const wchar_t* leftover : {L"", L".bad", L".tmp"})
            DeleteFileW((cfg() + leftover).c_str());
        profile_utf8 = utf8(profile);
        g_profile_dir = profile_utf8.c_str();
    }
    void SetUp() override {
        reset_store();
        use_profile(L"zin_cfg");
    }
    void TearDown() override {
        reset_store();
        g_profile_dir = nullptr;
        remove_profile();
    }
    void remove_profile() {
        if (profile.empty()) return;
        for (const wchar_t* leftover : {L"", L".bad", L".tmp"}) DeleteFileW((cfg() + leftover).c_str());
        RemoveDirectoryW(profile.c_str());
        profile.clear();
    }
    static void reset_store() {
        clear_skin_sections();
        set_skin_path(nullptr);
        memset(g_custom_colors, 0, sizeof g_custom_colors);
        g_config_enabled = true;
    }
    std::wstring cfg() const { return profile + L"\\tro_ui_zin.cfg"; }
    bool write_cfg(const bytes& b) const { return write_whole(cfg(), b.data); }
    std::string cfg_bytes() const { return read_whole(cfg()); }
};

}  // namespace config_test
