#pragma once
// The host's file system for local paths: "file://" followed by a Windows path. Files are Win32 file
// handles; every Win32 failure is reported as the I/O exception the SDK maps its code to.
#include <trovaplay/sdk/filesystem.h>

namespace host {

// A new local file system service with one reference (the caller's).
filesystem* make_local_filesystem();

}  // namespace host
