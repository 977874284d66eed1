# Sources of the foundation subsystem: what every layer shares (bit sets, records, status, the
# measure and its statistics, parameters, settings, progress and cancel plumbing).
list(APPEND RULEWEAVE_SOURCES
  foundation/bit_set.cc
  foundation/exceptions.cc
  foundation/missing_value.cc
  foundation/record.cc
  foundation/status.cc
  foundation/number_text.cc
  foundation/measure.cc
  foundation/statistics.cc
  foundation/parameters.cc
  foundation/settings.cc
  foundation/progress.cc
  foundation/progress_throttle.cc
  foundation/worker_pool.cc
)
