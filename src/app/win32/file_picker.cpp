#include "app/win32/file_picker.h"

#include <commdlg.h>

#include <algorithm>
#include <vector>

#include "app/win32/window.h"

namespace sw::app::win32 {
namespace {

FilePickerHook g_filePickerHook = nullptr;

// "name|pattern|name|pattern" as the dialog wants it: each part ended by a zero, and one
// more zero at the end.
std::wstring DialogFilter(std::string_view filter) {
  std::wstring wide = Wide(filter);
  std::replace(wide.begin(), wide.end(), L'|', L'\0');
  wide.push_back(L'\0');
  return wide;  // the string's own terminator is the second zero
}

}  // namespace

void SetFilePickerHook(FilePickerHook hook) {
  g_filePickerHook = hook;
}

std::optional<std::string> PickFile(HWND owner, const tweaks::FilePicker& picker, std::string_view initialFolder) {
  if (g_filePickerHook != nullptr) {
    return g_filePickerHook(owner, picker, std::string(initialFolder));
  }
  const std::wstring filter = DialogFilter(picker.filter);
  const std::wstring folder = Wide(initialFolder);
  const std::wstring extension = Wide(picker.defaultExtension);
  // Room for the longest path the system allows, not MAX_PATH.
  std::vector<wchar_t> file(32768, L'\0');
  const std::wstring initialName = Wide(picker.initialFileName);
  std::copy_n(initialName.begin(), std::min(initialName.size(), file.size() - 1), file.begin());

  OPENFILENAMEW dialog{};
  dialog.lStructSize = sizeof(dialog);
  dialog.hwndOwner = owner;
  dialog.lpstrFilter = filter.c_str();
  dialog.nFilterIndex = 1;
  dialog.lpstrFile = file.data();
  dialog.nMaxFile = static_cast<DWORD>(file.size());
  dialog.lpstrInitialDir = folder.c_str();
  dialog.lpstrDefExt = extension.c_str();
  // OFN_NOCHANGEDIR: the dialog would otherwise leave the process in the picked folder.
  dialog.Flags =
      OFN_EXPLORER | OFN_ENABLESIZING | OFN_HIDEREADONLY | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR;
  if (!GetOpenFileNameW(&dialog)) {
    return std::nullopt;
  }
  return Utf8(file.data());
}

}  // namespace sw::app::win32
