#include "console.h"

#include "host_object.h"
#include "log.h"

namespace host {

namespace {

class console_receiver_impl final : public host_object<console_receiver> {
public:
    // Called by the component: nothing may be thrown back across the module boundary.
    void print(const char* p_text, std::uint32_t p_length) override {
        try {
            log_line(log_kind::console, p_text, p_length);
        } catch (...) {
            OutputDebugStringA("host: a console line was lost (out of memory)\n");
        }
    }

private:
    void destroy() override { delete this; }
};

}  // namespace

console_receiver* make_console_receiver() { return new console_receiver_impl; }

}  // namespace host
