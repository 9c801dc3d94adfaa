#pragma once
// Dialogs made from this module's own dialog templates (numbered resources).

#include <windows.h>

// A modeless dialog from template p_template of this module.
HWND create_dialog_param(UINT p_template, HWND p_parent, DLGPROC p_proc, LPARAM p_param);
// The modal twin: the result the dialog ended with.
INT_PTR dialog_box_param(UINT p_template, HWND p_parent, DLGPROC p_proc, LPARAM p_param);
