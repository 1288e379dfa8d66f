#pragma once
// Windows' sharing rule for files opened with ReadSharing::DenyWriters: while such a reader
// is open, nobody may open the file for writing, replace it, rename it or delete it. Under
// Wine the real file system enforces it and this passes every call on; on the host, where
// POSIX has no such rule, this keeps the names of the files so opened and refuses those
// calls for them with SharingViolation, as Windows would.

#include <memory>
#include <set>
#include <string>

#include "core/text.h"
#include "support/forwarding_file_system.h"

namespace sw::test {

class SharingFileSystem final : public ForwardingFileSystem {
 public:
  using ForwardingFileSystem::ForwardingFileSystem;

#ifndef _WIN32
  Result<std::unique_ptr<platform::FileReader>> OpenForReading(std::string_view path,
                                                               platform::ReadSharing sharing) override {
    auto reader = real_.OpenForReading(path, sharing);
    if (!reader || sharing != platform::ReadSharing::DenyWriters) {
      return reader;
    }
    return std::unique_ptr<platform::FileReader>(std::make_unique<Held>(*this, std::string(path), std::move(*reader)));
  }
  Result<std::unique_ptr<platform::FileWriter>> OpenForWriting(std::string_view p, platform::CreateMode m) override {
    if (IsHeld(p)) {
      return Error(Errc::SharingViolation);
    }
    return real_.OpenForWriting(p, m);
  }
  Status RemoveFile(std::string_view p) override { return IsHeld(p) ? Error(Errc::SharingViolation) : real_.RemoveFile(p); }
  Status ReplaceWhole(std::string_view p, std::span<const std::uint8_t> c) override {
    return IsHeld(p) ? Error(Errc::SharingViolation) : real_.ReplaceWhole(p, c);
  }
  using FileSystem::ReplaceWhole;
  Status RenameFile(std::string_view f, std::string_view t) override {
    return IsHeld(f) || IsHeld(t) ? Error(Errc::SharingViolation) : real_.RenameFile(f, t);
  }

 private:
  // A reader that holds its file's name while it is open.
  class Held final : public platform::FileReader {
   public:
    Held(SharingFileSystem& owner, std::string path, std::unique_ptr<platform::FileReader> real)
        : owner_(owner), path_(ToLowerText(path)), real_(std::move(real)) {
      owner_.held_.insert(path_);
    }
    ~Held() override { owner_.held_.erase(owner_.held_.find(path_)); }
    Result<std::size_t> Read(std::span<std::uint8_t> buffer) override { return real_->Read(buffer); }
    Result<std::uint64_t> Size() override { return real_->Size(); }

   private:
    SharingFileSystem& owner_;
    std::string path_;
    std::unique_ptr<platform::FileReader> real_;
  };

  bool IsHeld(std::string_view path) const { return held_.count(ToLowerText(path)) > 0; }

  std::multiset<std::string> held_;
#endif
};

}  // namespace sw::test
