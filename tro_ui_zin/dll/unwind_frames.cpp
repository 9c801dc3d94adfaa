// The DLL carries its own copy of the unwinder (libgcc is linked in), which raises the DLL's own
// exceptions and resumes every unwinding after a clean-up in the DLL's frames. When the process has
// loaded the shared libgcc DLL (the reference host and the tests do), the start-up code registers the
// DLL's unwind tables with that one instead, and an exception thrown by a module that uses it is
// searched and unwound by it, calling the DLL's handlers with its own context. So, at load:
//   1. Find the DLL's .eh_frame section: the one that holds the marker below.
//   2. When the shared libgcc DLL is loaded, register the section with the DLL's copy as well; in a
//      process without it (a host built by another compiler) the start-up code already did.
//   3. Let the DLL's copy set up its register table, which it otherwise does only when it starts an
//      unwinding itself: the DLL's handlers read the shared copy's contexts through it.
//   4. Take the registration back when the DLL unloads.

#include <windows.h>

#include <unwind.h>

extern "C" {
void __register_frame_info(const void* p_begin, void* p_object);
void* __deregister_frame_info(const void* p_begin);
extern const char zin_eh_frame_marker[];
extern IMAGE_DOS_HEADER __ImageBase;
}

// A label inside this object's share of .eh_frame, which lies inside the DLL's .eh_frame section.
asm(".section .eh_frame,\"dr\"\n"
    ".globl _zin_eh_frame_marker\n"
    "_zin_eh_frame_marker:\n"
    ".text\n");

namespace {

// 1. The start of the loaded section that holds p_address, or null.
const void* section_start(const void* p_address) {
    const char* base = reinterpret_cast<const char*>(&__ImageBase);
    const IMAGE_NT_HEADERS* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + __ImageBase.e_lfanew);
    const IMAGE_SECTION_HEADER* section = IMAGE_FIRST_SECTION(nt);
    const DWORD offset = static_cast<DWORD>(static_cast<const char*>(p_address) - base);
    for (WORD i = 0; i < nt->FileHeader.NumberOfSections; ++i, ++section)
        if (offset >= section->VirtualAddress && offset < section->VirtualAddress + section->Misc.VirtualSize)
            return base + section->VirtualAddress;
    return nullptr;
}

class unwind_frames {
public:
    unwind_frames() {
        // 2. The same test the start-up code made a moment ago.
        if (GetModuleHandleW(L"libgcc_s_dw2-1.dll") != nullptr) {
            m_begin = section_start(zin_eh_frame_marker);
            if (m_begin) __register_frame_info(m_begin, m_object);
        }
        // 3. A walk that stops at its first frame.
        _Unwind_Backtrace([](_Unwind_Context*, void*) { return _URC_END_OF_STACK; }, nullptr);
    }
    // 4.
    ~unwind_frames() {
        if (m_begin) __deregister_frame_info(m_begin);
    }
    unwind_frames(const unwind_frames&) = delete;
    unwind_frames& operator=(const unwind_frames&) = delete;

private:
    const void* m_begin = nullptr;
    void* m_object[8] = {};  // the unwinder's record of a registered table (six words in this version)
};

unwind_frames g_unwind_frames;

}  // namespace
