# Sources of the search subsystem.
list(APPEND RULEWEAVE_SOURCES
  search/extending_segment.cc
  search/sea_level_parameters.cc
  search/extending_rule.cc
  search/extending_list.cc
  search/list_set.cc
)
