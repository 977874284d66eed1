// libFuzzer target: a document that imports and exports must come back from its own export
// unchanged. Imports the input, exports the model, imports that document, exports again and
// requires both imports to succeed and the two exports to be identical.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <sstream>
#include <string>

#include "fuzz_vars.h"
#include "pmml/pmml_exporter.h"
#include "pmml/pmml_importer.h"
#include "ruleweave/model/model.h"

namespace {

std::unique_ptr<DLModel> Import(DLVarList* vars, const std::string& document, bool large) {
  DLPMMLImporter importer(vars, large);
  DLModel* raw = nullptr;
  importer.Import(document, &raw);
  return std::unique_ptr<DLModel>(raw);
}

bool Export(const DLVarList& vars, const DLModel& model, std::string* document) {
  DLPMMLExporter exporter(&vars, nullptr);
  std::ostringstream out;
  if (!exporter.Export(out, model).IsOK()) return false;
  *document = out.str();
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  std::unique_ptr<DLVarList> vars = fuzz_vars::MakeVarList();
  const bool large = size % 2 == 1;
  const std::unique_ptr<DLModel> first = Import(vars.get(), input, large);
  std::string exported;
  if (!first || !Export(*vars, *first, &exported)) return 0;
  const std::unique_ptr<DLModel> second = Import(vars.get(), exported, large);
  if (!second) {
    std::fprintf(stderr, "the export of an imported model does not import:\n%s\n",
                 exported.c_str());
    std::abort();
  }
  std::string again;
  if (!Export(*vars, *second, &again) || again != exported) {
    std::fprintf(stderr, "export, import, export changed the document:\n%s\n---\n%s\n",
                 exported.c_str(), again.c_str());
    std::abort();
  }
  return 0;
}
