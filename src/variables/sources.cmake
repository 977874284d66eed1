# Sources of the variables subsystem: user-missing sets, encoders, binning, variables, the list.
list(APPEND RULEWEAVE_SOURCES
  variables/binef_pre_process.cc
  variables/binning_encoder.cc
  variables/category_text.cc
  variables/display.cc
  variables/encoder.cc
  variables/user_missing.cc
  variables/var.cc
  variables/var_list.cc
)
