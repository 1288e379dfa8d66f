#pragma once
// Shared by the archive tests: a TBackupFile on the fixture's real files, test data, and
// the archive read back by the independent decoder.

#include <random>
#include <string>
#include <vector>

#include "backup/backup_file.h"
#include "support/archive_decoder.h"
#include "support/file_fixture.h"

namespace sw::backup {

class BackupTest : public test::FileFixture {
 protected:
  BackupTest() : backup_(files(), system()) {}

  // Bytes that do not compress.
  static std::string RandomBytes(std::size_t size, unsigned seed = 1) {
    std::mt19937 random(seed);
    std::string out(size, '\0');
    for (char& c : out) {
      c = static_cast<char>(random() & 0xFFU);
    }
    return out;
  }

  // Text-like bytes that compress well.
  static std::string TextBytes(std::size_t size) {
    std::string out;
    while (out.size() < size) {
      out += "Sweepwise keeps what you did not mean to lose. " + std::to_string(out.size()) + "\r\n";
    }
    out.resize(size);
    return out;
  }

  // The archive `sub` and its further volumes (.002, ...), as they are on disk.
  std::vector<Bytes> Volumes(std::string_view sub) {
    std::vector<Bytes> volumes;
    std::string path(sub);
    for (int n = 2; std::filesystem::exists(Host(path)); ++n) {
      const std::string bytes = test::ReadFileBytes(Host(path));
      volumes.emplace_back(bytes.begin(), bytes.end());
      const std::string digits = (n < 10 ? "00" : n < 100 ? "0" : "") + std::to_string(n);
      path = std::string(sub.substr(0, sub.rfind('.'))) + "." + digits;
    }
    return volumes;
  }

  test::DecodedArchive Decode(std::string_view sub) { return test::DecodeArchive(Volumes(sub)); }

  static std::string Text(const Bytes& bytes) { return {bytes.begin(), bytes.end()}; }

  TBackupFile backup_;
};

}  // namespace sw::backup
