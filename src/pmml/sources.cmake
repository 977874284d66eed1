# Sources of the pmml subsystem.
list(APPEND RULEWEAVE_SOURCES
  pmml/pmml_exporter.cc
  pmml/utf8.cc
  pmml/xml_writer.cc
  pmml/pmml_importer.cc
  pmml/model_fields.cc
  pmml/reader/model_factory.cc
  pmml/reader/rule_set_model.cc
  pmml/reader/safe_xml.cc
)
