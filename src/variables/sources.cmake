# Sources of the variables subsystem.
list(APPEND RULEWEAVE_SOURCES
)
