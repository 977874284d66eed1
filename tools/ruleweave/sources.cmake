# Sources of the command-line program without its main (shared by the program and its tests).
set(RULEWEAVE_CLI_DIR ${CMAKE_CURRENT_LIST_DIR})
set(RULEWEAVE_CLI_SOURCES
  # Reading a delimited file and deciding what its columns become.
  ${RULEWEAVE_CLI_DIR}/text_encoding.cc
  ${RULEWEAVE_CLI_DIR}/data_source.cc
  ${RULEWEAVE_CLI_DIR}/csv_reader.cc
  ${RULEWEAVE_CLI_DIR}/row_blocks.cc
  ${RULEWEAVE_CLI_DIR}/field_text.cc
  ${RULEWEAVE_CLI_DIR}/column_profile.cc
  ${RULEWEAVE_CLI_DIR}/column_plan.cc
  ${RULEWEAVE_CLI_DIR}/table_loader.cc
  ${RULEWEAVE_CLI_DIR}/console_progress.cc
  ${RULEWEAVE_CLI_DIR}/pmml_fields.cc
  ${RULEWEAVE_CLI_DIR}/demo_data.cc
  # Results and their writers.
  ${RULEWEAVE_CLI_DIR}/rule_text.cc
  ${RULEWEAVE_CLI_DIR}/model_report.cc
  ${RULEWEAVE_CLI_DIR}/report.cc
  ${RULEWEAVE_CLI_DIR}/report_data.cc
  ${RULEWEAVE_CLI_DIR}/sql_writer.cc
  ${RULEWEAVE_CLI_DIR}/html_report.cc
  ${RULEWEAVE_CLI_DIR}/model_files.cc
  ${RULEWEAVE_CLI_DIR}/describe_report.cc
  ${RULEWEAVE_CLI_DIR}/scored_file.cc
  ${RULEWEAVE_CLI_DIR}/holdout_split.cc
  ${RULEWEAVE_CLI_DIR}/output_file.cc
  ${RULEWEAVE_CLI_DIR}/terminal_width.cc
  ${RULEWEAVE_CLI_DIR}/resource_usage.cc
  # The command line: options, the commands and the dispatcher.
  ${RULEWEAVE_CLI_DIR}/options.cc
  ${RULEWEAVE_CLI_DIR}/command_support.cc
  ${RULEWEAVE_CLI_DIR}/search_command.cc
  ${RULEWEAVE_CLI_DIR}/score_command.cc
  ${RULEWEAVE_CLI_DIR}/describe_command.cc
  ${RULEWEAVE_CLI_DIR}/demo_command.cc
  ${RULEWEAVE_CLI_DIR}/cli.cc
)
