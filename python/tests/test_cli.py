"""The package against the command-line program on the same CSV: the same models with the same
rules and figures, and PMML documents that each side reads from the other."""

import json
import subprocess

import numpy as np
import pandas as pd
import pytest

from conftest import planted_frame
from ruleweave import DecisionListSearch, read_pmml

SETTINGS = dict(list_depth=4, list_width=3, rule_depth=2, rule_width=3, bins=10,
                binning="frequency", confidence=0.9, min_group=50)
FLAGS = ["--list-depth", "4", "--list-width", "3", "--rule-depth", "2", "--rule-width", "3",
         "--bins", "10", "--binning", "frequency", "--confidence", "0.9", "--min-group", "50"]


@pytest.fixture
def table(tmp_path):
    """A CSV without few-valued whole-number columns (which the program reads as numbers and
    the package as ordinal categories), and the same table read back by pandas."""
    X, y = planted_frame(rows=1500)
    path = tmp_path / "data.csv"
    X.drop(columns="kids").assign(y=y).to_csv(path, index=False)
    frame = pd.read_csv(path)
    return path, frame.drop(columns="y"), frame["y"]


def _run(cli, *args):
    done = subprocess.run([cli, *map(str, args)], capture_output=True, text=True, check=False)
    assert done.returncode == 0, done.stderr
    return done.stdout


def test_same_models_as_the_program(cli, table):
    path, X, y = table
    report = json.loads(_run(cli, "search", path, "--target", "y", "--response", "1", *FLAGS,
                             "--format", "json", "--quiet"))
    search = DecisionListSearch(response=1, **SETTINGS).fit(X, y, progress=False)
    assert len(search.models_) == len(report["models"]) > 0
    for model, expected in zip(search.models_, report["models"]):
        rules = model.rules_
        rows = expected["rules"] + [expected["remainder"]]
        assert list(rules.conditions) == [r["text"] for r in rows]
        for column, key in [("coverage", "coverage"), ("responses", "responses"),
                            ("rate", "rate"), ("lower", "lower95"), ("upper", "upper95"),
                            ("lift", "lift")]:
            np.testing.assert_allclose(rules[column], [r[key] for r in rows], rtol=1e-12)


def test_pmml_travels_both_ways(cli, table, tmp_path):
    path, X, y = table
    search = DecisionListSearch(response=1, **SETTINGS).fit(X, y, progress=False)
    search.to_pmml(tmp_path / "python.pmml")
    scored = tmp_path / "scored.csv"
    report = json.loads(_run(cli, "score", tmp_path / "python.pmml", path, "--format", "json",
                             "--quiet", "--output", scored))
    rows = report["models"][0]["rules"] + [report["models"][0]["remainder"]]
    np.testing.assert_allclose(search.rules_.coverage, [r["coverage"] for r in rows])
    np.testing.assert_allclose(search.rules_.responses, [r["responses"] for r in rows])
    by_program = pd.read_csv(scored, keep_default_na=False)
    assert list(by_program["rule"]) == list(search.apply(X))

    _run(cli, "search", path, "--target", "y", "--response", "1", *FLAGS, "--quiet",
         "--pmml", tmp_path / "program.pmml")
    model = read_pmml(tmp_path / "program.pmml")
    _run(cli, "score", tmp_path / "program.pmml", path, "--quiet", "--output", scored)
    by_program = pd.read_csv(scored, keep_default_na=False)
    assert list(by_program["rule"]) == list(model.apply(X))
    np.testing.assert_allclose(model.predict_proba(X)[:, 1], by_program["rule_rate"])
    assert list(model.classes_) == [0, 1]
