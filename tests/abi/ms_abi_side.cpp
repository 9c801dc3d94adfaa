// The other side of the boundary, as a host built with the Microsoft C++ ABI sees it: compiled by
// clang for i686-pc-windows-msvc, without any SDK header. The interfaces are declared here from their
// slot tables, in the form the host's own headers have: records returned by value, counted pointers
// passed by value. Two halves:
//   - host services whose slots return records or take counted pointers (main-menu commands and
//     manager, a context-menu item with its nodes, a track handle, a track record, an archive),
//     called by the component's SDK layer in the test program;
//   - ms_drive_component: calls every slot of every service the component offers the host.
// Failures are collected as text lines that the test program prints.

// The marker the Microsoft toolchain's C runtime defines for code that uses floating point.
extern "C" int _fltused = 0;

typedef unsigned int u32;
typedef unsigned long long u64;
typedef u32 t_size;

struct GUID {
    u32 Data1;
    unsigned short Data2, Data3;
    unsigned char Data4[8];
};
struct file_stats {
    u64 m_size, m_timestamp;
};
struct replaygain_info {
    float m_album_gain, m_track_gain, m_album_peak, m_track_peak;
};

static bool same(const GUID& a, const GUID& b) { return __builtin_memcmp(&a, &b, sizeof a) == 0; }
static bool same(const char* a, const char* b) { return a && __builtin_strcmp(a, b) == 0; }

// ---- Failure report ------------------------------------------------------------------------------
static char g_report[4096];
static t_size g_report_length;
static int g_failures;

