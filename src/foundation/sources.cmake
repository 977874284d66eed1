# Sources of the foundation subsystem.
list(APPEND RULEWEAVE_SOURCES
  foundation/bit_set.cc
  foundation/exceptions.cc
  foundation/missing_value.cc
  foundation/record.cc
  foundation/status.cc
)
