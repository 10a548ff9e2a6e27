#include "framework/registry_text.h"

std::optional<std::string> ExpandRegistryText(std::string_view text,
                                              const std::vector<RegistryReplacement>& replacements) {
  std::string expanded;
  size_t from = 0;
  for (size_t open = text.find('%'); open != std::string_view::npos; open = text.find('%', from)) {
    expanded.append(text.substr(from, open - from));
    const size_t close = text.find('%', open + 1);
    if (close == std::string_view::npos) return std::nullopt;
    const std::string_view name = text.substr(open + 1, close - open - 1);
    if (name.empty()) {
      expanded += '%';
    } else {
      const RegistryReplacement* found = nullptr;
      for (const RegistryReplacement& replacement : replacements) {
        if (replacement.name == name) found = &replacement;
      }
      if (!found) return std::nullopt;
      expanded += found->value;
    }
    from = close + 1;
  }
  expanded.append(text.substr(from));
  return expanded;
}
