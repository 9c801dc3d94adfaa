#pragma once
// The reference host's location filter: every location (a UTF-8 path) becomes tracks, an M3U
// playlist its entries, any other path one track of that file. The tracks reach the caller's list
// only through the list's own virtual slots (the list lives in the component's module).
#include <trovaplay/sdk/location_filter.h>

#include <string>
#include <vector>

#include "host_object.h"
#include "tracks.h"

namespace host {

// The tracks of one item (a command-line argument or a dropped path): an M3U playlist's entries, any
// other path one track with its absolute path. Each new track carries one reference, the caller's.
// A playlist that cannot be read is logged and gives nothing.
void make_tracks(const std::wstring& item, std::vector<track*>& out);

class location_filter_impl final : public host_object<location_filter> {
public:
    // A new filter with one reference (the caller's).
    static location_filter_impl* make() { return new location_filter_impl(); }

    // 3
    bool process_locations(const location_list_const& p_locations, metadb_handle_list_base& p_out) override;
    // 4: the flag, the two values and the parent window change nothing here.
    bool process_locations_ex(const location_list_const& p_locations, metadb_handle_list_base& p_out,
                              bool p_flag, std::uint32_t p_value1, std::uint32_t p_value2,
                              HWND p_parent) override;

private:
    location_filter_impl() = default;
    void destroy() override { delete this; }
};

}  // namespace host
