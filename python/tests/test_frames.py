"""How pandas columns become the library's variables, seen in the data dictionary of the PMML
document a fitted model writes (kind, data type and categories in code order)."""

import xml.etree.ElementTree as ET

import numpy as np
import pandas as pd
import pytest

from ruleweave import DecisionListSearch

ROWS = 600


def _column(kind):
    rng = np.random.default_rng(11)
    ints = rng.integers(0, 3, ROWS)
    texts = np.array(["b", "a", "c"])[ints]
    return {
        "float": rng.uniform(0, 1, ROWS),
        "few whole numbers": 10 - ints,
        "many whole numbers": rng.integers(0, 500, ROWS),
        "nullable few whole numbers": pd.array(np.where(ints == 0, None, ints), dtype="Int64"),
        "bool": ints == 1,
        "category": pd.Categorical(texts, categories=["c", "b", "a"]),
        "ordered category": pd.Categorical(texts, categories=["c", "a", "b"], ordered=True),
        "numeric category": pd.Categorical(ints * 2.5),
        "object": pd.Series(texts, dtype=object),
        "string": pd.Series(texts, dtype="string"),
    }[kind]


def _first_appearance(values):
    return list(dict.fromkeys(values))


MAPPING = [
    ("float", "continuous", "double", None),
    ("few whole numbers", "ordinal", "integer", ["8", "9", "10"]),
    ("many whole numbers", "continuous", "double", None),
    ("nullable few whole numbers", "ordinal", "integer", ["1", "2"]),
    ("bool", "categorical", "string", ["False", "True"]),
    ("category", "categorical", "string", ["c", "b", "a"]),
    ("ordered category", "ordinal", "string", ["c", "a", "b"]),
    ("numeric category", "categorical", "double", ["0", "2.5", "5"]),
    ("object", "categorical", "string", "first appearance"),
    ("string", "categorical", "string", "first appearance"),
]


@pytest.mark.parametrize("kind,optype,data_type,values", MAPPING, ids=[m[0] for m in MAPPING])
def test_column_kinds_follow_pandas(tmp_path, kind, optype, data_type, values):
    column = _column(kind)
    rng = np.random.default_rng(2)
    signal = rng.uniform(0, 1, ROWS)
    X = pd.DataFrame({"signal": signal, "x": column})
    y = np.where(rng.random(ROWS) < np.where(signal > 0.7, 0.8, 0.1), "yes", "no")
    search = DecisionListSearch(response="yes", min_group=30).fit(X, y, progress=False)
    search.to_pmml(tmp_path / "m.pmml")
    fields = {f.get("name"): f for f in ET.parse(tmp_path / "m.pmml").getroot().iter()
              if f.tag.endswith("DataField")}
    field = fields["x"]
    assert (field.get("optype"), field.get("dataType")) == (optype, data_type)
    listed = [v.get("value") for v in field if v.tag.endswith("Value")]
    if values == "first appearance":
        values = _first_appearance(np.asarray(column, dtype=object))
    assert listed == (values or [])
    # New rows are read through the same schema.
    assert len(search.apply(X.head(3))) == 3


def test_new_rows_keep_the_fit_categories(planted):
    X, y = planted
    search = DecisionListSearch(response=1, min_group=50).fit(X, y, progress=False)
    assert search.rules_.conditions.str.contains("region").any()
    regions = ["west", "unseen", "south", "north", "east"]  # another order, one category more
    recoded = X.assign(region=pd.Categorical(X.region, categories=regions),
                       kids=X.kids.astype(float))
    recoded.loc[:9, "region"] = "unseen"
    labels = search.apply(recoded)
    np.testing.assert_array_equal(labels[10:], search.apply(X)[10:])
