// createShellLink: a shell link (.lnk) made through the shell's link object.
#include <misc.h>

#include <objbase.h>
#include <objidl.h>
#include <shobjidl.h>

namespace {

// The shell link object's class.
const CLSID kShellLinkClass = {0x00021401, 0x0000, 0x0000, {0xc0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

typedef HRESULT(WINAPI* CoCreateInstanceFn)(REFCLSID, LPUNKNOWN, DWORD, REFIID, LPVOID*);

}  // namespace

HRESULT createShellLink(const wchar_t* linkPath, const wchar_t* target) {
    if (!ZIN_CHECK(linkPath != nullptr)) return E_INVALIDARG;
    if (!ZIN_CHECK(target != nullptr)) return E_INVALIDARG;

    // COM's creation function is taken from ole32 at run time (the module is already loaded in any
    // process that initialised COM); the reference taken here is given back at the end.
    HMODULE ole32 = LoadLibraryW(L"ole32.dll");
    if (!ole32) return HRESULT_FROM_WIN32(GetLastError());
    CoCreateInstanceFn create =
        reinterpret_cast<CoCreateInstanceFn>(reinterpret_cast<void*>(GetProcAddress(ole32, "CoCreateInstance")));
    if (!create) {
        HRESULT missing = HRESULT_FROM_WIN32(GetLastError());
        FreeLibrary(ole32);
        return missing;
    }

    IShellLinkW* link = nullptr;
    HRESULT hr = create(kShellLinkClass, nullptr, CLSCTX_INPROC_SERVER, __uuidof(IShellLinkW),
                        reinterpret_cast<void**>(&link));
    if (SUCCEEDED(hr)) {
        hr = link->SetPath(target);
        if (SUCCEEDED(hr)) {
            IPersistFile* file = nullptr;
            hr = link->QueryInterface(__uuidof(IPersistFile), reinterpret_cast<void**>(&file));
            if (SUCCEEDED(hr)) {
                hr = file->Save(linkPath, TRUE);
                file->Release();
            }
        }
        link->Release();
    }
    FreeLibrary(ole32);
    return hr;
}
