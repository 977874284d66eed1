// The target code that a data view's measure counts as a response, for code that splits and
// measures covered cases in one pass instead of asking the view set by set.
#ifndef RULEWEAVE_MODEL_RESPONSE_CODE_H_
#define RULEWEAVE_MODEL_RESPONSE_CODE_H_

class IDLDataView;

// The query's response value coded through the target variable the way the view's ComputeMeasure
// codes it: a numeric level reads the text as a number (atof without the locale) and uses the
// numeric encoder, a string level the string encoder, both with the adding Encode (an unseen value
// becomes a new category, which no stored case carries). Any other level, or a target without a
// usable encoder, gives the target column's missing code. Null target: -1.
long long ResponseCode(const IDLDataView& view);

#endif  // RULEWEAVE_MODEL_RESPONSE_CODE_H_
