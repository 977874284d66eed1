// Ruleweave: umbrella header. Includes every public header of the library; declares nothing.
#ifndef RULEWEAVE_RULEWEAVE_H_
#define RULEWEAVE_RULEWEAVE_H_

// foundation
#include "ruleweave/foundation/bit_set.h"
#include "ruleweave/foundation/exceptions.h"
#include "ruleweave/foundation/missing_value.h"
#include "ruleweave/foundation/record.h"
#include "ruleweave/foundation/status.h"

// variables
#include "ruleweave/variables/binning_encoder.h"
#include "ruleweave/variables/encoder.h"
#include "ruleweave/variables/user_missing.h"
#include "ruleweave/variables/var.h"
#include "ruleweave/variables/var_list.h"

// data
#include "ruleweave/data/attribute.h"
#include "ruleweave/data/data_query.h"
#include "ruleweave/data/data_set.h"
#include "ruleweave/data/data_view.h"

// model
#include "ruleweave/model/list.h"
#include "ruleweave/model/measure.h"
#include "ruleweave/model/model.h"
#include "ruleweave/model/rule.h"
#include "ruleweave/model/segment.h"

// search
#include "ruleweave/search/algorithm.h"
#include "ruleweave/search/factory.h"
#include "ruleweave/search/parameters.h"
#include "ruleweave/search/progress.h"
#include "ruleweave/search/settings.h"

// pmml
#include "ruleweave/pmml/export_format.h"
#include "ruleweave/pmml/xml_writer.h"

#endif  // RULEWEAVE_RULEWEAVE_H_
