#pragma once
// The open-file dialogs of the Restore button (dlgOpenReg, dlgOpenBck). Like message boxes,
// they can be answered by a hook instead of a person, so that the window tests never wait
// on a dialog.

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>

#include "tweaks/restore.h"

namespace sw::app::win32 {

// The picked file's full path, or none when the user cancelled.
using FilePickerHook = std::optional<std::string> (*)(HWND owner, const tweaks::FilePicker& picker,
                                                      const std::string& initialFolder);
// Process-wide; null means the real dialog.
void SetFilePickerHook(FilePickerHook hook);

// Shows the open-file dialog `picker` describes, starting in `initialFolder`, owned by
// `owner`. The process's current folder stays as it was.
std::optional<std::string> PickFile(HWND owner, const tweaks::FilePicker& picker, std::string_view initialFolder);

}  // namespace sw::app::win32
