#include "fresh_start.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>

#include "host_run.h"
#include "rhinoSdk.h"
#include "shown_state.h"
#include "win_strings.h"

extern char** environ;

namespace soak {
namespace {

const char* ModeName(int mode) {
  return mode == 1 ? "_Intersection" : "_Difference";
}

bool ReadLine(int fd, std::string& line) {
  line.clear();
  char c = 0;
  for (;;) {
    const ssize_t n = read(fd, &c, 1);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    if (c == '\n') return true;
    line.push_back(c);
  }
}

bool WriteAll(int fd, const std::string& text) {
  std::size_t done = 0;
  while (done < text.size()) {
    const ssize_t n = write(fd, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<std::size_t>(n);
  }
  return true;
}

std::string ReadText(const std::string& path) {
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

constexpr const char* kClashMark = "--- clashes\n";

// One request: the model, then one "cutter ID MODE" line per cutting
// object and "clashes" when the clashes are wanted.
std::string Answer(const std::string& request_path) {
  std::ifstream in(request_path);
  std::string model;
  std::getline(in, model);
  std::vector<std::pair<std::string, int>> cutters;
  bool clashes = false;
  for (std::string word; in >> word;) {
    if (word == "clashes") {
      clashes = true;
    } else if (word == "cutter") {
      std::string id;
      int mode = 0;
      in >> id >> mode;
      cutters.emplace_back(id, mode);
    }
  }
  if (!RunMacro("Open \"" + model + "\"")) return "error: the saved model did not open\n";
  CRhinoDoc& doc = ActiveDoc();
  // Hidden objects cannot be chosen; cutters keep cutting when hidden.
  std::vector<std::string> hidden;
  for (const CRhinoObject* o : doc.ObjectList())
    if (o != nullptr && !o->IsDeleted() && o->IsHidden())
      hidden.push_back(kyrel::platform::WideToUtf8(ON_UuidToString(o->ModelObjectId()).Array()));
  if (!hidden.empty()) RunMacro("Show");
  // One command per mode, as a person would choose them together.
  for (int mode : {1, 2}) {
    std::string chosen;
    for (const auto& [id, m] : cutters)
      if (m == mode) chosen += "SelId \"" + id + "\" ";
    if (!chosen.empty() &&
        !RunMacro("SelNone " + chosen + "kyClippingObject _Pause _Mode " + ModeName(mode)))
      return std::string("error: the cutting objects could not be made\n");
  }
  for (const std::string& id : hidden)
    RunMacro("SelNone SelId \"" + id + "\" Hide _Pause");
  // Plain Wireframe draws nothing cut.
  RunMacro("SelNone ShadedViewport Zoom _Mode _Extents");
  std::string answer = DescribeCuts(doc) + kClashMark;
  if (clashes) {
    RunMacro("kyInterfere Wait");
    answer += DescribeClashes();
    RunMacro("kyInterfere");
  }
  return answer;
}

} // namespace

FreshStart::~FreshStart() {
  std::string ignored;
  Finish(ignored);
}

bool FreshStart::Finish(std::string& error) {
  if (to_child_ >= 0) close(to_child_);
  if (from_child_ >= 0) close(from_child_);
  to_child_ = from_child_ = -1;
  if (pid_ <= 0) return true;
  int status = 0;
  const pid_t waited = waitpid(pid_, &status, 0);
  pid_ = -1;
  if (waited > 0 && WIFEXITED(status) && WEXITSTATUS(status) == 0) return true;
  error = WIFSIGNALED(status) ? "the fresh process was killed by signal " +
                                    std::to_string(WTERMSIG(status))
                              : "the fresh process ended with status " +
                                    std::to_string(WEXITSTATUS(status));
  return false;
}

bool FreshStart::Launch(const std::string& program, const std::string& folder,
                        std::string& error) {
  folder_ = folder;
  int requests[2], replies[2];
  if (pipe2(requests, O_CLOEXEC) != 0 || pipe2(replies, O_CLOEXEC) != 0) {
    error = std::strerror(errno);
    return false;
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, requests[0], 0);
  posix_spawn_file_actions_adddup2(&actions, replies[1], 3);
  std::string fd = "3";
  const std::string folder_arg = folder;
  std::vector<char*> argv = {const_cast<char*>(program.c_str()), const_cast<char*>("--fresh"),
                             const_cast<char*>(fd.c_str()),
                             const_cast<char*>(folder_arg.c_str()), nullptr};
  const int rc = posix_spawn(&pid_, program.c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(requests[0]);
  close(replies[1]);
  to_child_ = requests[1];
  from_child_ = replies[0];
  if (rc != 0) {
    pid_ = -1;
    error = std::strerror(rc);
    return false;
  }
  signal(SIGPIPE, SIG_IGN);
  return true;
}

bool FreshStart::Show(const FreshRequest& request, FreshView& view, std::string& error) {
  // A fresh start is a function of the saved model, the cutting objects and
  // whether clashes are wanted: the same request is answered as before.
  std::string key = ReadText(request.model);
  for (const auto& [id, mode] : request.cutters)
    key += "\ncutter " + id + " " + std::to_string(mode);
  if (request.clashes) key += "\nclashes";
  if (key == last_key_) {
    view = last_view_;
    return true;
  }
  const std::string base = folder_ + "/request" + std::to_string(requests_++ % 2);
  {
    std::ofstream out(base + ".txt");
    out << request.model << "\n";
    for (const auto& [id, mode] : request.cutters)
      out << "cutter " << id << " " << mode << "\n";
    if (request.clashes) out << "clashes\n";
  }
  std::string reply;
  if (!WriteAll(to_child_, base + ".txt " + base + ".out\n") || !ReadLine(from_child_, reply)) {
    error = "the fresh start died";
    return false;
  }
  const std::string answer = ReadText(base + ".out");
  if (reply != "done" || answer.rfind("error:", 0) == 0) {
    error = "the fresh start failed: " + answer;
    return false;
  }
  const std::size_t mark = answer.find(kClashMark);
  view.cuts = answer.substr(0, mark);
  view.clashes = mark == std::string::npos ? "" : answer.substr(mark + std::strlen(kClashMark));
  last_key_ = std::move(key);
  last_view_ = view;
  return true;
}

int RunFreshProcess(int reply_fd, const std::string& folder) {
  std::string error;
  QuietHost(true);
  if (!StartHost(folder, error)) {
    std::fprintf(stderr, "fresh start: %s\n", error.c_str());
    return 2;
  }
  for (std::string line; ReadLine(0, line);) {
    const std::size_t space = line.find(' ');
    if (space == std::string::npos) break;
    const std::string answer = Answer(line.substr(0, space));
    {
      std::ofstream out(line.substr(space + 1));
      out << answer;
    }
    if (!WriteAll(reply_fd, "done\n")) break;
  }
  StopHost();
  return 0;
}

} // namespace soak
