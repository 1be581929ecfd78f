// kyrel_soak: a long random modelling session, checked after every step
// against what a fresh start shows.
//
//   kyrel_soak -n STEPS -s SEED     random steps from SEED
//   kyrel_soak --replay FILE        the steps of a macro file, one per line
//
// The steps are also written, as they run, to steps.macro in the session's
// folder (kept when the run fails or crashes).
//
// Each step is one line of macros given to kyrel's command line in this
// process, as a person types them. After each step:
//   - every object that is not hidden draws the cut that a fresh start
//     draws: the model saved, opened in a new document of a second process
//     with the same cutting objects, and drawn once (while clash detection
//     is on the view shows clashes and keeps the cutting meshes it had, by
//     design, so cuts are compared while it is off);
//   - when clash detection is on, idle, and its results belong to the model
//     as it is (undo, redo and Cancel leave them as they were, by design),
//     the engine and the panel list the pairs the fresh start finds, in the
//     same order;
//   - an undo or a redo brings back exactly the model (and cutting modes)
//     the session had at that point of its history.
// On the first failure the steps so far are written as a macro file that
// replays them (here with --replay, or in kyrel itself), with the seed, and
// the program exits with status 1.
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "conduit/kyrel_conduit.h"
#include "fresh_start.h"
#include "host_run.h"
#include "model_file.h"
#include "rhinoSdk.h"
#include "session_steps.h"
#include "shown_state.h"
#include "userdata/section_geometry.h"
#include "win_strings.h"

namespace {

struct Options {
  int steps = 300;
  unsigned int seed = 1;
  std::string replay;
  std::string out = ".";
  bool keep = false;
  bool verbose = false;
};

void Usage() {
  std::fprintf(stderr,
               "usage: kyrel_soak [-n STEPS] [-s SEED] [--replay FILE] [--out DIR] [--keep] "
               "[--verbose]\n");
}

bool ParseOptions(int argc, char** argv, Options& o) {
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    auto value = [&](const char*& v) {
      if (i + 1 >= argc) return false;
      v = argv[++i];
      return true;
    };
    const char* v = nullptr;
    if (a == "-n" && value(v))
      o.steps = std::atoi(v);
    else if (a == "-s" && value(v))
      o.seed = static_cast<unsigned int>(std::strtoul(v, nullptr, 10));
    else if (a == "--replay" && value(v))
      o.replay = std::filesystem::absolute(v).string();
    else if (a == "--out" && value(v))
      o.out = v;
    else if (a == "--keep")
      o.keep = true;
    else if (a == "--verbose")
      o.verbose = true;
    else
      return false;
  }
  return o.steps >= 0;
}

std::vector<std::string> ReadReplay(const std::string& path) {
  std::vector<std::string> steps;
  std::ifstream in(path);
  for (std::string line; std::getline(in, line);)
    if (!line.empty() && line[0] != '#') steps.push_back(line);
  return steps;
}

std::string IdText(const ON_UUID& id) {
  return kyrel::platform::WideToUtf8(ON_UuidToString(id).Array());
}

// What the undo history should bring back: the model after each record,
// from the oldest kept. Unknown where the model changed without a record.
class UndoTimeline {
public:
  void Reset(int records, const std::string& now) {
    states_.assign(static_cast<std::size_t>(records), std::string());
    states_.push_back(now);
  }
  // After a step: `why` says what went wrong. `step` tells an undo or a
  // redo from a new record, which after one undo changes the counts alike.
  bool Step(const std::string& step, int undo_before, int redo_before, int undo_after,
            int redo_after, const std::string& before, const std::string& now, std::string& why) {
    if (states_.size() != static_cast<std::size_t>(undo_before + redo_before + 1)) {
      Reset(undo_after, now); // history changed under us (a new document)
      return true;
    }
    const bool undo = step == "Undo", redo = step == "Redo";
    if (undo && undo_after == undo_before - 1 && redo_after == redo_before + 1)
      return Expect(undo_after, now, "undo", why);
    if (redo && undo_after == undo_before + 1 && redo_after == redo_before - 1)
      return Expect(undo_after, now, "redo", why);
    if ((undo || redo) && now != before) {
      why = std::string(step) + " changed the model but not the history as it should";
      return false;
    }
    if (undo_after == undo_before + 1 && redo_after == 0) { // a new record
      states_.resize(static_cast<std::size_t>(undo_before + 1));
      states_.push_back(now);
      return true;
    }
    if (undo_after == undo_before && redo_after == 0 && redo_before == 0 && now != before &&
        undo_after == kMaxRecords) { // a new record, the oldest dropped
      states_.erase(states_.begin());
      states_.push_back(now);
      return true;
    }
    if (undo_after == undo_before && redo_after == redo_before) {
      if (now != before) Reset(undo_after, now); // changed without a record
      return true;
    }
    Reset(undo_after, now);
    return true;
  }

