#include <trovaplay/sdk/dialog.h>

#include <trovaplay/sdk/core_api.h>

HWND create_dialog_param(UINT p_template, HWND p_parent, DLGPROC p_proc, LPARAM p_param) {
  return CreateDialogParamW(core_api::get_my_instance(), MAKEINTRESOURCEW(p_template), p_parent, p_proc, p_param);
}

INT_PTR dialog_box_param(UINT p_template, HWND p_parent, DLGPROC p_proc, LPARAM p_param) {
  return DialogBoxParamW(core_api::get_my_instance(), MAKEINTRESOURCEW(p_template), p_parent, p_proc, p_param);
}
