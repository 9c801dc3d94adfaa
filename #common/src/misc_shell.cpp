// createShellLink: a shell link (.lnk) made through the shell's link object.
#include <misc.h>

#include <objbase.h>
#include <objidl.h>
#include <shlguid.h>
#include <shobjidl.h>

HRESULT createShellLink(const wchar_t* linkPath, const wchar_t* target) {
    if (!ZIN_CHECK(linkPath != nullptr)) return E_INVALIDARG;
    if (!ZIN_CHECK(target != nullptr)) return E_INVALIDARG;

    IShellLinkW* link = nullptr;
    HRESULT hr = CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                  reinterpret_cast<void**>(&link));
    if (FAILED(hr)) return hr;
    hr = link->SetPath(target);
    if (SUCCEEDED(hr)) {
        IPersistFile* file = nullptr;
        hr = link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file));
        if (SUCCEEDED(hr)) {
            hr = file->Save(linkPath, TRUE);
            file->Release();
        }
    }
    link->Release();
    return hr;
}