  static constexpr int kMaxRecords = 50;

private:
  bool Expect(int index, const std::string& now, const char* what, std::string& why) {
    const std::string& expected = states_[static_cast<std::size_t>(index)];
    if (expected.empty() || expected == now) {
      states_[static_cast<std::size_t>(index)] = now;
      return true;
    }
    std::size_t at = 0;
    while (at < now.size() && at < expected.size() && now[at] == expected[at])
      ++at;
    const std::size_t from = at > 80 ? at - 80 : 0;
    why = std::string(what) + " did not bring back the model as it was; first difference at " +
          std::to_string(at) + ":\n  now:      ..." + now.substr(from, 200) +
          "\n  expected: ..." + expected.substr(from, 200);
    return false;
  }
  std::vector<std::string> states_;
};

class Soak {
public:
  explicit Soak(const Options& options) : options_(options) {}

  int Run(const std::string& program) {
    folder_ = MakeFolder();
    if (folder_.empty()) return 2;
    std::string error;
    if (!fresh_.Launch(program, folder_ + "/fresh", error)) {
      std::fprintf(stderr, "kyrel_soak: cannot start the fresh process: %s\n", error.c_str());
      return 2;
    }
    if (chdir(folder_.c_str()) != 0) return 2;
    if (!options_.verbose) soak::QuietHost(true);
    if (!soak::StartHost(folder_, error)) {
      soak::QuietHost(false);
      std::fprintf(stderr, "kyrel_soak: %s\n", error.c_str());
      return 2;
    }
    int status = Steps();
    soak::StopHost();
    soak::QuietHost(false);
    if (!fresh_.Finish(error)) {
      std::fprintf(stderr, "kyrel_soak: %s\n", error.c_str());
      if (status == 0) status = 1;
    }
    if (status == 0 && !options_.keep) std::filesystem::remove_all(folder_);
    return status;
  }

private:
  std::string MakeFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "kyrel-soak-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) return std::string();
    std::filesystem::create_directories(pattern + "/fresh");
    return pattern;
  }

  int Steps() {
    const auto start = std::chrono::steady_clock::now();
    std::vector<std::string> replay;
    if (!options_.replay.empty()) replay = ReadReplay(options_.replay);
    journal_.open(folder_ + "/steps.macro");
    journal_ << "# kyrel_soak, seed " << options_.seed << "\nShadedViewport" << std::endl;
    const std::size_t count =
        options_.replay.empty() ? static_cast<std::size_t>(options_.steps) : replay.size();
    soak::SessionSteps random(options_.seed, KYREL_EXAMPLES);
    CRhinoDoc* doc = &soak::ActiveDoc();
    // A person looks at the model shaded; plain Wireframe draws nothing cut.
    steps_.push_back("ShadedViewport");
    soak::RunMacro(steps_.back());
    std::string state = soak::ModelState(*doc, folder_ + "/state.kyd");
    timeline_.Reset(doc->UndoRecordCount(), state);
    std::string why;
    if (!Check(why)) return Fail(why);
    for (std::size_t i = 0; i < count; ++i) {
      const std::string step = options_.replay.empty() ? random.Next(*doc) : replay[i];
      steps_.push_back(step);
      // Written before the step runs, so that a crash leaves the steps.
      journal_ << step << std::endl;
      const int undo_before = doc->UndoRecordCount(), redo_before = doc->RedoRecordCount();
      const bool clashes_before = CKyrelConduit::Instance()->IsInterfereEnabled();
      const unsigned int doc_before = doc->RuntimeSerialNumber();
      soak::RunMacro(step);
      doc = &soak::ActiveDoc();
      const std::string now = soak::ModelState(*doc, folder_ + "/state.kyd");
      const int undo_after = doc->UndoRecordCount(), redo_after = doc->RedoRecordCount();
      if (doc->RuntimeSerialNumber() != doc_before) {
        timeline_.Reset(undo_after, now);
      } else if (!timeline_.Step(step, undo_before, redo_before, undo_after, redo_after, state,
                                 now, why)) {
        return Fail(why);
      }
      // Results belong to the model as it is when detection was switched on
      // or a recorded change restarted it; undo, redo, unrecorded changes
      // and Cancel leave them behind.
      const bool clashes_on = CKyrelConduit::Instance()->IsInterfereEnabled();
      const bool undo_or_redo = step == "Undo" || step == "Redo";
      const bool recorded = !undo_or_redo &&
                            (undo_after > undo_before ||
                             (undo_after == undo_before && redo_after == 0 && now != state));
      if (!clashes_on)
        clashes_current_ = false;
      else if (!clashes_before || (recorded && redo_after == 0))
        clashes_current_ = true;
      else if (now != state)
        clashes_current_ = false;
      if (step.find("Cancel") != std::string::npos || step.find('!') != std::string::npos)
        clashes_current_ = false;
      state = now;
      if (!Check(why)) return Fail(why);
      if ((i + 1) % 100 == 0 || i + 1 == count) {
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        std::fprintf(stderr,
                     "kyrel_soak: %zu steps, %d views with cuts and %d clash listings compared, "
                     "%.1f s\n",
                     i + 1, cut_checks_, clash_checks_, seconds);
      }
    }
    return 0;
  }

  // The invariants a fresh start gives, for the model as it is now.
  bool Check(std::string& why) {
    CRhinoDoc& doc = soak::ActiveDoc();
    soak::RunMacro("Zoom _Mode _Extents");
    // While clashes are shown the view is the clash view: cutting objects
    // made or changed meanwhile take effect only when detection goes off,
    // so the cuts are compared with detection off.
    const bool detection = CKyrelConduit::Instance()->IsInterfereEnabled();
    const std::string cuts = soak::DescribeCuts(doc);
    const bool compare_clashes = clashes_current_ && soak::ClashesIdle();
    const std::string clashes = compare_clashes ? soak::DescribeClashes() : std::string();
    soak::FreshRequest request;
    request.model = folder_ + "/fresh/model.kyd";
    std::string error;
    kyrel::app::ModelWriteOptions write;
    if (!kyrel::app::WriteModelFile(request.model, doc, write, error)) {
      why = "the model could not be saved: " + error;
      return false;
    }
    for (const CRhinoObject* o : doc.ObjectList()) {
      if (o == nullptr || o->IsDeleted()) continue;
      const auto* record =
          TV_SectionGeometry::Cast(o->GetAttributeUserData(TV_SectionGeometry::UUID()));
      if (record != nullptr && record->m_mode != 0)
        request.cutters.emplace_back(IdText(o->ModelObjectId()), record->m_mode);
    }
    request.clashes = compare_clashes;
    soak::FreshView fresh;
    if (!fresh_.Show(request, fresh, error)) {
      why = error;
      return false;
    }
    if (!detection && cuts.find(" entry ") != std::string::npos) ++cut_checks_;
    if (!detection && !soak::SameDescription(cuts, fresh.cuts, why)) {
      why = "the cuts drawn differ from a fresh start's, " + why;
      return false;
    }
    if (compare_clashes) {
      ++clash_checks_;
      if (!soak::SameDescription(clashes, fresh.clashes, why)) {
        why = "the clashes listed differ from a fresh start's, " + why;
        return false;
      }
    }
    return true;
  }

  int Fail(const std::string& why) {
    soak::QuietHost(false);
    std::filesystem::create_directories(options_.out);
    const std::string name = options_.replay.empty()
                                 ? "soak-replay-" + std::to_string(options_.seed) + ".macro"
                                 : "soak-replay.macro";
    const std::string path = (std::filesystem::absolute(options_.out) / name).string();
    {
      std::ofstream out(path);
      out << "# kyrel_soak, seed " << options_.seed << ": " << steps_.size()
          << " steps, the last one failed:\n";
      std::string line;
      std::istringstream lines(why);
      while (std::getline(lines, line))
        out << "#   " << line << "\n";
      out << "# Replay with checks: kyrel_soak --replay " << name
          << "\n# or in kyrel, from an empty folder: kyrel --no-opengl --script " << name
          << "\n";
      for (const std::string& s : steps_)
        out << s << "\n";
    }
    std::fprintf(stderr,
                 "kyrel_soak: seed %u, step %zu (%s) failed:\n%s\nThe steps so far: %s\n"
                 "The session's files: %s\n",
                 options_.seed, steps_.size(), steps_.empty() ? "start" : steps_.back().c_str(),
                 why.c_str(), path.c_str(), folder_.c_str());
    return 1;
  }

  Options options_;
  std::string folder_;
  soak::FreshStart fresh_;
  UndoTimeline timeline_;
  std::vector<std::string> steps_;
  bool clashes_current_ = false;
  int clash_checks_ = 0;
  int cut_checks_ = 0; // steps whose view showed cut objects
  std::ofstream journal_; // the steps so far, in the session's folder
};

} // namespace

int main(int argc, char** argv) {
  if (argc == 4 && std::strcmp(argv[1], "--fresh") == 0)
    return soak::RunFreshProcess(std::atoi(argv[2]), argv[3]);
  Options options;
  if (!ParseOptions(argc, argv, options)) {
    Usage();
    return 2;
  }
  char program[4096];
  const ssize_t n = readlink("/proc/self/exe", program, sizeof(program) - 1);
  if (n <= 0) return 2;
  program[n] = '\0';
  Soak soak(options);
  return soak.Run(program);
}
