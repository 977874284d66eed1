# Sources of the model subsystem.
list(APPEND RULEWEAVE_SOURCES
)
