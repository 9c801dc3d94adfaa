// Test helper: collects the debug reports made while it lives (their texts and line numbers) and
// puts the previous report hook back afterwards.
#pragma once

#include <debug.h>

#include <stddef.h>

#include <string>
#include <vector>

class Reports {
public:
    Reports() { previous_ = zin_set_debug_report_hook(&Reports::hook, this, &previousContext_); }
    ~Reports() { zin_set_debug_report_hook(previous_, previousContext_); }
    Reports(const Reports&) = delete;
    Reports& operator=(const Reports&) = delete;

    size_t count() const { return texts.size(); }
    std::vector<std::string> texts;  // "" for a report without text
    std::vector<int> lines;

private:
    static void hook(const zin_debug_report_info& info, void* context) {
        Reports* self = static_cast<Reports*>(context);
        self->texts.push_back(info.text ? info.text : "");
        self->lines.push_back(info.line);
    }
    zin_debug_report_hook previous_;
    void* previousContext_ = nullptr;
};
