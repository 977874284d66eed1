# Sources of the facade: the algorithm and the factory, the top layer hosts call.
list(APPEND RULEWEAVE_SOURCES
  facade/algorithm.cc
  facade/factory.cc
)
