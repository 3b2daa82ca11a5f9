#include "platform/hive.h"

#include <algorithm>
#include <unordered_map>
#include <unordered_set>

#include "platform/prefix.h"
#include "platform/text.h"

namespace win {

namespace {

bool StartsWithName(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && SameText(text.substr(0, prefix.size()), prefix);
}

std::string_view StripSlashes(std::string_view path) {
  while (!path.empty() && path.front() == '\\') path.remove_prefix(1);
  while (!path.empty() && path.back() == '\\') path.remove_suffix(1);
  return path;
}

// `path` is `key` or lies below it.
bool IsSameOrBelow(std::string_view path, std::string_view key) {
  if (key.empty()) return true;
  if (!StartsWithName(path, key)) return false;
  return path.size() == key.size() || path[key.size()] == '\\';
}

std::string_view ParentPath(std::string_view path) {
  const std::size_t slash = path.rfind('\\');
  return slash == std::string_view::npos ? std::string_view() : path.substr(0, slash);
}

}  // namespace

THive::THive() : FHead(std::string(kRegistryHeader) + "\r\n\r\n") {}

THive THive::Parse(std::string_view text, const std::string& source) {
  THive hive;
  if (text.find_first_not_of(" \t\r\n") == std::string_view::npos) return hive;
  THiveTextReader reader(text, source);
  const std::string_view firstLine = reader.HeaderLine();
  hive.FLineEnd = firstLine.ends_with("\n") && !firstLine.ends_with("\r\n") ? "\n" : "\r\n";
  hive.FHead = std::string(firstLine);
  THiveItem item;
  while (reader.Next(item)) {
    switch (item.Kind) {
      case THiveItem::TKind::Other:
        if (hive.FSections.empty()) {
          hive.FHead += item.Text;
        } else {
          hive.FSections.back().Entries.push_back({false, std::string(item.Text), {}});
        }
        break;
      case THiveItem::TKind::Key:
        hive.FSections.push_back({std::move(item.Path), std::string(item.Text), {}});
        break;
      case THiveItem::TKind::Value:
        hive.FSections.back().Entries.push_back(
            {true, std::string(item.Text), std::move(item.Value)});
        break;
    }
  }
  return hive;
}

std::string THive::Serialise() const {
  std::string text = FHead;
  const auto append = [&](const std::string& piece) {
    if (!text.empty() && text.back() != '\n') text += FLineEnd;
    text += piece;
  };
  for (const TSection& section : FSections) {
    append(section.Text);
    for (const TEntry& entry : section.Entries) append(entry.Text);
  }
  return text;
}

int THive::SectionOf(std::string_view path, bool last) const {
  int found = -1;
  for (std::size_t i = 0; i < FSections.size(); ++i) {
    if (SameText(FSections[i].Path, path)) {
      found = static_cast<int>(i);
      if (!last) break;
    }
  }
  return found;
}

bool THive::KeyExists(std::string_view path) const {
  path = StripSlashes(path);
  if (path.empty()) return true;
  for (const TSection& section : FSections) {
    if (IsSameOrBelow(section.Path, path)) return true;
  }
  return false;
}

std::string THive::StoredPath(std::string_view path) const {
  path = StripSlashes(path);
  for (const TSection& section : FSections) {
    if (IsSameOrBelow(section.Path, path)) return section.Path.substr(0, path.size());
  }
  return std::string(path);
}

std::vector<std::string> THive::KeyPaths() const {
  std::vector<std::string> paths;
  std::unordered_set<std::string> seen;
  for (const TSection& section : FSections) {
    if (seen.insert(LowerCase(section.Path)).second) paths.push_back(section.Path);
  }
  return paths;
}

std::vector<std::string> THive::SubkeyNames(std::string_view path) const {
  path = StripSlashes(path);
  std::vector<std::string> names;
  std::unordered_set<std::string> seen;
  for (const TSection& section : FSections) {
    if (!IsSameOrBelow(section.Path, path) || section.Path.size() == path.size()) continue;
    std::string_view below =
        std::string_view(section.Path).substr(path.empty() ? 0 : path.size() + 1);
    below = below.substr(0, below.find('\\'));
    if (seen.insert(LowerCase(below)).second) names.emplace_back(below);
  }
  return names;
}

std::vector<THiveValue> THive::Values(std::string_view path) const {
  path = StripSlashes(path);
  std::vector<THiveValue> values;
  std::unordered_map<std::string, std::size_t> byName;
  for (const TSection& section : FSections) {
    if (!SameText(section.Path, path)) continue;
    for (const TEntry& entry : section.Entries) {
      if (!entry.IsValue) continue;
      const auto [at, added] = byName.try_emplace(LowerCase(entry.Value.Name), values.size());
      if (added) {
        values.push_back(entry.Value);
      } else {
        values[at->second].Type = entry.Value.Type;
        values[at->second].Data = entry.Value.Data;
      }
    }
  }
  return values;
}

const THiveValue* THive::FindValue(std::string_view path, std::string_view name) const {
  path = StripSlashes(path);
  const THiveValue* found = nullptr;
  for (const TSection& section : FSections) {
    if (!SameText(section.Path, path)) continue;
    for (const TEntry& entry : section.Entries) {
      if (entry.IsValue && SameText(entry.Value.Name, name)) found = &entry.Value;
    }
  }
  return found;
}

std::string THive::CreateKey(std::string_view path) {
  path = StripSlashes(path);
  if (const int section = SectionOf(path, false); section >= 0 || path.empty()) {
    return section >= 0 ? FSections[section].Path : std::string();
  }
  std::string_view existing = path;
  while (!existing.empty() && !KeyExists(existing)) existing = ParentPath(existing);
  const std::string stored = StoredPath(existing) + std::string(path.substr(existing.size()));
  InsertSection(stored);
  return stored;
}

// A new key goes after the last key of the nearest existing ancestor's
// subtree, so that related keys stay together.
void THive::InsertSection(const std::string& path) {
  std::string_view ancestor = ParentPath(path);
  while (!ancestor.empty() && !KeyExists(ancestor)) ancestor = ParentPath(ancestor);
  std::size_t at = FSections.size();
  if (!ancestor.empty()) {
    for (std::size_t i = 0; i < FSections.size(); ++i) {
      if (IsSameOrBelow(FSections[i].Path, ancestor)) at = i + 1;
    }
  }
  std::string before = FHead;
  if (at > 0) {
    const TSection& previous = FSections[at - 1];
    before = previous.Entries.empty() ? previous.Text : previous.Entries.back().Text;
  }
  TSection section;
  section.Path = path;
  section.Text = (EndsWithBlankLine(before) ? "" : FLineEnd) + FormatHiveKeyLine(path, FLineEnd);
  section.Entries.push_back({false, FLineEnd, {}});
  FSections.insert(FSections.begin() + static_cast<std::ptrdiff_t>(at), std::move(section));
}

bool THive::DeleteKey(std::string_view path) {
  path = StripSlashes(path);
  if (path.empty() || !KeyExists(path)) return false;
  std::erase_if(FSections,
                [&](const TSection& section) { return IsSameOrBelow(section.Path, path); });
  return true;
}

bool THive::SetValue(std::string_view path, const THiveValue& value) {
  path = StripSlashes(path);
  if (!KeyExists(path)) return false;
  if (SectionOf(path, true) < 0) InsertSection(StoredPath(path));
  bool stored = false;
  for (TSection& section : FSections) {
    if (!SameText(section.Path, path)) continue;
    std::erase_if(section.Entries, [&](TEntry& entry) {
      if (!entry.IsValue || !SameText(entry.Value.Name, value.Name)) return false;
      if (stored) return true;
      entry.Value.Type = value.Type;
      entry.Value.Data = value.Data;
      entry.Text = FormatHiveValue(entry.Value, FLineEnd);
      stored = true;
      return false;
    });
  }
  if (stored) return true;
  TSection& section = FSections[SectionOf(path, true)];
  std::size_t at = 0;
  for (std::size_t i = 0; i < section.Entries.size(); ++i) {
    if (section.Entries[i].IsValue) at = i + 1;
  }
  section.Entries.insert(section.Entries.begin() + static_cast<std::ptrdiff_t>(at),
                         {true, FormatHiveValue(value, FLineEnd), value});
  return true;
}

bool THive::DeleteValue(std::string_view path, std::string_view name) {
  path = StripSlashes(path);
  std::size_t removed = 0;
  for (TSection& section : FSections) {
    if (!SameText(section.Path, path)) continue;
    removed += std::erase_if(section.Entries, [&](const TEntry& entry) {
      return entry.IsValue && SameText(entry.Value.Name, name);
    });
  }
  return removed > 0;
}

}  // namespace win
