// The host's preferences window against a page of the test's own: one window at a time, closed
// synchronously, the page service held while the window lives.
#include <gtest/gtest.h>

#include <windows.h>

#include <preferences_window.h>
#include <registry.h>

#include <trovaplay/sdk/preferences_page.h>

namespace {

class fake_page final : public preferences_page {
public:
    int service_release() override { return --references; }
    int service_add_ref() override { return ++references; }
    HWND create(HWND parent) override {
        ++creates;
        if (!make_window) return nullptr;
        window = CreateWindowExW(0, L"STATIC", L"page", WS_CHILD | WS_VISIBLE, 0, 0, 10, 10, parent, nullptr,
                                 nullptr, nullptr);
        return window;
    }
    const char* get_name() override { return "fake"; }
    GUID* get_guid(GUID* p_out) override { return &(*p_out = GUID{}); }
    GUID* get_parent_guid(GUID* p_out) override { return &(*p_out = GUID{}); }
    bool reset_query() override { return false; }
    void reset() override {}

    int references = 0;
    int creates = 0;
    bool make_window = true;
    HWND window = nullptr;
};

TEST(preferences_window, ASecondRequestActivatesTheOpenWindow) {
    fake_page page;
    {
        host::service_registry registry;
        registry.add(preferences_page::class_guid, &page, true);
        host::open_preferences(registry);
        const HWND window = host::preferences_window();
        ASSERT_NE(window, nullptr);
        EXPECT_EQ(GetParent(page.window), window);
        EXPECT_TRUE(IsWindowVisible(window));
        EXPECT_EQ(page.references, 2);  // the registry's and the window's
        // The page fills the client area.
        RECT client = {}, child = {};
        GetClientRect(window, &client);
        GetClientRect(page.window, &child);
        EXPECT_EQ(child.right, client.right);
        EXPECT_EQ(child.bottom, client.bottom);

        host::open_preferences(registry);
        EXPECT_EQ(host::preferences_window(), window);
        EXPECT_EQ(page.creates, 1);

        // WM_CLOSE destroys the window before it returns, the page with it.
        SendMessageW(window, WM_CLOSE, 0, 0);
        EXPECT_FALSE(IsWindow(window));
        EXPECT_FALSE(IsWindow(page.window));
        EXPECT_EQ(host::preferences_window(), nullptr);
        EXPECT_EQ(page.references, 1);

        host::open_preferences(registry);
        EXPECT_EQ(page.creates, 2);
        host::close_preferences();
        EXPECT_EQ(host::preferences_window(), nullptr);
        host::close_preferences();  // nothing open: nothing happens
        registry.release_all();
    }
    EXPECT_EQ(page.references, 0);
}

TEST(preferences_window, APageThatMakesNoWindowLeavesNoWindow) {
    fake_page page;
    page.make_window = false;
    host::service_registry registry;
    host::open_preferences(registry);  // no page offered at all
    EXPECT_EQ(host::preferences_window(), nullptr);
    registry.add(preferences_page::class_guid, &page, true);
    host::open_preferences(registry);
    EXPECT_EQ(page.creates, 1);
    EXPECT_EQ(host::preferences_window(), nullptr);
    registry.release_all();
    EXPECT_EQ(page.references, 0);
}

}  // namespace
