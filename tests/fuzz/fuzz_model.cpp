// The model-file reader on arbitrary bytes, into a document holding one
// object: a refused file must leave that object alone and add nothing.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <fstream>
#include <string>

#include "model_file.h"
#include "rhinoSdk.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const std::string path = "/tmp/kyrel-fuzz-model-" + std::to_string(getpid()) + ".kyd";
  {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  }
  CRhinoDoc doc;
  ON_Mesh mesh;
  mesh.AppendVertex(ON_3dPoint(0, 0, 0));
  mesh.AppendVertex(ON_3dPoint(1, 0, 0));
  mesh.AppendVertex(ON_3dPoint(0, 1, 0));
  mesh.AppendTriangle(0, 1, 2);
  doc.AddMeshObject(mesh);
  std::string error;
  int added = 0;
  if (!kyrel::app::ReadModelFile(path, doc, error, &added) &&
      (error.empty() || doc.ObjectCount() != 1 || added != 0))
    __builtin_trap();
  return 0;
}
