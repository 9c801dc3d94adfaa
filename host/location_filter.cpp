#include "location_filter.h"

#include <trovaplay/sdk/metadb_handle.h>

#include "guard.h"
#include "log.h"
#include "m3u.h"
#include "text.h"

namespace host {

void make_tracks(const std::wstring& item, std::vector<track*>& out) {
    if (!is_m3u_name(item)) {
        track_facts facts;
        facts.path = to_utf8(full_path(item));
        out.push_back(track::make(facts));
        return;
    }
    m3u_result list;
    std::string error;
    if (!load_m3u(item, list, error)) {
        log_host("ERROR : playlist: " + error);
        return;
    }
    for (const std::string& warning : list.warnings) log_host("WARNING : " + to_utf8(item) + ": " + warning);
    for (const m3u_entry& entry : list.entries) {
        track_facts facts;
        facts.path = entry.path;
        facts.length = entry.length;
        if (!entry.title.empty()) split_artist_title(entry.title, facts.artist, facts.title);
        out.push_back(track::make(facts));
    }
}

namespace {

bool fill(const location_list_const& locations, metadb_handle_list_base& out) {
    return guard("location_filter", false, [&] {
        std::vector<track*> made;
        const t_size n = locations.get_count();
        for (t_size i = 0; i < n; ++i) {
            const char* location = locations.get_item(i);
            if (location == nullptr || *location == 0) continue;
            log_host("location_filter: " + std::string(location));
            make_tracks(to_wide(location), made);
        }
        for (track* t : made) {
            out.add_item(service_ptr_t<metadb_handle>(t));
            t->service_release();  // the list holds it now
        }
        log_host("location_filter: " + std::to_string(n) + " locations, " + std::to_string(made.size()) +
                 " tracks");
        return true;
    });
}

}  // namespace

bool location_filter_impl::process_locations(const location_list_const& p_locations,
                                             metadb_handle_list_base& p_out) {
    return fill(p_locations, p_out);
}

bool location_filter_impl::process_locations_ex(const location_list_const& p_locations,
                                                metadb_handle_list_base& p_out, bool, std::uint32_t,
                                                std::uint32_t, HWND) {
    return fill(p_locations, p_out);
}

}  // namespace host
