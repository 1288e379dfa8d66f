#pragma once
// What the CPU, Drive and Memory pages show, as plain texts and gauge positions that the
// window copies into its labels and gauges. Gauges run 0 to 100; labels start as "-".

#include <string>
#include <string_view>
#include <vector>

#include "platform/file_system.h"
#include "sysinfo/sys_info.h"

namespace sw::sysinfo {

// One "Before Sweepwise" or "After Sweepwise" row: a label and its gauge.
struct GaugeRow {
  std::string text = "-";
  int gauge = 0;
};

struct MemoryPage {
  std::string totalMem = "-";  // lblTotalMem
  std::string freeMem = "-";   // lblFreeMem
  int freeGauge = 0;           // Gauge1, the free percentage
  GaugeRow before;             // lblFreeMemBefore, gauFreeMemBefore
  GaugeRow after;              // lblFreeMemAfter, gauFreeMemAfter
};

struct DiskPage {
  std::string totalSize = "-";  // lblTotalSize, of the selected drive
  std::string freeSpace = "-";  // lblFreeSpace
  GaugeRow before;              // lblFreeSpaceBefore, gauFreeSpaceBefore: all fixed drives
  GaugeRow after;               // lblFreeSpaceAfter, gauFreeSpaceAfter
};

// A figure the processor does not report (a bus clock, a cache it lacks, a transistor count
// nobody published) reads "-": a 0 would claim the figure is known and nought.
inline constexpr std::string_view kUnknownFigure = "-";

struct CpuPage {
  std::string name;           // lblCpuName: the processor's own name for itself
  std::string vendor;         // lblVendor
  std::string vendorId;       // lblVendorID
  std::string speed;          // lblSpeed, "2596Mhz"
  std::string busSpeed;       // lblBusSpeed
  std::string family;         // lblFamily, "Family 6 Model 8 Stepping 3"
  std::string codeName;       // lblCodeName
  std::string transistors;    // lblTransistors
  std::string dataCache;      // lblDataCache (KB, bare number)
  std::string instCache;      // lblInstCache
  std::string unifiedCache0;  // lblUnifiedCache0
  std::string unifiedCache1;  // lblUnifiedCache1
  std::string unifiedCache2;  // lblUnifiedCache2, the third level
};

// TabSheet1Show's texts, from a refreshed CPU.
CpuPage CpuPageOf(const TCPU& cpu);

// The timer's figures: lblFreeMem, lblTotalMem and Gauge1 from the last memory refresh.
void ShowMemoryFigures(const TMemory& memory, MemoryPage& page);

// One memory row from the last refresh: the Before row keeps the lowest free percentage seen,
// the After row the highest.
void LabelMemInfo(const TMemory& memory, bool after, MemoryPage& page);

// The space of every fixed drive from C: to Z: together; a letter that is no fixed drive (a
// DVD drive at D:, a letter not in use) hides none of the drives after it.
struct DriveSpace {
  std::string drive;  // "C:"
  std::uint64_t freeSpace = 0;
  std::uint64_t capacity = 0;
};
struct DriveTotals {
  std::uint64_t freeSpace = 0;  // free to this user
  std::uint64_t capacity = 0;
  std::vector<DriveSpace> drives;  // what was added up, read once

  [[nodiscard]] std::string FreeText() const;  // "51200MB", as the disk rows show it
  [[nodiscard]] int FreePercent() const;
};
DriveTotals FixedDriveTotals(platform::FileSystem& files, platform::SystemFigures& figures);

// The selected drive's size and free space, then the free space of every fixed drive into
// one disk row; `disk` is left on the selected drive.
void LabelDiskInfo(TDisk& disk, platform::FileSystem& files, std::string_view drive, bool after, DiskPage& page);

}  // namespace sw::sysinfo
