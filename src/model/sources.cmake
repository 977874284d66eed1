# Sources of the model subsystem: segments, rules, lists, models and the coverage they measure.
list(APPEND RULEWEAVE_SOURCES
  model/segment.cc
  model/measure_line.cc
  model/attribute_measure.cc
  model/rule_coverage.cc
  model/list_coverage.cc
  model/rule.cc
  model/list.cc
  model/model.cc
)
