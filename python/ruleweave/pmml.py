"""Reading a PMML rule-set document back into a model that scores rows without refitting.

The library's own reader does all the reading, under its limits (no DOCTYPE or entities, bounded
size and depth): the data dictionary gives the columns (kind, data type, categories in order),
the field marked "predicted" is the target, and the imported lists give the rules' conditions and
the response value. The training figures are the rules' recordCount and nbCorrect; each rule
set's last rule (predicate True) is that list's remainder.
"""

import os

import numpy as np

from . import _ruleweave
from .frames import ColumnSchema
from .model import DecisionListModel


def _schema(field, target):
    name, optype = field["name"], field["optype"]
    if optype == "continuous":
        return ColumnSchema(name, "continuous")
    if optype not in ("categorical", "ordinal"):
        raise ValueError(f"PMML field '{name}' has no optype the package reads "
                         "(continuous, categorical or ordinal)")
    values = field["values"]
    kind = "ordinal" if optype == "ordinal" and not target else "nominal"
    if field["data_type"] in ("integer", "double", "float"):
        numbers = [float(v) for v in values]
        return ColumnSchema(name, kind, True, field["data_type"] == "integer", numbers, target)
    return ColumnSchema(name, kind, False, False, values, target,
                        boolean=target and values == ["False", "True"])


def read_pmml(path):
    """The model of a PMML document written by to_pmml (or `ruleweave search --pmml`), ready to
    apply, predict_proba and predict on a DataFrame holding the columns its rules use."""
    with open(os.fspath(path), encoding="utf-8") as source:
        document = source.read()
    try:
        fields = _ruleweave.pmml_fields(document)
        records = _ruleweave.pmml_rule_records(document)
    except ValueError as error:
        raise ValueError(f"{path}: {error}") from None
    if not fields or not records:
        raise ValueError(f"{path}: not a PMML rule-set document")
    predicted = [field for field in fields if field["predicted"]]
    if len(predicted) != 1:
        raise ValueError(f"{path}: the document names {len(predicted)} predicted fields, not one")
    features, target = [], None
    for field in fields:
        schema = _schema(field, field["predicted"])
        if schema.target:
            target = schema
        elif field["used"]:
            features.append(schema)

    coldefs = [s.coldef(np.zeros(0, dtype=np.float64 if s.kind == "continuous" else np.int8))
             for s in features + [target]]
    imported = _ruleweave.pmml_lists(document, coldefs)
    response_code = _response_code(target, imported[0]["response"], path)
    lists, remainder = [], None
    for rules, entry in zip(records, imported):
        figures = [_figures(rule) for rule in rules]
        body = [dict(f, conditions=text) for f, text in zip(figures[:-1], entry["conditions"])]
        lists.append({"rules": body})
        remainder = figures[-1]
    figures = {"lists": lists, "remainder": remainder}
    return DecisionListModel(document, features, target, response_code, figures)


def _figures(rule):
    coverage, responses = rule["record_count"], rule["nb_correct"]
    lower, upper = _ruleweave.bounds(coverage, responses)
    return {"coverage": coverage, "responses": responses, "lower": lower, "upper": upper}


def _response_code(target, score, path):
    for code, category in enumerate(target.categories):
        if target.numeric:
            try:
                if float(score) == category:
                    return code
            except ValueError:
                break
        elif score == category:
            return code
    raise ValueError(f"{path}: the rules' score {score!r} is no category of '{target.name}'")
