#pragma once
// Shared by the hostile-input tests: a seeded generator, and the check that a profile's
// configuration file is one the component reads.

#include <zin_config/zin_config.h>

#include <tro_ui_zin.h>

#include <support/files.h>

#include <cstdint>
#include <string>

namespace hostile {

// A small deterministic generator (xorshift), the same on every machine.
class random {
public:
    explicit random(std::uint32_t seed) : m_state(seed * 2654435761u + 1u) {}
    std::uint32_t next() {
        m_state ^= m_state << 13;
        m_state ^= m_state >> 17;
        m_state ^= m_state << 5;
        return m_state;
    }
    std::uint32_t below(std::uint32_t n) { return n ? next() % n : 0; }

private:
    std::uint32_t m_state;
};

// Whether the component's own reader takes the configuration file of the profile folder.
inline bool config_loads(const std::wstring& profile) {
    const std::string folder = test_support::narrow(profile);
    g_profile_dir = folder.c_str();
    const bool ok = load_config();
    clear_skin_sections();
    g_profile_dir = nullptr;
    return ok;
}

}  // namespace hostile
