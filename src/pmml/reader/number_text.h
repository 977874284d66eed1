// QXScore::ParseWholeNumber: reads a number written in a PMML document, independent of the
// process's locale.
#ifndef RULEWEAVE_PMML_READER_NUMBER_TEXT_H_
#define RULEWEAVE_PMML_READER_NUMBER_TEXT_H_

#include <string_view>

namespace QXScore {

// True when the whole of `text` is one finite decimal number ("2.5", "-1e-09", "+3"); false
// for an empty text, trailing or leading garbage, blanks, "nan", "inf" and values beyond the
// range of double. `*value` is set only on success.
bool ParseWholeNumber(std::string_view text, double* value);

}  // namespace QXScore

#endif  // RULEWEAVE_PMML_READER_NUMBER_TEXT_H_
