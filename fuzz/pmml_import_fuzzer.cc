// libFuzzer target: any byte string through DLPMMLImporter. Beyond the sanitizers, the target
// checks the importer's contract: a model exactly when the status is not an error, and only the
// import's own status codes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>

#include "fuzz_vars.h"
#include "pmml/pmml_importer.h"
#include "ruleweave/model/model.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string document(reinterpret_cast<const char*>(data), size);
  std::unique_ptr<DLVarList> vars = fuzz_vars::MakeVarList();
  // The length's parity picks the large-category flag, so both missing codes are exercised.
  DLPMMLImporter importer(vars.get(), size % 2 == 1);
  DLModel* raw = nullptr;
  const QXDecision::QXStatus status = importer.Import(document, &raw);
  std::unique_ptr<DLModel> model(raw);
  const long code = status.GetErrorCode();
  if (status.IsError() != (model == nullptr)) std::abort();
  if (status.IsError() && (code < 110030 || code > 110039 || code == 110034)) std::abort();
  if (!status.IsError() && (!status.IsOK() || model->GetNumOfLists() < 1)) std::abort();
  if (status.IsError() != importer.GetStatus().IsError()) std::abort();
  return 0;
}
