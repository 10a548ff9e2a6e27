// The text of a registration table entry with its %NAME% placeholders filled in. Pure text logic.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct RegistryReplacement {
  std::string name;  // without the percent signs, e.g. "MODULE"
  std::string value;
};

// Replaces each "%NAME%" with its value and "%%" with "%"; nullopt when a name is unknown or a
// "%" is left open.
std::optional<std::string> ExpandRegistryText(std::string_view text, const std::vector<RegistryReplacement>& replacements);
