// Typed configuration items: file payloads, value copies and the item factory. The preferences
// controls are in conf_controls.cpp.

#include "conf_items.h"

#include "config_stream.h"

#include <debug.h>

#include <cstring>
#include <cwchar>
#include <new>
#include <stdexcept>

namespace zin_config {

namespace {

size_t text_length(const char* text) { return strlen(text); }
size_t text_length(const wchar_t* text) { return wcslen(text); }

template <class T>
T* copy_text(const T* text) {
    if (!text) return nullptr;
    const size_t length = text_length(text);
    T* copy = new T[length + 1];
    memcpy(copy, text, (length + 1) * sizeof(T));
    return copy;
}

template <class T>
T* read_text(config_stream& s);
template <>
wchar_t* read_text<wchar_t>(config_stream& s) { return read_wstring(s); }
template <>
char* read_text<char>(config_stream& s) { return read_string(s); }

void write_text(config_stream& s, const wchar_t* text) { write_wstring(s, text); }
void write_text(config_stream& s, const char* text) { write_string(s, text); }

}  // namespace

// ---- number ---------------------------------------------------------------------------------------

void conf_number::load(config_stream& stream) { m_value = read_8(stream); }
void conf_number::save(config_stream& stream) { write_8(stream, m_value); }
// The script table reads and writes the double itself.
void conf_number::set(const void*) { ZIN_REPORT("conf_number::set not supported"); }
void conf_number::get(void*) const { ZIN_REPORT("conf_number::get not supported"); }

// ---- bool -----------------------------------------------------------------------------------------

// Any byte but 0 is true: a bool never holds another bit pattern than 0 or 1.
void conf_bool::load(config_stream& stream) { m_value = read_1(stream) != 0; }
void conf_bool::save(config_stream& stream) { write_1(stream, m_value ? 1 : 0); }
void conf_bool::set(const void* from) {
    uint8_t byte;
    memcpy(&byte, from, 1);
    m_value = byte != 0;
}
void conf_bool::get(void* to) const {
    const uint8_t byte = m_value ? 1 : 0;
    memcpy(to, &byte, 1);
}

// ---- color ----------------------------------------------------------------------------------------

void conf_color::load(config_stream& stream) { m_value = read_4(stream); }
void conf_color::save(config_stream& stream) { write_4(stream, static_cast<uint32_t>(m_value)); }
void conf_color::set(const void* from) { memcpy(&m_value, from, 4); }
void conf_color::get(void* to) const { memcpy(to, &m_value, 4); }

// ---- font -----------------------------------------------------------------------------------------

void conf_font::load(config_stream& stream) {
    read_60(stream, m_value);
    // The face name is used as a C string: a file may not leave it open.
    m_value.lfFaceName[LF_FACESIZE - 1] = '\0';
}
void conf_font::save(config_stream& stream) { write_60(stream, m_value); }
void conf_font::set(const void* from) { memcpy(&m_value, from, sizeof m_value); }
void conf_font::get(void* to) const { memcpy(to, &m_value, sizeof m_value); }

// ---- rect -----------------------------------------------------------------------------------------

void conf_rect::load(config_stream& stream) { read_16(stream, m_value); }
void conf_rect::save(config_stream& stream) { write_16(stream, m_value); }
void conf_rect::set(const void* from) { memcpy(&m_value, from, sizeof m_value); }
void conf_rect::get(void* to) const { memcpy(to, &m_value, sizeof m_value); }

// ---- strings --------------------------------------------------------------------------------------

template <class T>
conf_string_base<T>::conf_string_base(const T* initial) : m_string(copy_text(initial)) {}

template <class T>
conf_string_base<T>::~conf_string_base() {
    delete[] m_string;
}

template <class T>
void conf_string_base<T>::assign(const T* string) {
    T* copy = copy_text(string);  // string may be the held value itself
    delete[] m_string;
    m_string = copy;
}

template <class T>
void conf_string_base<T>::load(config_stream& stream) {
    ZIN_ASSERT_MSG(m_string == nullptr, "string item loaded over a value");
    T* text = read_text<T>(stream);
    delete[] m_string;
    m_string = text;
}

template <class T>
void conf_string_base<T>::save(config_stream& stream) {
    // No value cannot be written: the file has no way to say "none".
    if (!ZIN_CHECK_MSG(m_string != nullptr, "string item saved without a value"))
        throw std::runtime_error("error writing to file");
    write_text(stream, m_string);
}

template <class T>
void conf_string_base<T>::set(const void*) {
    ZIN_REPORT("conf_string_base::set not supported");
}

template <class T>
void conf_string_base<T>::get(void*) const {
    ZIN_REPORT("conf_string_base::get not supported");
}

template class conf_string_base<wchar_t>;
template class conf_string_base<char>;

conf_string::~conf_string() { clear_choices(); }

void conf_string::clear_choices() {
    for (uint32_t i = 0; i < m_choices.getSize(); ++i) m_choices[i].~conf_string_base();
    m_choices.clear();
}

void conf_string::add_choice(const wchar_t* choice) {
    // The copy is made before the list grows: choice may be a choice of this list.
    conf_string_base<wchar_t> copy(choice);
    conf_string_base<wchar_t>* slot = m_choices.pushNew();
    if (!slot) throw std::bad_alloc();
    new (slot) conf_string_base<wchar_t>(nullptr);
    slot->set_string(copy.get_string_ref());
    copy.set_string(nullptr);
}

void conf_string::load(config_stream& stream) {
    conf_string_base<wchar_t>::load(stream);
    // Each choice takes at least its 4-byte count.
    clear_choices();
    const uint32_t count = stream.read_count(4);
    if (count == 0) return;
    if (!m_choices.setSize(count)) throw std::bad_alloc();
    for (uint32_t i = 0; i < count; ++i) new (&m_choices[i]) conf_string_base<wchar_t>(nullptr);
    for (uint32_t i = 0; i < count; ++i) m_choices[i].load(stream);
}

void conf_string::save(config_stream& stream) {
    conf_string_base<wchar_t>::save(stream);
    write_4(stream, m_choices.getSize());
    for (uint32_t i = 0; i < m_choices.getSize(); ++i) m_choices[i].save(stream);
}

// ---- Factory and type tests -------------------------------------------------------------------------

bool is_number_type(const char* type_name) { return _stricmp(type_name, "number") == 0; }
bool is_string_type(const char* type_name) { return _stricmp(type_name, "string") == 0; }
bool is_color_type(const char* type_name) { return _stricmp(type_name, "color") == 0; }
bool is_font_type(const char* type_name) { return _stricmp(type_name, "font") == 0; }
bool is_rect_type(const char* type_name) { return _stricmp(type_name, "rect") == 0; }
bool is_bool_type(const char* type_name) { return _stricmp(type_name, "bool") == 0; }

conf_base* create_conf_by_type(const char* type_name) {
    if (!type_name) return nullptr;
    if (is_number_type(type_name)) return new conf_number();
    if (is_string_type(type_name)) return new conf_string();
    if (is_color_type(type_name)) return new conf_color();
    if (is_font_type(type_name)) return new conf_font();
    if (is_rect_type(type_name)) return new conf_rect();
    if (is_bool_type(type_name)) return new conf_bool();
    return nullptr;
}

}  // namespace zin_config
