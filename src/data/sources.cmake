# Sources of the data subsystem.
list(APPEND RULEWEAVE_SOURCES
  data/attributes.cc
  data/data_set.cc
  data/data_query.cc
  data/data_views.cc
  data/response_code.cc
)
