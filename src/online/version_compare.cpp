#include "online/version_compare.h"

#include <vector>

#include "core/text.h"

namespace sw::online {
namespace {

std::vector<std::string_view> Parts(std::string_view version) {
  std::vector<std::string_view> parts;
  version = TrimBlanks(version);
  while (!version.empty()) {
    const auto dot = version.find('.');
    parts.push_back(version.substr(0, dot));
    version = dot == std::string_view::npos ? std::string_view() : version.substr(dot + 1);
  }
  return parts;
}

// Digit runs of any length compare by value: fewer significant digits is smaller.
int CompareDigits(std::string_view a, std::string_view b) {
  while (!a.empty() && a.front() == '0') {
    a.remove_prefix(1);
  }
  while (!b.empty() && b.front() == '0') {
    b.remove_prefix(1);
  }
  if (a.size() != b.size()) {
    return a.size() < b.size() ? -1 : 1;
  }
  return a.compare(b) < 0 ? -1 : a.compare(b) > 0 ? 1 : 0;
}

int ComparePart(std::string_view a, std::string_view b) {
  const auto digitsOf = [](std::string_view part) {
    std::size_t n = 0;
    while (n < part.size() && part[n] >= '0' && part[n] <= '9') {
      ++n;
    }
    return n;
  };
  const std::size_t digitsA = digitsOf(a);
  const std::size_t digitsB = digitsOf(b);
  if (const int numbers = CompareDigits(a.substr(0, digitsA), b.substr(0, digitsB)); numbers != 0) {
    return numbers;
  }
  const int rest = CompareNoCase(a.substr(digitsA), b.substr(digitsB));
  return rest < 0 ? -1 : rest > 0 ? 1 : 0;
}

}  // namespace

int CompareVersions(std::string_view a, std::string_view b) {
  const auto partsA = Parts(a);
  const auto partsB = Parts(b);
  for (std::size_t i = 0; i < std::max(partsA.size(), partsB.size()); ++i) {
    const std::string_view partA = i < partsA.size() ? partsA[i] : std::string_view();
    const std::string_view partB = i < partsB.size() ? partsB[i] : std::string_view();
    if (const int order = ComparePart(partA, partB); order != 0) {
      return order;
    }
  }
  return 0;
}

}  // namespace sw::online
