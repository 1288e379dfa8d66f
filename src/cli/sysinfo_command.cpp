// sweepwise-cli sysinfo | usage: the CPU, Memory and Drive pages' figures, and the Folder
// Usage chart of one folder, from the console. Nothing here reclaims memory.

#include <ostream>

#include "cli/commands.h"
#include "cli/output.h"
#include "core/win_path.h"
#include "sysinfo/figure_text.h"
#include "sysinfo/folder_chart.h"
#include "sysinfo/sys_info.h"
#include "sysinfo/system_pages.h"

namespace sw::cli {
namespace {

using nlohmann::json;

// A figure the processor does not report is null, as the page shows "-" for it.
json Figure(std::int64_t value) {
  return value == 0 ? json(nullptr) : json(value);
}

json CpuJson(const sysinfo::TCPU& cpu) {
  return {{"vendor", cpu.Vendor},
          {"vendor_id", cpu.VendorID},
          {"brand", cpu.BrandName.empty() ? json(nullptr) : json(cpu.BrandName)},
          {"family", cpu.Family},
          {"model", cpu.Model},
          {"stepping", cpu.Stepping},
          {"mhz", Figure(cpu.Frequency)},
          {"bus_mhz", Figure(cpu.BusSpeed)},
          {"code_name", cpu.CodeName},
          {"transistors", Figure(cpu.Transistors)},
          {"caches",
           {{"l1_data_kb", Figure(cpu.Cache.L1Data)},
            {"l1_code_kb", Figure(cpu.Cache.L1Code)},
            {"level1_kb", Figure(cpu.Cache.Level1)},
            {"level2_kb", Figure(cpu.Cache.Level2)},
            {"level3_kb", Figure(cpu.Cache.Level3)}}}};
}

json MemoryJson(const sysinfo::TMemory& memory) {
  return {{"physical_total", memory.PhysicalTotal},  {"physical_free", memory.PhysicalFree},
          {"page_file_total", memory.PageFileTotal}, {"page_file_free", memory.PageFileFree},
          {"virtual_total", memory.VirtualTotal},    {"virtual_free", memory.VirtualFree},
          {"memory_load", memory.MemoryLoad}};
}

// Every fixed drive from C: to Z:, as the Drive page's selector lists them, with the space
// read for the totals: the list and the totals never disagree.
json DrivesJson(const sysinfo::DriveTotals& totals) {
  json drives = json::array();
  for (const sysinfo::DriveSpace& drive : totals.drives) {
    drives.push_back({{"drive", drive.drive}, {"capacity", drive.capacity}, {"free", drive.freeSpace}});
  }
  return drives;
}

// The Drive page's Before/After row: the same function, the same texts.
json TotalsJson(const sysinfo::DriveTotals& totals) {
  return {{"drives", totals.drives.size()},
          {"capacity", totals.capacity},
          {"free", totals.freeSpace},
          {"free_text", totals.FreeText()},
          {"free_percent", totals.FreePercent()}};
}

void PrintSysinfoText(std::ostream& out, const sysinfo::TSysInfo& info, const json& drives,
                      const sysinfo::DriveTotals& totals) {
  const sysinfo::CpuPage cpu = sysinfo::CpuPageOf(info.CPU);
  out << "Name: " << cpu.name << "\nVendor: " << cpu.vendor << "\nVendor ID: " << cpu.vendorId << "\nSpeed: " << cpu.speed
      << "\nBus Speed: " << cpu.busSpeed << "\n"
      << cpu.family << "\nCode Name: " << cpu.codeName << "\nTransistors: " << cpu.transistors
      << "\nData Cache: " << cpu.dataCache << "\nCode Cache: " << cpu.instCache
      << "\nLevel1 Uni Cache: " << cpu.unifiedCache0 << "\nLevel2 Uni Cache: " << cpu.unifiedCache1
      << "\nLevel3 Uni Cache: " << cpu.unifiedCache2 << "\n";
  sysinfo::MemoryPage memory;
  sysinfo::ShowMemoryFigures(info.Memory, memory);
  out << "Total Memory Size: " << memory.totalMem << "\nFree Memory Size: " << memory.freeMem << " ("
      << memory.freeGauge << "%)\n";
  for (const auto& drive : drives) {
    const std::uint64_t capacity = drive["capacity"];
    const std::uint64_t free = drive["free"];
    out << drive["drive"].get<std::string>() << " Total Size: " << sysinfo::MBText(capacity)
        << ", Free Space: " << sysinfo::MBText(free) << " (" << sysinfo::PercentOf(free, capacity) << "%)\n";
  }
  out << "Fixed drives' Free Space: " << totals.FreeText() << " (" << totals.FreePercent() << "%)\n";
}

int Sysinfo(CliContext& context, const GlobalOptions& options) {
  platform::Platform& p = context.platform;
  if (!p.figures) {
    return PrintFailure(context, options.json, "this build reads no system figures");
  }
  sysinfo::NativeCpuProbe probe;
  sysinfo::TSysInfo info(probe, *p.figures);
  info.CPU.Refresh();
  if (!info.Memory.Refresh()) {
    return PrintFailure(context, options.json, "the system did not report its memory status");
  }
  const sysinfo::DriveTotals totals = sysinfo::FixedDriveTotals(*p.files, *p.figures);
  const json drives = DrivesJson(totals);
  if (!options.json) {
    PrintSysinfoText(context.out, info, drives, totals);
    return kExitSuccess;
  }
  CommandResult result;
  result.extra = {{"cpu", CpuJson(info.CPU)},
                  {"memory", MemoryJson(info.Memory)},
                  {"drives", drives},
                  {"drive_totals", TotalsJson(totals)}};
  PrintResult(context, true, result);
  return kExitSuccess;
}

int Usage(CliContext& context, const GlobalOptions& options, const std::string& folderArgument) {
  platform::FileSystem& files = *context.platform.files;
  // "C:" is the drive as the page's drive selector names it, not C:'s current folder.
  const bool bareDrive = folderArgument.size() == 2 && DriveLetterOf(folderArgument).has_value();
  const auto full = bareDrive ? Result<std::string>(folderArgument) : files.FullPath(folderArgument);
  const std::string folder = full ? *full : folderArgument;
  if (!files.FolderExists(AddTrailingBackslash(folder))) {
    return PrintFailure(context, options.json, "no folder " + folder);
  }
  const sysinfo::FolderChart chart = sysinfo::folderpiechart(files, folder);
  // In the chart's order: largest first, the files' slice among the others.
  sysinfo::TPieChart pie;
  pie.SetItems(chart.lines);
  CommandResult result;
  json items = json::array();
  for (const auto& item : pie.Items()) {
    const auto kb = static_cast<std::uint64_t>(item.value);
    items.push_back({{"label", std::string(sysinfo::LabelOf(item.text))}, {"kb", kb}});
    if (!options.json) {
      context.out << kb << "\t" << sysinfo::LabelOf(item.text) << "\n";
    }
  }
  result.status = chart.status;
  result.extra = {{"folder", chart.folder},
                  {"items", std::move(items)},
                  {"total_kb", chart.totalKB},
                  {"complete", chart.complete}};
  if (!options.json) {
    context.out << chart.status << "\n";
    return kExitSuccess;
  }
  PrintResult(context, true, result);
  return kExitSuccess;
}

}  // namespace

void AddSysinfoCommands(CLI::App& app, CliContext& context, const GlobalOptions& options, int& status) {
  CLI::App* sysinfo = app.add_subcommand("sysinfo", "Show the processor, memory and fixed drives' figures");
  sysinfo->callback([&context, &options, &status] { status = Sysinfo(context, options); });

  auto folder = std::make_shared<std::string>();
  CLI::App* usage = app.add_subcommand("usage", "Show how the space below FOLDER is shared among its subfolders");
  usage->add_option("FOLDER", *folder, "The folder to measure, for example C: or C:\\Windows")->required();
  usage->callback([&context, &options, &status, folder] { status = Usage(context, options, *folder); });

  for (CLI::App* command : {sysinfo, usage}) {
    command->fallthrough();
  }
}

}  // namespace sw::cli
