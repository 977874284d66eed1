// Ruleweave: umbrella header. Includes every public header of the library; declares nothing.
#ifndef RULEWEAVE_RULEWEAVE_H_
#define RULEWEAVE_RULEWEAVE_H_

// foundation: what every layer shares
#include "ruleweave/foundation/bit_set.h"
#include "ruleweave/foundation/constants.h"
#include "ruleweave/foundation/exceptions.h"
#include "ruleweave/foundation/measure.h"
#include "ruleweave/foundation/missing_value.h"
#include "ruleweave/foundation/parameters.h"
#include "ruleweave/foundation/progress.h"
#include "ruleweave/foundation/record.h"
#include "ruleweave/foundation/settings.h"
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
#include "ruleweave/model/model.h"
#include "ruleweave/model/rule.h"
#include "ruleweave/model/segment.h"

// pmml
#include "ruleweave/pmml/export_format.h"
#include "ruleweave/pmml/model_fields.h"
#include "ruleweave/pmml/xml_writer.h"

// facade: the algorithm and the factory
#include "ruleweave/facade/algorithm.h"
#include "ruleweave/facade/factory.h"

#endif  // RULEWEAVE_RULEWEAVE_H_
