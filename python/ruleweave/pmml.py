"""Reading a PMML rule-set document back into a model that scores rows without refitting.

The document's data dictionary gives the columns (kind, data type, categories in order), the
field marked "predicted" is the target and the rules' score its response value. The training
figures are the rules' recordCount and nbCorrect; each rule set's last rule (predicate True) is
that list's remainder.
"""

import os
import xml.etree.ElementTree as ET

import numpy as np

from . import _ruleweave
from .frames import ColumnSchema
from .model import DecisionListModel


def _local(tag):
    return tag.rsplit("}", 1)[-1]


def _children(element, name):
    return [child for child in element if _local(child.tag) == name]


def _descendants(element, name):
    return [child for child in element.iter() if _local(child.tag) == name]


def _schema(field, target):
    name = field.get("name")
    optype = field.get("optype")
    if optype == "continuous":
        return ColumnSchema(name, "continuous")
    if optype not in ("categorical", "ordinal"):
        raise ValueError(f"PMML field '{name}' has the unknown optype {optype!r}")
    values = [v.get("value") for v in _children(field, "Value")
              if v.get("property", "valid") == "valid"]
    kind = "ordinal" if optype == "ordinal" and not target else "nominal"
    if field.get("dataType") in ("integer", "double", "float"):
        numbers = [float(v) for v in values]
        return ColumnSchema(name, kind, True, field.get("dataType") == "integer", numbers, target)
    return ColumnSchema(name, kind, False, False, values, target,
                        boolean=target and values == ["False", "True"])


def read_pmml(path):
    """The model of a PMML document written by to_pmml (or `ruleweave search --pmml`), ready to
    apply, predict_proba and predict on a DataFrame holding the columns its rules use."""
    with open(os.fspath(path), encoding="utf-8") as source:
        document = source.read()
    try:
        root = ET.fromstring(document)
    except ET.ParseError as error:
        raise ValueError(f"{path}: not a readable XML document ({error})") from None
    models = _descendants(root, "RuleSetModel")
    dictionary = _descendants(root, "DataDictionary")
    if not models or not dictionary:
        raise ValueError(f"{path}: not a PMML rule-set document")
    predicted = {f.get("name") for f in _descendants(root, "MiningField")
                 if f.get("usageType") == "predicted"}
    used = {f.get("name") for f in _descendants(root, "MiningField")}
    if len(predicted) != 1:
        raise ValueError(f"{path}: the document names {len(predicted)} predicted fields, not one")
    features, target = [], None
    for field in _children(dictionary[0], "DataField"):
        schema = _schema(field, field.get("name") in predicted)
        if schema.target:
            target = schema
        elif schema.name in used:
            features.append(schema)
    score = _descendants(models[0], "SimpleRule")[0].get("score")
    response_code = _response_code(target, score, path)

    specs = [s.spec(np.zeros(0, dtype=np.float64 if s.kind == "continuous" else np.int8))
             for s in features + [target]]
    conditions = _ruleweave.pmml_conditions(document, specs)
    lists, remainder = [], None
    for model, texts in zip(models, conditions):
        rules = _descendants(model, "SimpleRule")
        entries = [_figures(rule) for rule in rules]
        body = [dict(entry, conditions=text) for entry, text in zip(entries[:-1], texts)]
        lists.append({"rules": body})
        remainder = entries[-1]
    figures = {"lists": lists, "remainder": remainder}
    return DecisionListModel(document, features, target, response_code, figures)


def _figures(rule):
    coverage = float(rule.get("recordCount", "nan"))
    responses = float(rule.get("nbCorrect", "nan"))
    lower, upper = _ruleweave.bounds(coverage, responses)
    return {"coverage": coverage, "responses": responses, "lower": lower, "upper": upper}


def _response_code(target, score, path):
    for code, category in enumerate(target.categories):
        if (float(score) == category) if target.numeric else score == category:
            return code
    raise ValueError(f"{path}: the rules' score {score!r} is no category of '{target.name}'")
