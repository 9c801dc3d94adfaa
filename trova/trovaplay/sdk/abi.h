#pragma once
// Calling conventions of every free function that crosses a module boundary, fixed here once:
// the module entry of the component, the host's hook procedure and the exports of shared.dll.

// The component's exported entry, `trovaplay_get_interface`.
#define TROVA_ENTRY_CALL __cdecl

// The host's hook procedure handed to the user-interface service.
#define TROVA_HOOK_CALL __stdcall

// Functions exported by shared.dll.
#define SHARED_CALL __cdecl
#ifdef SHARED_DLL_BUILD
#define SHARED_API extern "C" __declspec(dllexport)
#else
#define SHARED_API extern "C" __declspec(dllimport)
#endif
