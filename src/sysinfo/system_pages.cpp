#include "sysinfo/system_pages.h"

#include "sysinfo/figure_text.h"

namespace sw::sysinfo {

namespace {

// A figure of the processor; 0 means it was not reported, and reads "-".
std::string Figure(std::int64_t value, std::string_view unit = {}) {
  return value == 0 ? std::string(kUnknownFigure) : std::to_string(value) + std::string(unit);
}

}  // namespace

CpuPage CpuPageOf(const TCPU& cpu) {
  CpuPage page;
  page.name = cpu.BrandName.empty() ? std::string(kUnknownFigure) : cpu.BrandName;
  page.vendor = cpu.Vendor;
  page.vendorId = cpu.VendorID;
  page.speed = Figure(cpu.Frequency, "Mhz");
  page.busSpeed = Figure(cpu.BusSpeed, "Mhz");
  page.family = "Family " + std::to_string(cpu.Family) + " Model " + std::to_string(cpu.Model) + " Stepping " +
                std::to_string(cpu.Stepping);
  page.codeName = cpu.CodeName;
  page.transistors = Figure(cpu.Transistors);
  page.dataCache = Figure(cpu.Cache.L1Data);
  page.instCache = Figure(cpu.Cache.L1Code);
  page.unifiedCache0 = Figure(cpu.Cache.Level1);
  page.unifiedCache1 = Figure(cpu.Cache.Level2);
  page.unifiedCache2 = Figure(cpu.Cache.Level3);
  return page;
}

void ShowMemoryFigures(const TMemory& memory, MemoryPage& page) {
  page.freeMem = KBAndMBText(memory.PhysicalFree);
  page.totalMem = KBAndMBText(memory.PhysicalTotal);
  page.freeGauge = PercentOf(memory.PhysicalFree, memory.PhysicalTotal);
}

void LabelMemInfo(const TMemory& memory, bool after, MemoryPage& page) {
  const int percent = PercentOf(memory.PhysicalFree, memory.PhysicalTotal);
  GaugeRow& row = after ? page.after : page.before;
  // A gauge at 0 has not been filled yet (or read 0 %), so any figure replaces it.
  const bool keep = row.gauge != 0 && (after ? row.gauge > percent : row.gauge < percent);
  if (!keep) {
    row.text = MBText(memory.PhysicalFree);
    row.gauge = percent;
  }
}

void LabelDiskInfo(TDisk& disk, platform::FileSystem& files, std::string_view drive, bool after, DiskPage& page) {
  disk.SetDrive(drive);
  page.totalSize = MBText(disk.Capacity);
  page.freeSpace = MBText(disk.FreeSpace);

  const DriveTotals totals = FixedDriveTotals(files, disk.figures());
  GaugeRow& row = after ? page.after : page.before;
  row.text = totals.FreeText();
  row.gauge = totals.FreePercent();
}

std::string DriveTotals::FreeText() const {
  return MBText(freeSpace);
}

int DriveTotals::FreePercent() const {
  return PercentOf(freeSpace, capacity);
}

DriveTotals FixedDriveTotals(platform::FileSystem& files, platform::SystemFigures& figures) {
  // A TDisk of its own walks the drives, so the page's stays on the drive it shows.
  TDisk walker(figures);
  DriveTotals totals;
  for (const std::string& root : platform::FixedDriveRoots(files)) {
    walker.SetDrive(root.substr(0, 2));
    totals.freeSpace += walker.FreeSpace;
    totals.capacity += walker.Capacity;
    totals.drives.push_back(DriveSpace{root.substr(0, 2), walker.FreeSpace, walker.Capacity});
  }
  return totals;
}

}  // namespace sw::sysinfo
