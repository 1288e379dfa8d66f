#pragma once
// Shared by the archive tests: a TBackupFile on the fixture's real files, test data, and
// the archive read back by the independent decoder.

#include <zlib.h>

#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "backup/backup_file.h"
#include "support/archive_decoder.h"
#include "support/file_fixture.h"

namespace sw::backup {

// Archive bytes made by hand, for archives Backup would never write.
class ArchiveBytes {
 public:
  ArchiveBytes& Int(std::int32_t v) {
    const auto u = static_cast<std::uint32_t>(v);
    for (int shift = 0; shift < 32; shift += 8) {
      bytes.push_back(static_cast<std::uint8_t>(u >> static_cast<unsigned>(shift)));
    }
    return *this;
  }
  ArchiveBytes& Raw(std::string_view text) {
    bytes.insert(bytes.end(), text.begin(), text.end());
    return *this;
  }
  ArchiveBytes& Text(std::string_view text) { return Int(static_cast<std::int32_t>(text.size())).Raw(text); }
  ArchiveBytes& Header(std::int32_t fileCount = 1) { return Text("").Int(0).Int(fileCount); }
  // A data block of one zlib chunk of `data`, ended by its end word.
  ArchiveBytes& Block(std::string_view data) { return Block(std::vector<std::string_view>{data}); }
  // A data block of one zlib chunk per piece, however small the pieces.
  ArchiveBytes& Block(const std::vector<std::string_view>& pieces) {
    Raw(std::string_view("EC2\0", 4));
    for (const std::string_view data : pieces) {
      Bytes stream(compressBound(static_cast<uLong>(data.size())));
      uLongf size = stream.size();
      compress(stream.data(), &size, reinterpret_cast<const Bytef*>(data.data()), static_cast<uLong>(data.size()));
      Int(static_cast<std::int32_t>(size)).Raw(std::string_view(reinterpret_cast<char*>(stream.data()), size));
    }
    return Int(0);
  }
  // An entry whose data is one zlib chunk of `data`.
  ArchiveBytes& Entry(std::string_view name, std::string_view data, std::int32_t date = 0x52CF5000) {
    return Text(name).Int(date).Block(data);
  }
  ArchiveBytes& Switch(std::string_view digits) { return Text("NEXT:DISK" + std::string(digits)); }
  ArchiveBytes& End() { return Int(0); }

  Bytes bytes;
};

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

  // Puts `bytes` on disk as the archive `sub`; its path for the backup.
  std::string WriteArchive(std::string_view sub, const Bytes& bytes) {
    test::WriteFileBytes(Host(sub), std::string(bytes.begin(), bytes.end()));
    return At(sub);
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
