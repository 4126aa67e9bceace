#include "support/registry_paths.h"

namespace kelar {
namespace {

constexpr std::string_view kMachineBrand = "Velora";
constexpr std::string_view kUserBrand = "Orvane";

}  // namespace

std::string ConfigurationKeyPath(std::string_view name) {
  std::string path = "Software\\";
  path += kMachineBrand;
  path += "\\Configuration";
  if (!name.empty()) {
    path += '\\';
    path += name;
  }
  return path;
}

std::string UserKeyPath(std::string_view path) {
  // Going on after each replacement gives the same text as searching again
  // from the start: no replacement can form a new "Velora" with its
  // neighbours, because "Orvane" shares no border with it.
  std::string result(path);
  for (size_t at = result.find(kMachineBrand); at != std::string::npos;
       at = result.find(kMachineBrand, at + kUserBrand.size())) {
    result.replace(at, kMachineBrand.size(), kUserBrand);
  }
  return result;
}

std::string FileBaseName(std::string_view path) {
  const size_t slash = path.find_last_of('\\');
  std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
  const size_t dot = name.find_last_of('.');
  if (dot != std::string_view::npos) name = name.substr(0, dot);
  return std::string(name);
}

}  // namespace kelar
