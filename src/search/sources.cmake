# Sources of the search subsystem.
list(APPEND RULEWEAVE_SOURCES
)
