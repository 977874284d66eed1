# Sources of the data subsystem.
list(APPEND RULEWEAVE_SOURCES
)
