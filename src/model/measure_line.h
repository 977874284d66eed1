// The first line of a rule's and a list's dump: probability, coverage and response.
#ifndef RULEWEAVE_MODEL_MEASURE_LINE_H_
#define RULEWEAVE_MODEL_MEASURE_LINE_H_

#include <iosfwd>

class DLMeasure;

// Writes "Prob: p\tCover: c\tFreq: r" and a line end at precision 16 ("missing" for a probability
// that does not exist), then restores the stream's precision.
void DisplayMeasureLine(std::ostream& os, const DLMeasure& m);

#endif  // RULEWEAVE_MODEL_MEASURE_LINE_H_
