// Configuration variables and the host blob.
//
// Blob: records back to back, each the variable's GUID (16 bytes little-endian: Data1 u32, Data2 u16,
// Data3 u16, Data4), the payload size (u32 little-endian) and the payload.
//
// Writing, per variable from the list head:
//   1. collect the payload in a byte array; 2. write the GUID; 3. write the size; 4. write the payload.
// Reading, until fewer than 16 bytes come:
//   1. read the GUID; 2. read the size exactly; 3. find the variable nearest the head with that GUID;
//   4. with one: hand it a reader limited to the payload (data errors are dropped) and skip what it
//      left; 5. without one: skip the payload.

#include <trovaplay/sdk/cfg_var.h>
#include <trovaplay/sdk/core_api.h>
#include <trovaplay/sdk/exception_io.h>
#include <trovaplay/sdk/service.h>
#include <zut/exception.h>

#include <cstring>

static cfg_var* g_cfg_var_list = nullptr;

cfg_var* cfg_var::get_list_head() { return g_cfg_var_list; }

cfg_var::cfg_var(const GUID& p_guid) : m_guid(p_guid), m_next(g_cfg_var_list) {
  TROVA_SERVICE_ASSERT(!core_api::are_services_available(), L"cfg_var", 9);
  g_cfg_var_list = this;
}

cfg_var::~cfg_var() { TROVA_SERVICE_ASSERT(!core_api::are_services_available(), L"cfg_var", 10); }

using trovaplay_io::get_u32;
using trovaplay_io::put_u32;

static void guid_to_bytes(const GUID& g, unsigned char* p) {
  put_u32(p, g.Data1);
  p[4] = static_cast<unsigned char>(g.Data2);
  p[5] = static_cast<unsigned char>(g.Data2 >> 8);
  p[6] = static_cast<unsigned char>(g.Data3);
  p[7] = static_cast<unsigned char>(g.Data3 >> 8);
  std::memcpy(p + 8, g.Data4, 8);
}
static GUID guid_from_bytes(const unsigned char* p) {
  GUID g;
  g.Data1 = get_u32(p);
  g.Data2 = static_cast<unsigned short>(p[4] | p[5] << 8);
  g.Data3 = static_cast<unsigned short>(p[6] | p[7] << 8);
  std::memcpy(g.Data4, p + 8, 8);
  return g;
}

void cfg_var_write_all(trovaplay_io::stream_writer& p_stream, trovaplay_io::abort_callback& p_abort) {
  zut::array_t<t_uint8, zut::alloc_fast_aggressive> payload;
  for (cfg_var* var = g_cfg_var_list; var; var = var->get_next()) {
    // 1.
    payload.set_size(0);
    stream_writer_buffer_append_ref_t collector(payload);
    var->get_data_raw(collector, p_abort);
    // 2.
    unsigned char head[20];
    guid_to_bytes(var->get_guid(), head);
    // 3.
    put_u32(head + 16, payload.get_size());
    p_stream.write(head, sizeof(head), p_abort);
    // 4.
    if (payload.get_size() != 0) p_stream.write(payload.get_ptr(), payload.get_size(), p_abort);
  }
}

// The host's reader is asked only through the slots that answer a count (read, skip); the exact reads
// and skips are this layer's own, called without the host's table, so that a short blob throws here
// where the client's guard catches it: a host built by another compiler throws what nothing here
// could catch.
void cfg_var_read_all(trovaplay_io::stream_reader& p_stream, trovaplay_io::abort_callback& p_abort) {
  for (;;) {
    // 1.
    unsigned char head[16];
    if (p_stream.read(head, sizeof(head), p_abort) < sizeof(head)) return;
    // 2.
    GUID guid = guid_from_bytes(head);
    unsigned char size_bytes[4];
    p_stream.stream_reader::read_exact(size_bytes, sizeof(size_bytes), p_abort);
    std::uint32_t size = get_u32(size_bytes);
    // 3.
    cfg_var* target = g_cfg_var_list;
    while (target && !zut::guid_equal(target->get_guid(), guid)) target = target->get_next();
    if (target) {
      // 4.
      stream_reader_limited_ref limited(p_stream, size);
      try {
        target->set_data_raw(limited, size, p_abort);
      } catch (const trovaplay_io::exception_io_data&) {
      }
      if (limited.get_remaining() > 0) limited.skip_exact(limited.get_remaining(), p_abort);
    } else {
      // 5.
      p_stream.stream_reader::skip_exact(size, p_abort);
    }
  }
}

std::uint32_t stream_reader_limited_ref::read(void* p_buffer, std::uint32_t p_bytes,
                                              trovaplay_io::abort_callback& p_abort) {
  std::uint32_t ask = p_bytes < m_remaining ? p_bytes : m_remaining;
  if (ask == 0) return 0;
  std::uint32_t got = m_reader.read(p_buffer, ask, p_abort);
  if (got > ask) got = ask;
  m_remaining -= got;
  return got;
}

void stream_writer_buffer_append_ref_t::write(const void* p_buffer, std::uint32_t p_bytes,
                                              trovaplay_io::abort_callback&) {
  t_size old = m_buffer.get_size();
  if (p_bytes > ~t_size(0) - old) zut::throw_bad_alloc();
  m_buffer.set_size(old + p_bytes);
  if (p_bytes) std::memcpy(m_buffer.get_ptr() + old, p_buffer, p_bytes);
}

void string_cfg_var::get_data_raw(trovaplay_io::stream_writer& p_stream, trovaplay_io::abort_callback& p_abort) {
  trovaplay_io::write_raw_string(p_stream, m_value, p_abort);
}

void string_cfg_var::set_data_raw(trovaplay_io::stream_reader& p_stream, std::uint32_t,
                                  trovaplay_io::abort_callback& p_abort) {
  trovaplay_io::read_raw_string(p_stream, m_value, p_abort);
}
