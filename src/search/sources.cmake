# Sources of the search subsystem.
list(APPEND RULEWEAVE_SOURCES
  search/parameters.cc
  search/settings.cc
  search/progress.cc
  search/extending_segment.cc
  search/sea_level_parameters.cc
  search/extending_rule.cc
  search/extending_list.cc
  search/list_set.cc
  search/progress_throttle.cc
  search/algorithm.cc
  search/factory.cc
  search/rule_coverage.cc
  search/list_coverage.cc
  search/attribute_measure.cc
  search/response_code.cc
)
