#include "console.h"

#include "host_object.h"
#include "log.h"

namespace host {

namespace {

class console_receiver_impl final : public host_object<console_receiver> {
public:
    void print(const char* p_text, std::uint32_t p_length) override {
        log_line(log_kind::console, p_text, p_length);
    }

private:
    void destroy() override { delete this; }
};

}  // namespace

console_receiver* make_console_receiver() { return new console_receiver_impl; }

}  // namespace host
