#pragma once
// The names a program's folders, keys and tasks are given, from what its entry calls it:
// installers name the program's folder "Product", its entry "Product 2.4.1 (64-bit)".

#include <string>
#include <string_view>
#include <vector>

namespace sw::uninstall {

// The display name and its shorter forms, longest first, each once: without a version or a
// bitness at the end or in brackets ("Product 2.4.1 (x64)", "Product v2 64-bit" give
// "Product"), without the publisher's name in front ("Vendor Product" gives "Product"), and
// each form with its blanks left out ("Product Studio" gives "ProductStudio"). Forms shorter
// than three characters, the system's own names and forms no file may be named are left out.
[[nodiscard]] std::vector<std::string> ProductNameForms(std::string_view displayName, std::string_view version,
                                                        std::string_view publisher);

// The publisher and its shorter forms without a company suffix ("Vendor Software, Inc."
// gives "Vendor Software" and "Vendor"), longest first; the same rules.
[[nodiscard]] std::vector<std::string> PublisherForms(std::string_view publisher);

// Whether `name` is named after one of `forms`: equal without regard to case, or beginning
// with it where a new word begins ("ProductUpdater", "Product Agent", "Product.Document";
// not "Productivity").
[[nodiscard]] bool NamedAfter(std::string_view name, const std::vector<std::string>& forms);

}  // namespace sw::uninstall
