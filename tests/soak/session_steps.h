// Random steps of a modelling session, each one line of macros as a person
// would type it at kyrel's command line, chosen from what the model holds
// at that moment so that most of them do something.
#pragma once

#include <random>
#include <string>
#include <vector>

class CRhinoDoc;

namespace soak {

class SessionSteps {
public:
  // `examples`: the folder of model and mesh files to import from.
  SessionSteps(unsigned int seed, std::string examples);
  // The next step for the model as it stands.
  std::string Next(const CRhinoDoc& doc);

private:
  struct Target {
    std::string name;
    bool closed = false;
    bool cutter = false;
  };
  std::vector<Target> Targets(const CRhinoDoc& doc) const;
  std::string Point(double lo, double hi);
  std::string NewName();
  double Pick(double lo, double hi);

  std::mt19937 rng_;
  std::string examples_;
  int names_ = 0;
  int blocks_ = 0;
};

} // namespace soak