static void fail(const char* what) {
    ++g_failures;
    const t_size n = __builtin_strlen(what);
    if (g_report_length + n + 2 > sizeof g_report) return;
    __builtin_memcpy(g_report + g_report_length, what, n);
    g_report_length += n;
    g_report[g_report_length++] = '\n';
    g_report[g_report_length] = 0;
}
#define CHECK(condition) \
    if (!(condition)) fail(#condition)

// The stack pointer before and after a call: a slot that pops a different argument size than the
// caller pushed leaves it moved.
#define BALANCED(call)                                      \
    do {                                                    \
        u32 before_, after_;                                \
        asm volatile("movl %%esp, %0" : "=r"(before_));     \
        call;                                               \
        asm volatile("movl %%esp, %0" : "=r"(after_));      \
        if (before_ != after_) fail("unbalanced: " #call); \
    } while (0)

// ---- Interfaces ----------------------------------------------------------------------------------
class service_base;
struct service_out {  // the counted pointer a query or factory writes to
    service_base* p;
};
class service_base {
public:
    virtual int service_release() = 0;
    virtual int service_add_ref() = 0;
    virtual bool service_query(service_out& out, const GUID& guid) = 0;
};

// The host's counted pointer: a class with a copy constructor and a destructor.
class counted {
public:
    counted(service_base* p) : m_p(p) {
        if (m_p) m_p->service_add_ref();
    }
    counted(const counted& other) : m_p(other.m_p) {
        if (m_p) m_p->service_add_ref();
    }
    ~counted() {
        if (m_p) m_p->service_release();
    }
    service_base* get() const { return m_p; }

private:
    service_base* m_p;
};

class string_base {
public:
    virtual void add_string(const char* text, t_size length) = 0;
    virtual const char* get_ptr() const = 0;
    virtual void set_string(const char* text, t_size length) = 0;
    virtual void truncate(t_size length) = 0;
    virtual t_size get_length() const = 0;
    virtual char* lock_buffer(t_size count) = 0;
    virtual void unlock_buffer() = 0;
};

class ms_string : public string_base {
public:
    void add_string(const char* text, t_size length) override {
        for (t_size i = 0; i < length && text[i] && m_length + 1 < sizeof m_text; ++i) m_text[m_length++] = text[i];
        m_text[m_length] = 0;
    }
    const char* get_ptr() const override { return m_text; }
    void set_string(const char* text, t_size length) override { truncate(0), add_string(text, length); }
    void truncate(t_size length) override {
        if (length < m_length) m_text[m_length = length] = 0;
    }
    t_size get_length() const override { return m_length; }
    char* lock_buffer(t_size count) override { return count < sizeof m_text ? m_text : nullptr; }
    void unlock_buffer() override { m_length = __builtin_strlen(m_text); }

private:
    char m_text[512] = {};
    t_size m_length = 0;
};

// A service of the host: counts its references.
class ms_service : public service_base {
public:
    int service_release() override { return --refs; }
    int service_add_ref() override { return ++refs; }
    bool service_query(service_out&, const GUID&) override { return false; }
    int refs = 1;
};

// Lists and masks the listeners read: empty.
class ms_handle_list {
public:
    virtual t_size get_count() const { return 0; }
    virtual void get_item_ex(service_out& out, t_size) const { out.p = nullptr; }
};
class ms_bit_array {
public:
    virtual bool get(t_size) const { return false; }
    virtual t_size find(bool, t_size start, int count) const { return start + count; }
};

class abort_callback;

// ---- Host services that the SDK layer calls -------------------------------------------------------
const GUID kPreferences = {0x11213A01, 0x9F36, 0x4E69, {0xA1, 0xBB, 0x7A, 0x72, 0xF4, 0x18, 0xDE, 0x3A}};
const GUID kAlpha = {0xA1, 1, 2, {3, 4, 5, 6, 7, 8, 9, 10}};

class ms_mainmenu_commands : public ms_service {
public:
    virtual u32 get_command_count() { return 2; }                            // 3
    virtual GUID get_command(u32 index) { return index ? kPreferences : kAlpha; }  // 4
    virtual void get_name(u32 index, string_base& out) { out.set_string(index ? "Preferences" : "Alpha", ~0u); }
    virtual void placeholder_6() {}
    virtual void placeholder_7() {}
    virtual void placeholder_8() {}
    virtual void placeholder_9() {}
    virtual void execute(u32 index, counted callback) {  // 10
        executed = index;
        callback_seen = callback.get();
    }
    u32 executed = ~0u;
    service_base* callback_seen = nullptr;
};

class ms_mainmenu_manager : public ms_service {
public:
    virtual void instantiate(const GUID&) {}
    virtual void generate_menu_win32(void*, u32, u32, u32) {}
    virtual bool execute_command(u32 id, counted callback) {  // 5
        executed = id;
        callback_seen = callback.get();
        return id == 7;
    }
    u32 executed = ~0u;
    service_base* callback_seen = nullptr;
};

const GUID kItem = {0xB2, 1, 2, {3, 4, 5, 6, 7, 8, 9, 10}};
const GUID kChild = {0xC3, 1, 2, {3, 4, 5, 6, 7, 8, 9, 10}};

// Root: a popup without a GUID (slot 7 writes nothing); its one child carries kChild.
class ms_node {
public:
    virtual bool get_display_data(string_base& out, u32& flags, const ms_handle_list&, const GUID&) {  // 0
        out.set_string(has_guid ? "Child" : "Root", ~0u);
        flags = has_guid ? 1 : 0;
        return true;
    }
    virtual u32 get_type() { return has_guid ? 1 : 0; }  // 1
    virtual void placeholder_2() {}
    virtual void placeholder_3() {}
    virtual t_size get_children_count() { return child ? 1 : 0; }  // 4
    virtual ms_node* get_child(t_size) { return child; }            // 5
    virtual void placeholder_6() {}
    virtual void node_guid(GUID& out) {  // 7: no result
        if (has_guid) out = kChild;
    }
    virtual void placeholder_8() {}
    virtual void destroy(u32 flags) {  // 9
        if (flags & 1) ++destroyed;
    }
    constexpr ms_node(bool with_guid, ms_node* first_child) : has_guid(with_guid), child(first_child) {}
    bool has_guid;
    ms_node* child;
    int destroyed = 0;
};
static ms_node g_child(true, nullptr);
static ms_node g_root(false, &g_child);

class ms_contextmenu_item : public ms_service {
public:
    virtual u32 get_num_items() { return 1; }                                                   // 3
    virtual ms_node* instantiate_item(u32, const ms_handle_list&, const GUID&) { return &g_root; }  // 4
    virtual GUID get_item_guid(u32) { return kItem; }                                           // 5
    virtual void get_item_name(u32, string_base& out) { out.set_string("Item", ~0u); }
    virtual void get_item_default_path(u32, string_base& out) { out.set_string("", ~0u); }
    virtual bool get_item_description(u32, string_base&) { return false; }
    virtual void placeholder_9() {}
    virtual void item_execute_simple(u32 index, const GUID&, const ms_handle_list&, const GUID& caller) {  // 10
        executed = index;
        caller_seen = caller;
    }
    u32 executed = ~0u;
    GUID caller_seen = {};
};

class ms_metadb_handle : public ms_service {
public:
    virtual const void* get_location() const { return nullptr; }                     // 3
    virtual bool format_title(void*, string_base&, const service_out&, void*) { return false; }
    virtual void metadb_lock() {}
    virtual void metadb_unlock() {}
    virtual file_stats get_filestats() const { return {0x123456789ull, 0x1D9000000000001ull}; }  // 7
    virtual void placeholder_8() {}
    virtual void placeholder_9() {}
    virtual bool get_info_locked(const void*& out) const { return out = nullptr, false; }
    virtual bool has_info() const { return true; }  // 11
};

class ms_file_info {
public:
    virtual double get_length() const { return 187.25; }  // 0
    virtual void set_length(double) {}
    virtual void set_replaygain(const replaygain_info&) {}
    virtual replaygain_info get_replaygain() const { return {-6.5f, 1.25f, 0.875f, 0.5f}; }  // 3
};

class ms_archive : public ms_service {
public:
    virtual void slot_3() {}
    virtual void slot_4() {}
    virtual void slot_5() {}
    virtual void slot_6() {}
    virtual void slot_7() {}
    virtual void slot_8() {}
    virtual void slot_9() {}
    virtual void slot_10() {}
    virtual void slot_11() {}
    virtual void slot_12() {}
    virtual void slot_13() {}
    virtual void slot_14() {}
    virtual void slot_15() {}
    virtual void slot_16() {}
    virtual const char* archive_type() { return "zip"; }  // 17
    virtual file_stats get_member_stats(const char* archive, const char* member, abort_callback&) {  // 18
        paths_seen = same(archive, "a.zip") && same(member, "m.txt");
        return {42, 7};
    }
    bool paths_seen = false;
};

static ms_mainmenu_commands g_commands;
static ms_mainmenu_manager g_manager;
static ms_contextmenu_item g_item;
static ms_metadb_handle g_handle;
static ms_file_info g_info;
static ms_archive g_archive;

extern "C" {
void* ms_mainmenu_commands_service() { return static_cast<service_base*>(&g_commands); }
void* ms_mainmenu_manager_service() { return static_cast<service_base*>(&g_manager); }
void* ms_contextmenu_item_service() { return static_cast<service_base*>(&g_item); }
void* ms_metadb_handle_service() { return static_cast<service_base*>(&g_handle); }
void* ms_file_info_record() { return &g_info; }
void* ms_archive_service() { return static_cast<service_base*>(&g_archive); }

// What the host services saw, for the test program's checks.
u32 ms_mainmenu_executed(void** callback) { return *callback = g_commands.callback_seen, g_commands.executed; }
u32 ms_manager_executed(void** callback) { return *callback = g_manager.callback_seen, g_manager.executed; }
u32 ms_item_executed(GUID* caller) { return *caller = g_item.caller_seen, g_item.executed; }
int ms_nodes_destroyed() { return g_root.destroyed + g_child.destroyed; }
bool ms_archive_paths_seen() { return g_archive.paths_seen; }
}

// ---- The component's services, called from this side ---------------------------------------------
class factory {
public:
    virtual void instance_create(service_out& out) = 0;
    factory* next;
    const GUID* guid;
};

class client {
public:
    virtual u32 get_version() = 0;
    virtual factory* get_service_list() = 0;
    virtual void get_config(void* writer, void* abort) = 0;
    virtual void set_config(void* reader, void* abort) = 0;
    virtual void set_library_path(const char* full_path, const char* name) = 0;
    virtual void services_init(bool available) = 0;
    virtual bool is_debug() = 0;
};
typedef client*(__cdecl* entry_t)(void* api, void* instance);
typedef int(__stdcall* hook_t)(void*, u32, u32, long, long*);

class componentversion : public service_base {
public:
    virtual void get_file_name(string_base& out) = 0;
    virtual void get_component_name(string_base& out) = 0;
    virtual void get_component_version(string_base& out) = 0;
    virtual void get_about_message(string_base& out) = 0;
};

class user_interface : public service_base {
public:
    virtual const char* get_name() = 0;
    virtual void* init(hook_t hook) = 0;
    virtual void shutdown() = 0;
    virtual void activate() = 0;
    virtual bool hide() = 0;
    virtual bool is_visible() = 0;
    virtual GUID* get_guid(GUID* out) = 0;  // 9: out GUID, returns the pointer
    virtual void placeholder_10(u32) = 0;
    virtual void placeholder_11() = 0;
    virtual void placeholder_12() = 0;
};

class preferences_page : public service_base {
public:
    virtual void* create(void* parent) = 0;
    virtual const char* get_name() = 0;
    virtual GUID get_guid() = 0;         // 5: returned by value
    virtual GUID get_parent_guid() = 0;  // 6
    virtual bool reset_query() = 0;
    virtual void reset() = 0;
    virtual bool get_help_url(string_base& out) = 0;
};

class play_callback {
public:
    virtual void on_start(int command, bool paused) = 0;
    virtual void on_new_track(service_base* track) = 0;
    virtual void on_stop(int reason) = 0;
    virtual void on_seek(double time) = 0;
    virtual void on_pause(bool state) = 0;
    virtual void on_edited(service_base* track) = 0;
    virtual void on_dynamic(const ms_file_info& info) = 0;
    virtual void on_dynamic_track(const ms_file_info& info) = 0;
    virtual void on_time(double time) = 0;
    virtual void on_volume_change(float volume) = 0;
};
class play_callback_static : public service_base, public play_callback {
public:
    virtual u32 get_flags() = 0;
};

class playlist_callback_single {
public:
    virtual void on_items_added(t_size base, const ms_handle_list& data, const ms_bit_array& selection) = 0;
    virtual void on_items_reordered(const t_size* order, t_size count) = 0;
    virtual void on_items_removing(const ms_bit_array& mask, t_size old_count, t_size new_count) = 0;
    virtual void on_items_removed(const ms_bit_array& mask, t_size old_count, t_size new_count) = 0;
    virtual void on_items_selection_change(const ms_bit_array& affected, const ms_bit_array& state) = 0;
    virtual void on_item_focus_change(t_size from, t_size to) = 0;
    virtual void on_items_modified(const ms_bit_array& mask) = 0;
    virtual void on_items_modified_2(const ms_bit_array& mask, u32 level) = 0;
    virtual void on_items_replaced(const ms_bit_array& mask, const ms_handle_list& data) = 0;
    virtual void on_item_ensure_visible(t_size item) = 0;
    virtual void on_playlist_switch() = 0;
    virtual void on_playlist_renamed(const char* name, t_size length) = 0;
    virtual void on_playlist_locked(bool locked) = 0;
    virtual void on_titles_invalidated() = 0;
    virtual void on_playback_order_changed(t_size order) = 0;
};
class playlist_callback_single_static : public service_base, public playlist_callback_single {
public:
    virtual u32 get_flags() = 0;
};

const GUID kComponentVersion = {0x10BB3EBD, 0xDDF7, 0x4975, {0xA3, 0xCC, 0x23, 0x08, 0x48, 0x29, 0x45, 0x3E}};
const GUID kUserInterface = {0x1ADD4DC4, 0xB278, 0x4A0C, {0xA1, 0x05, 0x26, 0x29, 0xF4, 0xB3, 0x12, 0xF4}};
const GUID kPreferencesPage = {0x7255E8D0, 0x3FCF, 0x4781, {0xB9, 0x3B, 0xD0, 0x6C, 0xB8, 0x8D, 0xFA, 0xFA}};
const GUID kPlayCallback = {0x8E4EED7A, 0xC6B8, 0x49C7, {0x99, 0xFE, 0x97, 0xE0, 0x4A, 0xAA, 0x63, 0xA8}};
const GUID kPlaylistCallback = {0x95E9F11B, 0x4C99, 0x4D0A, {0xAB, 0x9F, 0x36, 0x71, 0x96, 0xB1, 0x09, 0x25}};

static int __stdcall no_hook(void*, u32, u32, long, long*) { return 0; }

static void drive_version(componentversion* v) {
    ms_string text;
    BALANCED(v->get_file_name(text));
    CHECK(same(text.get_ptr(), "tro_ui_zin"));
    BALANCED(v->get_component_name(text));
    CHECK(same(text.get_ptr(), "zin_window_debug"));
    BALANCED(v->get_component_version(text));
    CHECK(same(text.get_ptr(), "0.1"));
    BALANCED(v->get_about_message(text));
    CHECK(same(text.get_ptr(), "skinnable ui for trovaplay"));
}

static void drive_ui(user_interface* ui) {
    const GUID expected = {0xED4FF790, 0x7437, 0x4129, {0x8F, 0x87, 0x61, 0x70, 0x88, 0x06, 0x7E, 0x75}};
    CHECK(same(ui->get_name(), "zin_window_debug"));
    void* window = nullptr;
    BALANCED(window = ui->init(&no_hook));  // no playback control offered: reports and answers null
    CHECK(window == nullptr);
    BALANCED(ui->shutdown());
    BALANCED(ui->activate());
    BALANCED(ui->hide());
    bool visible = true;
    BALANCED(visible = ui->is_visible());
    CHECK(!visible);
    GUID guid = {};
    GUID* answer = nullptr;
    BALANCED(answer = ui->get_guid(&guid));
    CHECK(answer == &guid && same(guid, expected));
    BALANCED(ui->placeholder_10(5));
    BALANCED(ui->placeholder_11());
    BALANCED(ui->placeholder_12());
}

static void drive_page(preferences_page* page, void* parent, void** window) {
    const GUID own = {0x8FD35FE9, 0xD072, 0x4A1E, {0xB4, 0x30, 0xB3, 0x33, 0x81, 0xEA, 0xD1, 0x3C}};
    const GUID parent_page = {0x6AAA67B6, 0x732F, 0x4967, {0x89, 0x9A, 0x18, 0xC5, 0xF8, 0xC7, 0x00, 0x17}};
    BALANCED(*window = page->create(parent));
    CHECK(same(page->get_name(), "zin_window_debug"));
    GUID guid = {};
    BALANCED(guid = page->get_guid());
    CHECK(same(guid, own));
    BALANCED(guid = page->get_parent_guid());
    CHECK(same(guid, parent_page));
    bool can_reset = true;
    BALANCED(can_reset = page->reset_query());
    CHECK(!can_reset);
    BALANCED(page->reset());
    ms_string url;
    bool has_url = false;
    BALANCED(has_url = page->get_help_url(url));
    CHECK(has_url && __builtin_strstr(url.get_ptr(), "/preferences/8FD35FE9-D072-4A1E-B430-B33381EAD13C/zin_window_debug"));
}

static void drive_play_callback(play_callback_static* listener) {
    u32 flags = 0;
    BALANCED(flags = listener->get_flags());
    CHECK(flags != 0);
    play_callback* events = listener;
    BALANCED(events->on_start(1, true));
    BALANCED(events->on_new_track(&g_handle));
    BALANCED(events->on_stop(2));
    BALANCED(events->on_seek(12.5));
    BALANCED(events->on_pause(true));
    BALANCED(events->on_edited(&g_handle));
    BALANCED(events->on_dynamic(g_info));
    BALANCED(events->on_dynamic_track(g_info));
    BALANCED(events->on_time(3.25));
    BALANCED(events->on_volume_change(-6.0f));
}

static void drive_playlist_callback(playlist_callback_single_static* listener) {
    u32 flags = 0;
    BALANCED(flags = listener->get_flags());
    CHECK(flags != 0);
    playlist_callback_single* events = listener;
    const ms_handle_list none;
    const ms_bit_array mask;
    const t_size order[1] = {0};
    BALANCED(events->on_items_added(0, none, mask));
    BALANCED(events->on_items_reordered(order, 0));
    BALANCED(events->on_items_removing(mask, 0, 0));
    BALANCED(events->on_items_removed(mask, 0, 0));
    BALANCED(events->on_items_selection_change(mask, mask));
    BALANCED(events->on_item_focus_change(~0u, ~0u));
    BALANCED(events->on_items_modified(mask));
    BALANCED(events->on_items_modified_2(mask, 1));
    BALANCED(events->on_items_replaced(mask, none));
    BALANCED(events->on_item_ensure_visible(0));
    BALANCED(events->on_playlist_switch());
    BALANCED(events->on_playlist_renamed("List", 4));
    BALANCED(events->on_playlist_locked(false));
    BALANCED(events->on_titles_invalidated());
    BALANCED(events->on_playback_order_changed(0));
}

extern "C" const char* ms_drive_component(entry_t entry, void* api, void* instance, void* parent, void** page_window,
                                          int* failures) {
    g_failures = 0;
    g_report_length = 0;
    g_report[0] = 0;
    client* c = entry(api, instance);
    CHECK(c != nullptr);
    if (!c) return *failures = g_failures, g_report;
    CHECK(c->get_version() == 71);
    CHECK(c->is_debug());
    BALANCED(c->set_library_path("C:\\host\\components\\tro_ui_zin.dll", "tro_ui_zin"));
    BALANCED(c->services_init(true));
    int found = 0;
    for (factory* f = c->get_service_list(); f; f = f->next) {
        service_out out = {nullptr};
        BALANCED(f->instance_create(out));
        service_base* s = out.p;
        if (!s) continue;
        const GUID& g = *f->guid;
        if (same(g, kComponentVersion)) drive_version(static_cast<componentversion*>(s)), ++found;
        if (same(g, kUserInterface)) drive_ui(static_cast<user_interface*>(s)), ++found;
        if (same(g, kPreferencesPage)) drive_page(static_cast<preferences_page*>(s), parent, page_window), ++found;
        if (same(g, kPlayCallback)) drive_play_callback(static_cast<play_callback_static*>(s)), ++found;
        if (same(g, kPlaylistCallback))
            drive_playlist_callback(static_cast<playlist_callback_single_static*>(s)), ++found;
        s->service_release();
    }
    CHECK(found == 5);
    BALANCED(c->services_init(false));
    *failures = g_failures;
    return g_report;
}
