#pragma once
// Disk Cleanup handlers where there is no COM: a test registers classes by their class ID
// and says what each call of their objects answers. A call that never answers is answered
// kTimedOut at once, as the real host answers at its limit, and its class stays busy.

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/disk_cleanup.h"

namespace sw::platform::host {

struct ScriptedHandlerClass {
  HandlerTexts texts;
  // The volumes ("C:\") its objects have something on; Initialize answers kNothing elsewhere.
  std::vector<std::string> volumes{"C:\\"};
  HandlerAnswer initialize{HandlerCallResult::kDone};
  HandlerAnswer spaceUsed{HandlerCallResult::kDone};  // `bytes`: what it can free
  // What Purge does and answers, given the space to free; without it, Purge frees what
  // GetSpaceUsed counted.
  std::function<HandlerAnswer(std::uint64_t spaceToFree)> purge;
  HandlerAnswer deactivate{HandlerCallResult::kDone};
  // The call ("Initialize", "GetSpaceUsed", "Purge", "Deactivate") that never returns.
  std::string hangsIn;
};

class ScriptedDiskCleanupHandlers final : public DiskCleanupHandlers {
 public:
  void Register(const std::string& classId, ScriptedHandlerClass behaviour);
  OpenedHandler Open(const RegisteredHandler& handler, std::string_view volume, const HandlerWait& wait) override;

  // Every call made, in order: "Initialize <class> C:\", "GetSpaceUsed <class> C:\", ...
  std::vector<std::string> calls;

  // One call of an object of `classId` on `volume`: recorded, shown to the caller's idle work
  // once, then answered as scripted.
  HandlerAnswer Answer(const std::string& classId, std::string_view volume, std::string_view call,
                       const HandlerWait& wait, const std::function<HandlerAnswer(const ScriptedHandlerClass&)>& answer);

 private:
  std::map<std::string, ScriptedHandlerClass> classes_;  // by upper-cased class ID
  std::map<std::string, bool> busy_;
};

}  // namespace sw::platform::host
