#pragma once
// Which clashes a coordination report is about: the pairs between two
// sets of objects, pairs within one source file left out or not, and a
// touching tolerance below which a penetration is contact, not a clash.
//
// A set is written as terms separated by ';' or ',': "file=Duplex_A*.ifc",
// "class=IfcDuct*", "layer=...", "storey=Level 1", "name=..."; '*' and '?'
// match any text and one character, without regard to case. An object is
// in the set when it matches one of the set's plain terms (or the set has
// none) and none of its terms written with a leading '!':
// "!class=IfcDuct*;!class=IfcPipe*" is everything but ducts and pipes. An
// empty set is every object.

#include <string>
#include <vector>

#include "clash_report_data.h"

class ClashSet {
public:
  // False with a reason for a term without a known key or a pattern.
  bool Parse(const std::string& text, std::string& error);
  bool Contains(const ReportObject& object) const;
  const std::string& Text() const { return text_; }

private:
  struct Term {
    std::string key, pattern;
    bool negated = false;
  };
  std::vector<Term> terms_;
  std::string text_;
};

struct ClashScope {
  ClashSet first, second; // both empty: every pair
  bool within_files = true; // false: pairs of one source file left out
  double touching = 0.0;    // penetrations shallower than this are contact

  // Whether the pair (either order) is one the report is about; depth
  // aside.
  bool Covers(const ReportObject& a, const ReportObject& b) const;
  // The pairs that Covers among `objects` (every pair of them once), by
  // counting kinds of objects rather than visiting the pairs.
  long long CountPairs(const std::vector<ReportObject>& objects) const;
  // For the reports, e.g. "pairs between file=a.ifc and file=b.ifc".
  std::string Description() const;
};

// '*' any text, '?' one character, case ignored (ASCII letters).
bool WildcardMatch(const std::string& pattern, const std::string& text);
