#include "online/update_program.h"

#include "core/product.h"
#include "online/update_check.h"

namespace sw::online {

// The program folder, not the current folder: the program may have been started from
// anywhere (a shortcut, the Run key), and another folder's update.exe is not ours.
bool StartUpdateProgram(platform::Platform& platform, EngineSink& sink) {
  const std::string program = platform.folders.ProgramFile(kUpdateProgram);
  if (!platform.files->FileExists(program)) {
    sink.Ask(Message{"The update program " + program + " is missing. Please download the new release from " +
                         std::string(kVendorWebsite) + ".",
                     "Update", MessageKind::Warning});
    return false;
  }
  if (!platform.processes->ExecuteProgram("\"" + program + "\"", true, false)) {
    sink.Ask(Message{"The update program " + program + " cannot be started.", "Update", MessageKind::Error});
    return false;
  }
  return true;
}

}  // namespace sw::online
