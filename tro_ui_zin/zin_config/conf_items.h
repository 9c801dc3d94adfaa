#pragma once
// Typed configuration items: one item holds one value of a skin's named setting (or a string of the
// store itself), writes it to the configuration file and reads it back, moves it between the item
// and a script object, names its type and makes its control on the preferences page.
//
// Class tree (virtual operations in slot order after the destructor):
//   load_save            load (stream), save (stream)
//   conf_base            set (from), get (to), get_type_name, create_control (parent, label, x, y)
//   conf_single<T>       one value of type T
//     conf_number  double          "number"  no set/get (the script table reads the value directly)
//     conf_bool    bool            "bool"    check box
//     conf_color   COLORREF        "color"   labelled button and colour swatch
//     conf_font    LOGFONTA        "font"    button drawn in the font
//     conf_rect    RECT            "rect"    no control
//   conf_string_base<T>  owned heap string, null = no value   "string"
//     conf_string          wide string plus its choices         label and drop-down list
//
// Type names are also the script class names of the values (color, font, rect).

#include <array.h>

#include <windows.h>

#include <cstdint>

namespace zin_config {

class config_stream;

class load_save {
public:
    virtual ~load_save() = default;
    // Reads the item's file payload; throws std::runtime_error on a short or hostile file.
    virtual void load(config_stream& stream) = 0;
    // Writes the item's file payload; throws std::runtime_error when a write fails.
    virtual void save(config_stream& stream) = 0;
};

class conf_base : public load_save {
public:
    // Copies the value in from / out to the memory of a script object of the item's type.
    virtual void set(const void* from) = 0;
    virtual void get(void* to) const = 0;
    // "number", "string", "bool", "color", "font" or "rect".
    virtual const char* get_type_name() const = 0;
    // Makes the item's control on the preferences page (children of parent); the main control's
    // window, or null when the type has none.
    virtual HWND create_control(HWND parent, const char* label, int x, int y);
};

template <class T>
class conf_single : public conf_base {
public:
    explicit conf_single(const T& initial) : m_value(initial) {}
    T& value() { return m_value; }
    const T& value() const { return m_value; }

protected:
    T m_value;
};

class conf_number : public conf_single<double> {
public:
    conf_number() : conf_single(0.0) {}
    void load(config_stream& stream) override;
    void save(config_stream& stream) override;
    void set(const void* from) override;
    void get(void* to) const override;
    const char* get_type_name() const override { return "number"; }
};

class conf_bool : public conf_single<bool> {
public:
    conf_bool() : conf_single(false) {}
    void load(config_stream& stream) override;
    void save(config_stream& stream) override;
    void set(const void* from) override;
    void get(void* to) const override;
    const char* get_type_name() const override { return "bool"; }
    HWND create_control(HWND parent, const char* label, int x, int y) override;
};

class conf_color : public conf_single<unsigned long> {
public:
    conf_color() : conf_single(0) {}
    void load(config_stream& stream) override;
    void save(config_stream& stream) override;
    void set(const void* from) override;
    void get(void* to) const override;
    const char* get_type_name() const override { return "color"; }
    HWND create_control(HWND parent, const char* label, int x, int y) override;
};

class conf_font : public conf_single<LOGFONTA> {
public:
    conf_font() : conf_single(LOGFONTA{}) {}
    void load(config_stream& stream) override;
    void save(config_stream& stream) override;
    void set(const void* from) override;
    void get(void* to) const override;
    const char* get_type_name() const override { return "font"; }
    HWND create_control(HWND parent, const char* label, int x, int y) override;
};

class conf_rect : public conf_single<RECT> {
public:
    conf_rect() : conf_single(RECT{0, 0, 0, 0}) {}
    void load(config_stream& stream) override;
    void save(config_stream& stream) override;
    void set(const void* from) override;
    void get(void* to) const override;
    const char* get_type_name() const override { return "rect"; }
};

// A string of wchar_t (file: wide string) or char (file: narrow string), held in a new[] buffer
// that the item owns; null means "no value".
template <class T>
class conf_string_base : public conf_base {
public:
    // initial is copied (null allowed).
    explicit conf_string_base(const T* initial = nullptr);
    ~conf_string_base() override;
    conf_string_base(const conf_string_base&) = delete;
    conf_string_base& operator=(const conf_string_base&) = delete;

    // The held pointer itself.
    T*& get_string_ref() { return m_string; }
    const T* get() const { return m_string; }
    // Replaces the held pointer without freeing the old one: the caller owns the old value. The new
    // one must come from new[].
    void set_string(T* string) { m_string = string; }
    // Frees the held value and holds a copy of string (null allowed).
    void assign(const T* string);

    // load requires an item without a value; save requires a value (both reported otherwise;
    // saving no value throws rather than write a file that could not be read back).
    void load(config_stream& stream) override;
    void save(config_stream& stream) override;
    // Not used for strings: reported, nothing copied.
    void set(const void* from) override;
    void get(void* to) const override;
    const char* get_type_name() const override { return "string"; }

protected:
    T* m_string;
};

extern template class conf_string_base<wchar_t>;
extern template class conf_string_base<char>;

class conf_string : public conf_string_base<wchar_t> {
public:
    conf_string() = default;
    ~conf_string() override;

    // The choices offered on the preferences page (elements built in place, see clear_choices).
    CDynArray<conf_string_base<wchar_t>> m_choices;

    // Destroys every choice and empties the list.
    void clear_choices();
    // Appends a copy of choice.
    void add_choice(const wchar_t* choice);

    // The string, then the choices as an array of wide strings.
    void load(config_stream& stream) override;
    void save(config_stream& stream) override;
    HWND create_control(HWND parent, const char* label, int x, int y) override;
};

// A new item of the type name (compared without regard to case), with no value for "string" and a
// zero value otherwise; null for any other name.
conf_base* create_conf_by_type(const char* type_name);

// One test per type name, each without regard to case.
bool is_number_type(const char* type_name);
bool is_string_type(const char* type_name);
bool is_color_type(const char* type_name);
bool is_font_type(const char* type_name);
bool is_rect_type(const char* type_name);
bool is_bool_type(const char* type_name);

}  // namespace zin_config
