#pragma once
// The kinds of junk the Files Find looks for. Each row names its category in its Type column;
// the window offers the optional ones as check boxes, the console takes their names
// (--only, --skip). Every category is searched unless left out.

#include <bitset>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace sw::files {

enum class JunkCategory {
  // Searched on every fixed drive's whole tree, in one walk per drive.
  kShortcuts,
  kTemporaryFiles,
  kBackupCopies,
  kHelpIndexes,
  // Whole folders.
  kRecycleBin,
  kTemporaryFolders,
  kInternetCache,
  kCookies,
  kHistory,
  kRecentDocuments,
  kBrowserCaches,
  kCrashDumps,
  kErrorReports,
  kThumbnails,
  kWindowsUpdate,
  kCleanupHandlers,
  // Not files: the system's own Disk Cleanup handlers (windows_cleanup.h).
  kWindowsCleanup,
};
inline constexpr std::size_t kJunkCategoryCount = 17;

// Where the window offers a category.
enum class CategoryOption {
  kNone,         // always searched by the window (the drive patterns)
  kInternet,     // one of the four boxes of the options panel
  kMorePlaces,   // the list of further places, for Vista and later
};

struct CategoryInfo {
  JunkCategory category;
  std::string_view name;         // on the command line and in --json: "browser-caches"
  std::string_view type;         // the rows' Type column: "Browser cache"
  std::string_view option;       // the window's check box: "Browser caches"
  std::string_view description;  // where it looks, for --categories and the box's hint
  CategoryOption offered;
  // The files of a category that the system keeps using (its update downloads) are left
  // alone when they are in use, not queued for deletion at the next logon.
  bool queueInUse = true;
};

// Every category, in the order the Find searches them.
[[nodiscard]] std::span<const CategoryInfo> JunkCategories();
[[nodiscard]] const CategoryInfo& InfoOf(JunkCategory category);
[[nodiscard]] std::optional<JunkCategory> CategoryNamed(std::string_view name);

// A set of categories; all of them unless said otherwise.
class CategorySet {
 public:
  static CategorySet All() { return CategorySet(true); }
  static CategorySet None() { return CategorySet(false); }

  [[nodiscard]] bool Has(JunkCategory category) const { return bits_.test(static_cast<std::size_t>(category)); }
  void Set(JunkCategory category, bool on) { bits_.set(static_cast<std::size_t>(category), on); }
  [[nodiscard]] bool Empty() const { return bits_.none(); }

  // "--only a,b" and "--skip c": the names, separated by commas; an unknown name is the
  // error's text.
  static std::optional<CategorySet> Parse(std::string_view only, std::string_view skip, std::string& unknown);

 private:
  explicit CategorySet(bool all) {
    if (all) {
      bits_.set();
    }
  }
  std::bitset<kJunkCategoryCount> bits_;
};

}  // namespace sw::files
