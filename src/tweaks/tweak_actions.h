#pragma once
// What each tweak of the catalogue does, keyed by its title: most change one registry value
// or delete one key; a few make several changes, write further values once applied, or
// compute their change at run time (a special action).

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/bytes.h"
#include "core/result.h"
#include "platform/registry.h"

namespace sw::tweaks {

// None: no registry change of its own (the tweak is a special action). Delete: the value,
// or with an empty value name the key, is deleted.
enum class ChangeType { None, Delete, String, Dword, MultiString, Binary };

struct RegistryChange {
  platform::RootKey root = platform::RootKey::LocalMachine;
  std::string keyPath;    // begins with a backslash; a value target's ends with one
  std::string valueName;  // empty: the default value, or with Delete the key itself
  ChangeType type = ChangeType::None;
  // The text, or a Dword's decimal number. A MultiString holds its strings, each ended by a
  // zero character (the final zero of the list is added when written).
  std::string value;
  Bytes binary;             // a Binary change's data
  bool withSubKeys = true;  // a key deletion takes the key's subkeys along
};

class TweakPass;
// A change computed at run time; answers whether the tweak is in effect (check pass) or was
// carried out (apply pass). An error value means the restore file could not be written.
using SpecialAction = Result<bool> (*)(TweakPass& pass);

struct TweakAction {
  std::string_view title;
  std::vector<RegistryChange> changes;  // made in this order
  // Each further change only while the previous one answered true (else every change is
  // made); the tweak's answer is the last one obtained.
  bool stopAtFalse = false;
  // Written once the tweak is applied, after its changes; not part of its check.
  std::vector<RegistryChange> extras;
  SpecialAction special = nullptr;  // in place of `changes`
  bool listed = true;               // in effect: listed under "Applied Tasks"
  // False for a task whose effect leaves no trace to check: it is always offered again.
  bool checkable = true;
  // Its special action writes below HKEY_LOCAL_MACHINE (what its changes write says itself).
  bool specialMachineWide = false;
};

// The fifty actions, in catalogue order.
std::span<const TweakAction> TweakActions();

// The actions of the Windows 10 and 11 settings, in their catalogue's order.
std::span<const TweakAction> Windows10Actions();

// The action of `title` in either table, or null.
const TweakAction* FindTweakAction(std::string_view title);

// Whether the change needs administrator rights: every root but the user's own, and the
// user's policy keys (Software\Policies), which Windows lets users read but not write.
[[nodiscard]] bool NeedsAdministrator(const RegistryChange& change);
// Whether any change of the tweak, its further writes or its special action does.
[[nodiscard]] bool NeedsAdministrator(const TweakAction& action);

}  // namespace sw::tweaks
