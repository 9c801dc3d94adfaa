#pragma once
// A compiled title-formatting script: a counted host object handed out by the host's compiler and by
// title-format configurations. Slot 3 after the three of service_base.

#include <trovaplay/sdk/service.h>
#include <zut/string.h>

class titleformat_hook;
class titleformat_text_filter;

class titleformat_script : public service_base {
 public:
  // 3: formats into p_out (replacing its text) with the fields the hook answers; hook and filter
  // may be null. False when nothing could be formatted.
  virtual bool run(titleformat_hook* p_hook, zut::string_base& p_out, titleformat_text_filter* p_filter) = 0;

 protected:
  titleformat_script() = default;
  ~titleformat_script() = default;
};
