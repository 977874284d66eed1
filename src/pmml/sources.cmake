# Sources of the pmml subsystem.
list(APPEND RULEWEAVE_SOURCES
)
