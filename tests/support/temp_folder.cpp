#include "support/temp_folder.h"

#ifdef _WIN32
#include <windows.h>
#endif

#include <atomic>
#include <chrono>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace sw::test {

TempFolder::TempFolder() {
  static std::atomic<unsigned> counter{0};
  const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
  for (int attempt = 0; attempt < 100; ++attempt) {
    path_ = std::filesystem::temp_directory_path() /
            ("sweepwise-test-" + std::to_string(stamp) + "-" + std::to_string(counter++));
    if (std::filesystem::create_directory(path_)) {
      return;
    }
  }
  throw std::runtime_error("cannot create a temporary folder");
}

#ifdef _WIN32
namespace {

// The names of a folder's entries (without "." and ".."), read through the exact "\\?\" form.
template <class Visit>
void ForEachEntry(const std::wstring& folder, Visit visit) {
  WIN32_FIND_DATAW found{};
  HANDLE search = ::FindFirstFileW((L"\\\\?\\" + folder + L"\\*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) {
    return;
  }
  do {
    const std::wstring name = found.cFileName;
    if (name != L"." && name != L"..") {
      visit(name, (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0);
    }
  } while (::FindNextFileW(search, &found));
  ::FindClose(search);
}

// std::filesystem goes through the system's path clean-up, which would miss (or hit the
// neighbour of) a name ending in a dot or a blank; the tests make such names.
void RemoveTree(const std::wstring& folder) {
  ForEachEntry(folder, [&](const std::wstring& name, bool isFolder) {
    const std::wstring path = folder + L"\\" + name;
    if (isFolder) {
      RemoveTree(path);
    } else {
      ::SetFileAttributesW((L"\\\\?\\" + path).c_str(), FILE_ATTRIBUTE_NORMAL);
      ::DeleteFileW((L"\\\\?\\" + path).c_str());
    }
  });
  ::RemoveDirectoryW((L"\\\\?\\" + folder).c_str());
}

void CollectFiles(const std::wstring& folder, const std::string& relative, std::set<std::string>& files) {
  ForEachEntry(folder, [&](const std::wstring& name, bool isFolder) {
    const std::string utf8 = Utf8Of(std::filesystem::path(name));
    const std::string path = relative.empty() ? utf8 : relative + "/" + utf8;
    if (isFolder) {
      CollectFiles(folder + L"\\" + name, path, files);
    } else {
      files.insert(path);
    }
  });
}

}  // namespace

TempFolder::~TempFolder() {
  RemoveTree(std::filesystem::absolute(path_).wstring());
}

std::set<std::string> FilesBelow(const std::filesystem::path& root) {
  std::set<std::string> files;
  CollectFiles(std::filesystem::absolute(root).wstring(), "", files);
  return files;
}
#else
TempFolder::~TempFolder() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

std::set<std::string> FilesBelow(const std::filesystem::path& root) {
  std::set<std::string> files;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
    if (!entry.is_directory()) {
      files.insert(Utf8Of(std::filesystem::relative(entry.path(), root).generic_u8string()));
    }
  }
  return files;
}
#endif

std::string Utf8Of(const std::filesystem::path& path) {
  const std::u8string text = path.u8string();
  return {text.begin(), text.end()};
}

std::filesystem::path PathOfUtf8(const std::string& text) {
  return std::filesystem::path(std::u8string(text.begin(), text.end()));
}

void WriteFileBytes(const std::filesystem::path& path, std::string_view contents) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(contents.data(), static_cast<std::streamsize>(contents.size()));
  if (!out) {
    throw std::runtime_error("cannot write " + Utf8Of(path));
  }
}

std::string ReadFileBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace sw::test
