#include "platform/host/scripted_disk_cleanup.h"

#include <algorithm>

#include "core/text.h"

namespace sw::platform::host {
namespace {

using R = HandlerCallResult;

class ScriptedHandler final : public DiskCleanupHandler {
 public:
  ScriptedHandler(ScriptedDiskCleanupHandlers& host, std::string classId, std::string volume, HandlerTexts texts)
      : host_(host), classId_(std::move(classId)), volume_(std::move(volume)), texts_(std::move(texts)) {}

  [[nodiscard]] const HandlerTexts& Texts() const override { return texts_; }
  HandlerAnswer GetSpaceUsed(const HandlerWait& wait) override {
    return host_.Answer(classId_, volume_, "GetSpaceUsed", wait, [](const ScriptedHandlerClass& c) { return c.spaceUsed; });
  }
  HandlerAnswer Purge(std::uint64_t spaceToFree, const HandlerWait& wait) override {
    return host_.Answer(classId_, volume_, "Purge", wait, [spaceToFree](const ScriptedHandlerClass& c) {
      if (c.purge) {
        return c.purge(spaceToFree);
      }
      return HandlerAnswer{R::kDone, 0, c.spaceUsed.bytes, true};
    });
  }
  HandlerAnswer Deactivate(const HandlerWait& wait) override {
    return host_.Answer(classId_, volume_, "Deactivate", wait, [](const ScriptedHandlerClass& c) { return c.deactivate; });
  }

 private:
  ScriptedDiskCleanupHandlers& host_;
  std::string classId_;
  std::string volume_;
  HandlerTexts texts_;
};

}  // namespace

void ScriptedDiskCleanupHandlers::Register(const std::string& classId, ScriptedHandlerClass behaviour) {
  classes_[ToUpperText(classId)] = std::move(behaviour);
}

HandlerAnswer ScriptedDiskCleanupHandlers::Answer(const std::string& classId, std::string_view volume,
                                                  std::string_view call, const HandlerWait& wait,
                                                  const std::function<HandlerAnswer(const ScriptedHandlerClass&)>& answer) {
  const std::string key = ToUpperText(classId);
  calls.push_back(std::string(call) + " " + classId + " " + std::string(volume));
  if (busy_[key]) {
    return HandlerAnswer{R::kBusy};
  }
  const auto found = classes_.find(key);
  if (found == classes_.end()) {
    return HandlerAnswer{R::kFailed, 0x80040154};  // REGDB_E_CLASSNOTREG
  }
  const ScriptedHandlerClass& behaviour = found->second;
  if (behaviour.hangsIn == call) {
    busy_[key] = true;
    return HandlerAnswer{R::kTimedOut};
  }
  HandlerAnswer result = answer(behaviour);
  if (wait.idle && wait.idle(result.bytes)) {
    return HandlerAnswer{R::kStopped};
  }
  return result;
}

OpenedHandler ScriptedDiskCleanupHandlers::Open(const RegisteredHandler& handler, std::string_view volume,
                                                const HandlerWait& wait) {
  OpenedHandler opened;
  opened.answer = Answer(handler.classId, volume, "Initialize", wait, [volume](const ScriptedHandlerClass& c) {
    const bool applies = std::any_of(c.volumes.begin(), c.volumes.end(),
                                     [volume](const std::string& v) { return EqualsNoCase(v, volume); });
    return applies ? c.initialize : HandlerAnswer{R::kNothing, 1};
  });
  if (opened.answer.result == R::kDone) {
    opened.texts = classes_[ToUpperText(handler.classId)].texts;
    opened.handler = std::make_unique<ScriptedHandler>(*this, handler.classId, std::string(volume), opened.texts);
  }
  return opened;
}

}  // namespace sw::platform::host
