# Sources of the pmml subsystem.
list(APPEND RULEWEAVE_SOURCES
  pmml/pmml_exporter.cc
  pmml/utf8.cc
  pmml/xml_number.cc
  pmml/xml_writer.cc
)
