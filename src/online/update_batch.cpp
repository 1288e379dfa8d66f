#include "online/update_batch.h"

#include "core/product.h"
#include "core/text.h"

namespace sw::online {
namespace {

std::string Lines(std::string_view folder) {
  const std::string d = DoublePercents(folder);
  const std::string stem(kReleaseStem);
  const std::string rule = "@echo " + std::string(39, '-');
  const std::string release = "\"" + d + "\\" + stem + ".exe\"";
  const std::string lines[] = {
      "cls",
      "@echo off",
      rule,
      "@echo " + ToUpperText(stem) + " Update Module",
      rule,
      "@del " + release + " >nul",
      "@move \"" + d + "\\" + stem + "1.exe\" " + release + " >nul",
      release,
      "cls",
      "@echo Update done. Please close this window.",
  };
  std::string text;
  for (const auto& line : lines) {
    text += line + "\r\n";
  }
  return text;
}

}  // namespace

std::optional<std::string> UpdateBatchText(std::string_view programFolder, platform::System& system,
                                           platform::FileSystem& files) {
  if (auto text = system.ToAnsi(Lines(programFolder))) {
    return text;
  }
  if (const auto shortFolder = files.ShortPath(programFolder)) {
    return system.ToAnsi(Lines(*shortFolder));
  }
  return std::nullopt;
}

}  // namespace sw::online
