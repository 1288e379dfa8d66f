#include "sysinfo/system_pages.h"

#include "sysinfo/figure_text.h"

namespace sw::sysinfo {

CpuPage CpuPageOf(const TCPU& cpu) {
  CpuPage page;
  page.vendor = cpu.Vendor;
  page.vendorId = cpu.VendorID;
  page.speed = std::to_string(cpu.Frequency) + "Mhz";
  page.busSpeed = std::to_string(cpu.BusSpeed) + "Mhz";
  page.family = "Family " + std::to_string(cpu.Family) + " Model " + std::to_string(cpu.Model) + " Stepping " +
                std::to_string(cpu.Stepping);
  page.codeName = cpu.CodeName;
  page.transistors = std::to_string(cpu.Transistors);
  page.dataCache = std::to_string(cpu.Cache.L1Data);
  page.instCache = std::to_string(cpu.Cache.L1Code);
  page.unifiedCache0 = std::to_string(cpu.Cache.Level1);
  page.unifiedCache1 = std::to_string(cpu.Cache.Level2);
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

  // A second TDisk walks the drives, so `disk` stays on the drive the page shows.
  TDisk walker(disk);
  std::uint64_t freeTotal = 0;
  std::uint64_t capacityTotal = 0;
  for (char letter = 'c'; letter <= 'z'; ++letter) {
    const std::string root{letter, ':', '\\'};
    if (files.DriveTypeOf(root) != platform::DriveType::Fixed) {
      break;
    }
    walker.SetDrive(root.substr(0, 2));
    freeTotal += walker.FreeSpace;
    capacityTotal += walker.Capacity;
  }
  GaugeRow& row = after ? page.after : page.before;
  row.text = MBText(freeTotal);
  row.gauge = PercentOf(freeTotal, capacityTotal);
}

}  // namespace sw::sysinfo
