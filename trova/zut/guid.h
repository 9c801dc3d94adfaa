// GUID comparison and GUID text: printing a GUID as 36 upper-case hexadecimal characters with
// dashes (no braces), parsing it back from text with or without braces and dashes, and raw
// hexadecimal printing of bytes.
#pragma once

#include <guiddef.h>

#include <zut/primitives.h>

namespace zut {

// Two GUIDs are equal when their four 32-bit words are.
bool guid_equal(const GUID& p_a, const GUID& p_b);

// "XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX", upper case, no braces.
class print_guid {
public:
    explicit print_guid(const GUID& p_guid);
    const char* get_ptr() const { return m_buffer; }
    operator const char*() const { return m_buffer; }

private:
    char m_buffer[37];
};

// out becomes the GUID of text: a leading "{" is skipped, the text ends at "}" or the NUL, dashes
// between the fields are skipped. Fields that the text does not hold whole stay zero; a character
// that is not a hexadecimal digit counts as 0.
void guid_from_text(GUID& p_out, const char* p_text);

// Two upper-case hexadecimal digits per byte into out (room for 2 * size + 1), NUL-terminated;
// returns size.
t_size print_hex_raw(const void* p_data, t_size p_size, char* p_out);

}  // namespace zut
