# Sources of the model subsystem.
list(APPEND RULEWEAVE_SOURCES
  model/measure.cc
  model/statistics.cc
  model/segment.cc
  model/measure_line.cc
  model/rule.cc
  model/list.cc
  model/model.cc
)
