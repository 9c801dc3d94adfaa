// A reference host whose services fail: for each service the component may call, one run where it
// is missing and one run per slot where calls through that slot throw (--fault), each with the
// default skin playing the demo playlist. Every run must end by itself and cleanly (exit code 0, or
// 6 when the start-up gave up), every host reference given back, and no exception may come back
// out of the component into the host ("threw" in the host's log).

#include <support/files.h>
#include <support/host_process.h>

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

namespace {

using namespace test_support;

struct service {
    const wchar_t* name;
    int last_slot;  // slots 2 (the query) to this one are swept; 0 and 1 count references
};

// host_api is the host's API object: it cannot be missing, and all its slots are swept.
const service kServices[] = {
    {L"console_receiver", 3},     {L"filesystem", 24},      {L"playlist_manager", 58},
    {L"play_control", 20},        {L"titleformat_config", 9}, {L"titleformat_compiler", 3},
    {L"core_version_info", 3},    {L"location_filter", 4},  {L"host_api", 8},
};

TEST(hostile, FailingAndThrowingHostServices) {
    const std::wstring work = temp_folder(L"hostile_services");
    std::vector<std::wstring> faults;
    for (const service& s : kServices) {
        const bool api = std::wstring(s.name) == L"host_api";
        if (!api) faults.push_back(std::wstring(s.name) + L":missing");
        for (int slot = api ? 0 : 2; slot <= s.last_slot; ++slot) faults.push_back(std::wstring(s.name) + L":" + std::to_wstring(slot));
    }
    std::vector<host_job> jobs;
    for (size_t i = 0; i < faults.size(); ++i) {
        const std::wstring dir = work + L"\\" + std::to_wstring(i);
        CreateDirectoryW(dir.c_str(), nullptr);
        jobs.push_back({{L"--fault", faults[i], L"--skin", source_file("skins/default/skin.lua"), L"--run-for", L"1500",
                         L"--menu-pick", L"(no such item)", L"--play", source_file("skins/default/demo.m3u")},
                        dir});
    }
    size_t thrown = 0;
    run_hosts(jobs, parallel_hosts(), 60000, [&](size_t i, const run_result& r, bool in_time) {
        const std::string what = "--fault " + narrow(faults[i]);
        EXPECT_TRUE(in_time) << what << " hung\n" << tail(r.log);
        EXPECT_TRUE(r.exit_code == 0 || r.exit_code == 6) << what << ": exit code " << r.exit_code << "\n" << tail(r.log);
        EXPECT_TRUE(has(r.log, "host: all host references released")) << what << "\n" << tail(r.log);
        EXPECT_EQ(lines_containing(r.log, " threw"), std::vector<std::string>()) << what << "\n" << tail(r.log);
        if (!has(r.log, ": 0 faults injected")) ++thrown;
    });
    // The sweep reached the component's calls: many runs had a call throw.
    EXPECT_GT(thrown, 10u);
    if (!HasFailure()) remove_folder(work);
}

}  // namespace
