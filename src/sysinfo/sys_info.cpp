#include "sysinfo/sys_info.h"

#include "core/win_path.h"
#include "sysinfo/cpu_identity.h"
#include "sysinfo/cpu_names.h"

namespace sw::sysinfo {

void TCPU::Refresh() {
  const CpuIdentity identity = ReadCpuIdentity(probe_);
  VendorID = identity.vendorId;
  Vendor = std::string(VendorName(identity.vendorId));
  BrandName = identity.brand;
  Family = identity.signature.family;
  Model = identity.signature.model;
  Stepping = identity.signature.stepping;
  const CpuGeneration generation = GenerationOf(identity.vendorId, Family, Model, Stepping);
  CodeName = std::string(generation.codeName);
  Transistors = generation.transistors;
  Cache = TCPUCache{identity.caches.l1Data, identity.caches.l1Code, identity.caches.level1Unified,
                    identity.caches.level2, identity.caches.level3};
  BusSpeed = identity.busMHz;
  Frequency = MeasureFrequencyMHz(probe_, figures_);
}

Status TMemory::Refresh() {
  const auto status = figures_.Memory();
  if (!status) {
    return status.error();
  }
  PhysicalTotal = status->physicalTotal;
  PhysicalFree = status->physicalFree;
  VirtualTotal = status->virtualTotal;
  VirtualFree = status->virtualFree;
  PageFileTotal = status->pageFileTotal;
  PageFileFree = status->pageFileFree;
  MemoryLoad = status->memoryLoad;
  const platform::AddressLayout layout = figures_.Layout();
  AllocGranularity = layout.allocGranularity;
  MaxAppAddress = layout.maxAppAddress;
  MinAppAddress = layout.minAppAddress;
  PageSize = layout.pageSize;
  return {};
}

void TDisk::SetDrive(std::string_view drive) {
  drive_ = std::string(drive);
  const auto space = figures_.VolumeSpaceOf(AddTrailingBackslash(drive.substr(0, 2)));
  FreeSpace = space ? space->freeToCaller : 0;
  Capacity = space ? space->capacity : 0;
}

}  // namespace sw::sysinfo
