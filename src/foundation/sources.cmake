# Sources of the foundation subsystem.
list(APPEND RULEWEAVE_SOURCES
  foundation/exceptions.cc
  foundation/status.cc
)
