# Sources of the command-line program without its main (shared by the program and its tests).
set(RULEWEAVE_CLI_DIR ${CMAKE_CURRENT_LIST_DIR})
set(RULEWEAVE_CLI_SOURCES
  ${RULEWEAVE_CLI_DIR}/csv_reader.cc
  ${RULEWEAVE_CLI_DIR}/column_plan.cc
  ${RULEWEAVE_CLI_DIR}/demo_data.cc
  ${RULEWEAVE_CLI_DIR}/report.cc
  ${RULEWEAVE_CLI_DIR}/rule_text.cc
  ${RULEWEAVE_CLI_DIR}/pmml_fields.cc
  ${RULEWEAVE_CLI_DIR}/table_loader.cc
  ${RULEWEAVE_CLI_DIR}/cli.cc
)
