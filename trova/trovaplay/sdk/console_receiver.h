#pragma once
// Host service class of the console: any number of receivers; each line the component prints goes
// to every one of them.

#include <trovaplay/sdk/service_base.h>

class console_receiver : public service_base {
  TROVA_SERVICE_INTERFACE({0x90DF5270, 0x65BB, 0x4DBA, {0xBA, 0xF5, 0x86, 0xBE, 0x9E, 0x59, 0xDC, 0x20}})
 public:
  // 3: one line of UTF-8 text; p_length ~0 means up to the NUL (the component always passes ~0).
  virtual void print(const char* p_text, std::uint32_t p_length) = 0;

 protected:
  console_receiver() = default;
  ~console_receiver() = default;
};
