# Sources of the pmml subsystem.
list(APPEND RULEWEAVE_SOURCES
  pmml/pmml_exporter.cc
  pmml/utf8.cc
  pmml/xml_number.cc
  pmml/xml_writer.cc
  pmml/pmml_importer.cc
  pmml/scoring/model_factory.cc
  pmml/scoring/number_text.cc
  pmml/scoring/rule_set_model.cc
  pmml/scoring/safe_xml.cc
)
