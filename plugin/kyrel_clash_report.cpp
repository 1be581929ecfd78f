// The clash report command: checks that there are results, asks for the
// name and the clearance, builds the report and writes its three files.

#include "kyrel_clash_report.h"

#include <cmath>
#include <filesystem>
#include <fstream>

#include "kyrel_plugin.h"
#include "report/bcf_report.h"
#include "report/clash_report_builder.h"
#include "report/html_report.h"
#include "report/json_report.h"
#include "win_strings.h"

namespace {

void Say(const std::string& line) {
  RhinoCommandInput().Print(kyrel::platform::Utf8ToWide(line));
}

void Complain(const std::string& line) {
  RhinoCommandInput().Error(kyrel::platform::Utf8ToWide(line));
}

// What to tell the user instead of a report, or null when there is one.
const char* WhyNoReport(ClashResultsState state) {
  switch (state) {
  case ClashResultsState::ready:
    return nullptr;
  case ClashResultsState::detection_off:
    return "Clash detection is off, so there are no clash results to report (kyInterfere "
           "switches it on).";
  case ClashResultsState::computing:
    return "The clash computation is still running; report its results once it has ended.";
  case ClashResultsState::none:
    return "There are no results of a completed clash computation to report.";
  }
  return "There are no clash results to report.";
}

// The given name without a report file's extension: NAME.json and NAME
// both name the set NAME.json, NAME.bcf, NAME.html.
std::string BaseName(std::string name) {
  for (const char* extension : {".json", ".bcf", ".html", ".htm"}) {
    const std::string ext = extension;
    if (name.size() > ext.size() && name.compare(name.size() - ext.size(), ext.size(), ext) == 0)
      return name.substr(0, name.size() - ext.size());
  }
  return name;
}

// The folder the files go into, made when missing as the host's captures
// make theirs.
bool MakeFolderOf(const std::string& path, std::string& error) {
  const std::filesystem::path folder = std::filesystem::path(path).parent_path();
  if (folder.empty()) return true;
  std::error_code ec;
  std::filesystem::create_directories(folder, ec);
  if (ec) error = ec.message();
  return !ec;
}

// The two clash sets of the option Between: success, cancel when a prompt
// was cancelled, failure when a set cannot be read (after saying why).
CRhinoCommand::result AskSets(ClashScope& scope) {
  const wchar_t* prompts[2] = {
      L"First set (file=NAME, class=IfcDuct*, layer=NAME, storey=NAME; '!' leaves out)",
      L"Second set (the same terms; pairs run between the two sets)"};
  ClashSet* sets[2] = {&scope.first, &scope.second};
  for (int k = 0; k < 2; ++k) {
    CRhinoGetString gs;
    gs.SetCommandPrompt(prompts[k]);
    if (gs.GetString() != CRhinoGet::string) return CRhinoCommand::cancel;
    std::string error;
    if (!sets[k]->Parse(kyrel::platform::WideToUtf8(gs.String()), error)) {
      Complain("The clash set cannot be read: " + error + ".");
      return CRhinoCommand::failure;
    }
  }
  return CRhinoCommand::success;
}

bool WriteText(const std::string& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << text;
  out.close();
  return !out.fail();
}

} // namespace

CKyrelClashReport::CKyrelClashReport(const CKyrelPlugIn* plugin)
    : CRhinoCommand(false, false, plugin, false) {
  // The report changes no model data; an undo record would only make Undo
  // step over nothing.
  EnableUndo(false);
}

CKyrelClashReport::~CKyrelClashReport() = default;

ON_UUID CKyrelClashReport::CommandUUID() {
  static const ON_UUID id = ON_UuidFromString(L"5B2C7E41-93D6-4A0F-8C1B-6E4D2F97A3C8");
  return id;
}

const wchar_t* CKyrelClashReport::EnglishName() {
  return L"kyClashReport";
}

const wchar_t* CKyrelClashReport::LocalCommandName() {
  return L"kyClashReport";
}

CRhinoCommand::result CKyrelClashReport::RunCommand(const CRhinoCommandContext& context) {
  if (const char* why = WhyNoReport(ReadClashResultsState())) {
    Complain(why);
    return failure;
  }

  ClashReportOptions options;
  CRhinoGetString gs;
  gs.SetCommandPrompt(L"Report file name (NAME.json, NAME.bcf and NAME.html are written)");
  gs.AddCommandOptionNumber(L"Clearance", &options.clearance);
  const int between = gs.AddCommandOption(CRhinoCommandOptionName(L"Between", L"Between"));
  gs.AddCommandOptionToggle(CRhinoCommandOptionName(L"WithinFiles", L"WithinFiles"),
                            CRhinoCommandOptionValue(L"No", L"No"),
                            CRhinoCommandOptionValue(L"Yes", L"Yes"), true,
                            &options.scope.within_files);
  gs.AddCommandOptionNumber(L"Touching", &options.scope.touching);
  CRhinoGet::result got = gs.GetString();
  while (got == CRhinoGet::option) {
    if (gs.Option() && gs.Option()->m_option_index == between) {
      const result sets = AskSets(options.scope);
      if (sets != success) return sets;
    }
    got = gs.GetString();
  }
  if (got != CRhinoGet::string) return cancel;
  if (!(options.clearance >= 0.0 && std::isfinite(options.clearance))) {
    Complain("The clearance must be a distance of 0 or more (0 checks no clearance).");
    return failure;
  }
  if (!(options.scope.touching >= 0.0 && std::isfinite(options.scope.touching))) {
    Complain("The touching tolerance must be a distance of 0 or more (0 counts every "
             "penetration as a clash).");
    return failure;
  }
  const std::string base = BaseName(kyrel::platform::NativePath(gs.String()));
  if (base.empty()) {
    Complain("The report needs a file name.");
    return failure;
  }
  // The computation may have been restarted while the prompt waited.
  if (const char* why = WhyNoReport(ReadClashResultsState())) {
    Complain(why);
    return failure;
  }

  std::string folder_error;
  if (!MakeFolderOf(base, folder_error)) {
    Complain("Cannot make the folder for " + base + ": " + folder_error);
    return failure;
  }

  std::vector<std::string> warnings;
  const ClashReport report = BuildClashReport(context.m_doc, options, warnings);
  for (const std::string& warning : warnings)
    Say("kyClashReport: " + warning);

  bool written = true;
  const std::string json = base + ".json", bcf = base + ".bcf", html = base + ".html";
  if (!WriteText(json, ClashReportJson(report))) {
    Complain("Cannot write " + json);
    written = false;
  }
  std::string error;
  if (!WriteBcfReport(report, bcf, error)) {
    Complain("Cannot write " + bcf + ": " + error);
    written = false;
  }
  if (!WriteText(html, ClashReportHtml(report))) {
    Complain("Cannot write " + html);
    written = false;
  }
  if (!written) return failure;
  std::string summary = std::to_string(report.clashes.size()) + " clash(es)";
  if (report.out_of_scope > 0)
    summary += " (" + std::to_string(report.out_of_scope) + " outside the sets left out)";
  if (report.touching_left_out > 0)
    summary += " (" + std::to_string(report.touching_left_out) + " touching left out)";
  if (report.clearance > 0.0)
    summary += ", " + std::to_string(report.clearances.size()) + " clearance issue(s)";
  Say("Clash report: " + summary + " in " + json + ", " + bcf + ", " + html);
  return success;
}
