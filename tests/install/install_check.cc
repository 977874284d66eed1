// A host built against the installed library: the umbrella header, the package and the link.
#include <ruleweave/ruleweave.h>

#include <iostream>
#include <memory>

int main() {
  const DLMeasure measure(10, 5);
  const DLSettings settings;
  const std::unique_ptr<IDLAlgorithm> algorithm(DLFactory().CreateAlgorithm(settings));
  std::cout << algorithm->GetVersion() << "\n";
  // The 95% lower bound of 5 responses in 10 cases is 0.187086 (to six decimals).
  return measure.GetLowerProbabilityBoundary() > 0.187085 &&
                 measure.GetLowerProbabilityBoundary() < 0.187087
             ? 0
             : 1;
}
