#pragma once
// Calls that cross the module boundary in either direction: an exception that comes out of `call` is
// logged ("ERROR : <what> threw: ...") and never passed on - neither into the component (from a
// service method of the host) nor up the host's own stack (from a call into the component).
#include <exception>
#include <string>

#include "log.h"

namespace host {

// Runs `call` and returns its result, or `fallback` when it threw.
template <typename R, typename F>
R guard(const char* what, R fallback, F&& call) {
    try {
        return call();
    } catch (const std::exception& e) {
        try {
            log_host(std::string("ERROR : ") + what + " threw: " + e.what());
        } catch (...) {
        }
    } catch (...) {
        try {
            log_host(std::string("ERROR : ") + what + " threw an unknown exception");
        } catch (...) {
        }
    }
    return fallback;
}

// Runs `call` (no result); false when it threw.
template <typename F>
bool guarded(const char* what, F&& call) {
    return guard(what, false, [&] {
        call();
        return true;
    });
}

}  // namespace host
