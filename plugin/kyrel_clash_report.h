#pragma once
// "kyClashReport": writes the clashes of the last completed clash
// computation as three files named after one given name: a JSON report
// (NAME.json), a BCF 2.1 file for coordination tools (NAME.bcf) and a
// self-contained HTML page (NAME.html). Its option Clearance (a distance;
// 0, the default, is off) adds the pairs whose surfaces come closer than
// that without clashing; they appear in the reports only, never in the
// panel. For coordination: Between asks for two sets (layer=, class=,
// file=, storey=, name= terms) and keeps only the pairs between them,
// WithinFiles=No leaves out pairs of one source file, and Touching (a
// distance) leaves out clashes shallower than it. No undo record; the
// model is not changed.

#include "rhinoSdk.h"

class CKyrelPlugIn;

class CKyrelClashReport : public CRhinoCommand {
public:
  // The owning plug-in ties the command to it in the host. Undo is
  // disabled for the command's whole life.
  explicit CKyrelClashReport(const CKyrelPlugIn* plugin);
  ~CKyrelClashReport() override;

  ON_UUID CommandUUID() override;
  const wchar_t* EnglishName() override;
  const wchar_t* LocalCommandName() override;
  // Failure, after saying why, when there are no results to report (so a
  // script that expected a report does not end as if it had one) or a
  // file cannot be written; cancel when the prompt is cancelled.
  result RunCommand(const CRhinoCommandContext& context) override;
};
