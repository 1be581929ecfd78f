// Clash sets and the scope of a coordination report.

#include "clash_scope.h"

#include <cctype>
#include <cstdio>
#include <map>
#include <tuple>

namespace {

std::string Trim(const std::string& s) {
  std::size_t b = 0, e = s.size();
  while (b < e && std::isspace(static_cast<unsigned char>(s[b]))) ++b;
  while (e > b && std::isspace(static_cast<unsigned char>(s[e - 1]))) --e;
  return s.substr(b, e - b);
}

std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

const std::string* Field(const ReportObject& o, const std::string& key) {
  if (key == "layer") return &o.layer;
  if (key == "class") return &o.ifc_class;
  if (key == "file") return &o.source_file;
  if (key == "storey") return &o.storey;
  if (key == "name") return &o.name;
  return nullptr;
}

} // namespace

bool WildcardMatch(const std::string& pattern, const std::string& text) {
  auto same = [](char a, char b) {
    return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
  };
  std::size_t p = 0, t = 0, star = std::string::npos, resume = 0;
  while (t < text.size()) {
    if (p < pattern.size() && (pattern[p] == '?' || same(pattern[p], text[t]))) {
      ++p;
      ++t;
    } else if (p < pattern.size() && pattern[p] == '*') {
      star = p++;
      resume = t;
    } else if (star != std::string::npos) {
      p = star + 1;
      t = ++resume;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

bool ClashSet::Parse(const std::string& text, std::string& error) {
  terms_.clear();
  text_ = Trim(text);
  std::size_t start = 0;
  while (start <= text_.size()) {
    std::size_t end = text_.find_first_of(";,", start);
    if (end == std::string::npos) end = text_.size();
    std::string item = Trim(text_.substr(start, end - start));
    start = end + 1;
    if (item.empty()) continue;
    Term term;
    if (item[0] == '!') {
      term.negated = true;
      item = Trim(item.substr(1));
    }
    const std::size_t eq = item.find('=');
    if (eq == std::string::npos) {
      error = "\"" + item + "\" names no set (write layer=, class=, file=, storey= or name=)";
      return false;
    }
    term.key = Lower(Trim(item.substr(0, eq)));
    term.pattern = Trim(item.substr(eq + 1));
    if (!Field(ReportObject(), term.key)) {
      error = "\"" + term.key + "\" is not a set key (use layer, class, file, storey or name)";
      return false;
    }
    if (term.pattern.empty()) {
      error = "\"" + item + "\" has nothing to match";
      return false;
    }
    terms_.push_back(term);
  }
  return true;
}

bool ClashSet::Contains(const ReportObject& object) const {
  bool any_plain = false, matched = false;
  for (const Term& t : terms_) {
    const bool hit = WildcardMatch(t.pattern, *Field(object, t.key));
    if (t.negated) {
      if (hit) return false;
    } else {
      any_plain = true;
      matched = matched || hit;
    }
  }
  return matched || !any_plain;
}

bool ClashScope::Covers(const ReportObject& a, const ReportObject& b) const {
  if (!within_files && !a.source_file.empty() && a.source_file == b.source_file) return false;
  return (first.Contains(a) && second.Contains(b)) || (first.Contains(b) && second.Contains(a));
}

long long ClashScope::CountPairs(const std::vector<ReportObject>& objects) const {
  // Objects of one kind (in the first set or not, in the second or not,
  // same source file) pair with the same others.
  std::map<std::tuple<bool, bool, std::string>, long long> kinds;
  for (const ReportObject& o : objects)
    ++kinds[{first.Contains(o), second.Contains(o), o.source_file}];
  long long pairs = 0;
  for (auto i = kinds.begin(); i != kinds.end(); ++i)
    for (auto j = i; j != kinds.end(); ++j) {
      const auto& [a_first, a_second, a_file] = i->first;
      const auto& [b_first, b_second, b_file] = j->first;
      const bool same_file = !a_file.empty() && a_file == b_file;
      if (!within_files && same_file) continue;
      if (!((a_first && b_second) || (b_first && a_second))) continue;
      pairs += i == j ? i->second * (i->second - 1) / 2 : i->second * j->second;
    }
  return pairs;
}

std::string ClashScope::Description() const {
  std::string text;
  if (first.Text().empty() && second.Text().empty())
    text = "every pair";
  else
    text = "pairs between " + (first.Text().empty() ? std::string("everything") : first.Text()) +
           " and " + (second.Text().empty() ? std::string("everything") : second.Text());
  if (!within_files) text += ", pairs within one source file left out";
  if (touching > 0.0) {
    char figure[64];
    std::snprintf(figure, sizeof figure, "%.6g", touching);
    text += ", penetrations shallower than " + std::string(figure) + " counted as touching";
  }
  return text;
}
