#pragma once
// The tests' own Disk Cleanup handlers (tests/wine/test_cleanup_handlers.cpp), registered in
// the test prefix for as long as the object lives, as a program registers them: the class
// below HKLM\Software\Classes\CLSID (the DLL beside the running program, ThreadingModel
// Apartment) and a key below VolumeCaches naming it, with the folder the handler counts and
// purges and the file its calls are logged to. Beside them: a key of the system's data-driven
// cleaner and a key whose default value is no class, which no listing of these handlers may
// show.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace sw::test {

enum class TestHandler { kSized = 1, kFails, kHangs, kAdministrators, kSettings, kNotUnattended };

class TestCleanupHandlers {
 public:
  // Registers `which`; each handler's folder is `root`\<its name>, created.
  explicit TestCleanupHandlers(std::filesystem::path root, std::vector<TestHandler> which = All());
  ~TestCleanupHandlers();
  TestCleanupHandlers(const TestCleanupHandlers&) = delete;
  TestCleanupHandlers& operator=(const TestCleanupHandlers&) = delete;

  [[nodiscard]] static std::vector<TestHandler> All();
  [[nodiscard]] static std::string ClassId(TestHandler which);  // "{5A1C0E01-...}"
  [[nodiscard]] static std::string KeyName(TestHandler which);  // "Sweepwise Test Sized"
  // Removes every key the tests register, those a crashed run left included.
  static void RemoveAll();

  [[nodiscard]] std::filesystem::path Folder(TestHandler which) const;
  [[nodiscard]] std::filesystem::path Log() const { return root_ / "calls.log"; }
  // The lines of the call log so far.
  [[nodiscard]] std::vector<std::string> Calls() const;
  // A file of `size` bytes in the handler's folder; its bytes are never written (a sparse file
  // on the host), so gigabytes cost nothing.
  void Plant(TestHandler which, const std::string& name, std::uint64_t size) const;
  // Sets a DWORD value of the handler's key (Delay: milliseconds the handler waits per file).
  void SetNumber(TestHandler which, const wchar_t* name, std::uint32_t value) const;

 private:
  std::filesystem::path root_;
};

}  // namespace sw::test
