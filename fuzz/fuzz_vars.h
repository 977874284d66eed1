// The variable list the fuzz targets import into: one variable of every kind the importer
// encodes through, named as in the seed documents of fuzz/corpus/.
#ifndef RULEWEAVE_FUZZ_FUZZ_VARS_H_
#define RULEWEAVE_FUZZ_FUZZ_VARS_H_

#include <memory>
#include <string>
#include <vector>

#include "ruleweave/variables/var.h"
#include "ruleweave/variables/var_list.h"

namespace fuzz_vars {

inline std::unique_ptr<DLVarList> MakeVarList() {
  auto vars = std::make_unique<DLVarList>();
  vars->AddCatVar("resp", "", std::vector<std::string>{"no", "yes"}, true, IDLVar::kTarget);
  vars->AddCatVar("color", "", std::vector<std::string>{"red", "green", "dark \"navy\"", "b\\s"},
                  true, IDLVar::kPredictor);
  vars->AddCatVar("size", "", std::vector<std::string>{"S", "M", "L", "XL"}, false,
                  IDLVar::kPredictor);
  vars->AddCatVar("count", "", std::vector<double>{1, 2, 3}, true, IDLVar::kPredictor,
                  IDLVar::kInteger);
  vars->AddCatVar("grade", "", std::vector<double>{10, 20, 30, 40}, false, IDLVar::kPredictor,
                  IDLVar::kInteger);
  vars->AddCatVar("ratio", "", std::vector<double>{0.5, 2.7, 0.1 + 0.2}, true, IDLVar::kPredictor,
                  IDLVar::kDouble);
  vars->AddContVar("age", "", 0.0, 100.0, IDLVar::kPredictor);
  vars->AddContVar("x", "", std::vector<double>{1e-9, 0.1 + 0.2, 0.7, 1.5}, IDLVar::kPredictor);
  return vars;
}

}  // namespace fuzz_vars

#endif  // RULEWEAVE_FUZZ_FUZZ_VARS_H_
