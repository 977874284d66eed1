"""DecisionListSearch: planted groups found and scored, weights, missing values, holdout,
scikit-learn compatibility, cancelling, and the errors bad input gets."""

import os
import pickle
import subprocess
import sys

import numpy as np
import pandas as pd
import pytest

from ruleweave import DecisionListSearch, read_pmml

SMALL = dict(list_depth=4, list_width=3, rule_depth=2, rule_width=3, min_group=50)


def test_planted_groups_are_found_and_scored(planted):
    X, y = planted
    search = DecisionListSearch(response=1, **SMALL).fit(X, y, progress=False)
    rules = search.rules_
    assert search.model_ is search.models_[int(np.argmax(search.model_scores_))]
    top = rules.iloc[0]
    assert "region = north" in top.conditions or "kids = 3" in top.conditions
    assert top.rate > 3 * rules.iloc[-1].rate and top.lift > 2
    # Every row goes to one rule: the labels' counts are the rules' coverages, in order.
    labels = search.apply(X)
    expected = [f"{l}.{r}" for l, r in zip(rules.list[:-1], rules.rule[:-1])] + ["remainder"]
    counts = pd.Series(labels).value_counts()
    assert [counts.get(label, 0) for label in expected] == list(rules.coverage)
    proba = search.predict_proba(X)
    assert list(search.classes_) == [0, 1]
    np.testing.assert_allclose(proba.sum(axis=1), 1.0)
    rate_of = dict(zip(expected, rules.rate))
    np.testing.assert_allclose(proba[:, 1], [rate_of[label] for label in labels])
    base = y.mean()
    np.testing.assert_array_equal(search.predict(X), (proba[:, 1] > base).astype(int))
    assert rules.cumulative_coverage.iloc[-2] + rules.coverage.iloc[-1] == len(X)
    copy = pickle.loads(pickle.dumps(search))
    np.testing.assert_array_equal(copy.predict_proba(X), proba)
    html = search._repr_html_()
    assert "<svg" in html and top.conditions.split(" ")[0] in html


def test_integer_weights_equal_repeated_rows(planted):
    X, y = planted
    w = np.random.default_rng(3).integers(0, 4, len(X))
    weighted = DecisionListSearch(response=1, **SMALL).fit(X, y, sample_weight=w, progress=False)
    rows = np.repeat(np.arange(len(X)), w)
    repeated = DecisionListSearch(response=1, **SMALL).fit(
        X.iloc[rows].reset_index(drop=True), y.iloc[rows].reset_index(drop=True), progress=False)
    pd.testing.assert_frame_equal(weighted.rules_, repeated.rules_)


@pytest.mark.parametrize("allow_missing", [True, False])
def test_missing_values(allow_missing):
    rng = np.random.default_rng(5)
    rows = 3000
    income = rng.uniform(1, 100, rows)
    lost = rng.random(rows) < 0.2
    income[lost] = np.nan
    city = pd.Series(rng.choice(["a", "b", "c"], rows), dtype=object)
    city[rng.random(rows) < 0.1] = None
    X = pd.DataFrame({"income": income, "city": city,
                      "kind": pd.Categorical(rng.choice(["x", "y", None], rows))})
    y = (rng.random(rows) < np.where(lost, 0.6, np.where(city == "a", 0.3, 0.05))).astype(int)
    search = DecisionListSearch(response=1, allow_missing=allow_missing, **SMALL)
    search.fit(X, y, progress=False)
    texts = " ".join(search.rules_.conditions)
    if allow_missing:
        assert "income is missing" in search.rules_.conditions.iloc[0]
        new = pd.DataFrame({"income": [np.nan, 50.0], "city": ["a", None],
                            "kind": pd.Categorical([None, "x"])})
        assert search.apply(new)[0] == "1.1"
    else:
        assert len(search.rules_) > 1 and "missing" not in texts


def test_holdout_figures_measure_the_held_rows(planted):
    X, y = planted
    search = DecisionListSearch(response=1, holdout=0.25, random_state=1, **SMALL)
    rules = search.fit(X, y, progress=False).rules_
    assert rules.coverage.sum() + rules.holdout_coverage.sum() == len(X)
    assert rules.holdout_responses.sum() == round(0.25 * y.sum())
    assert (rules.holdout_lower <= rules.holdout_rate).all()
    again = DecisionListSearch(response=1, holdout=0.25, random_state=1, **SMALL)
    pd.testing.assert_frame_equal(again.fit(X, y, progress=False).rules_, rules)


def test_scikit_learn_clone_pipeline_and_cross_validation(planted):
    pytest.importorskip("sklearn")
    from sklearn.base import clone
    from sklearn.model_selection import cross_val_score
    from sklearn.pipeline import Pipeline

    X, y = planted
    search = DecisionListSearch(response=1, bins=8, **SMALL)
    twin = clone(search)
    assert twin.get_params() == search.get_params() and twin is not search
    assert twin.set_params(direction="down").direction == "down"
    pipe = Pipeline([("rules", search)])
    scores = cross_val_score(pipe, X, y, cv=3, scoring="roc_auc",
                             fit_params={"rules__progress": False})
    assert scores.min() > 0.7


def test_plain_use_without_scikit_learn(planted):
    script = (
        "import sys; sys.modules['sklearn'] = None\n"
        "import numpy as np, ruleweave\n"
        "from conftest import planted_frame\n"
        "s = ruleweave.DecisionListSearch(response=1, bins=7)\n"
        "assert s.set_params(list_depth=2).get_params()['list_depth'] == 2\n"
        "X, y = planted_frame(rows=800)\n"
        "assert s.fit(X, y, progress=False).predict_proba(X).shape == (800, 2)\n")
    done = subprocess.run([sys.executable, "-c", script], capture_output=True, text=True,
                          cwd=os.path.dirname(__file__), check=False)
    assert done.returncode == 0, done.stderr


def test_cancel_leaves_the_estimator_as_it_was(planted):
    X, y = planted
    search = DecisionListSearch(response=1, **SMALL).fit(X, y, progress=False)
    before = search.models_
    search._cancel_after_polls = 5
    with pytest.raises(KeyboardInterrupt):
        search.fit(X, y, progress=False)
    assert search.models_ is before

    class Stop(Exception):
        pass

    def progress(info):
        if info["stage"] == "searching":
            raise Stop(info["stage"])

    fresh = DecisionListSearch(response=1, **SMALL)
    with pytest.raises(Stop, match="searching"):
        fresh.fit(X, y, progress=progress)
    assert not hasattr(fresh, "models_")


def test_continuous_column_with_one_value_is_left_out_with_a_warning(planted):
    X, y = planted
    X = X.assign(constant=1.5)
    with pytest.warns(UserWarning, match="'constant'"):
        search = DecisionListSearch(response=1, **SMALL).fit(X, y, progress=False)
    assert "constant" not in search.rules_.conditions.str.cat()


def ruleweave_planted():
    from conftest import planted_frame
    return planted_frame(rows=500)


BAD_INPUTS = [
    ("response not in target", dict(response=7), {}, ValueError, "does not occur in the target"),
    ("no response", dict(response=None), {}, ValueError, "response"),
    ("one-valued target", dict(response=1), {"y": np.ones(500, int)}, ValueError,
     "only one value"),
    ("empty frame", dict(response=1), {"X": pd.DataFrame()}, ValueError, "empty"),
    ("short target", dict(response=1), {"y": np.ones(10, int)}, ValueError, "y has 10"),
    ("weight nan", dict(response=1), {"w": np.r_[np.nan, np.ones(499)]}, ValueError,
     "sample_weight holds a missing"),
    ("weight negative", dict(response=1), {"w": np.r_[-1.0, np.ones(499)]}, ValueError,
     "negative"),
    ("weight length", dict(response=1), {"w": np.ones(3)}, ValueError, "sample_weight has 3"),
    ("datetime column", dict(response=1),
     {"extra": pd.date_range("2020-01-01", periods=500)}, TypeError, "'extra'"),
    ("mixed text column", dict(response=1), {"extra": ["a", 1] * 250}, TypeError, "'extra'"),
    ("infinite value", dict(response=1), {"extra": np.r_[np.inf, np.ones(499)]}, ValueError,
     "'extra' holds an infinite"),
    ("bad direction", dict(response=1, direction="sideways"), {}, ValueError, "direction"),
    ("bad min_group", dict(response=1, min_group="lots"), {}, ValueError, "min_group"),
    ("bad holdout", dict(response=1, holdout=1.5), {}, ValueError, "holdout"),
    ("bad n_jobs", dict(response=1, n_jobs=0), {}, ValueError, "n_jobs"),
]


@pytest.mark.parametrize("case,params,change,error,message", BAD_INPUTS,
                         ids=[c[0] for c in BAD_INPUTS])
def test_bad_input_gets_a_clear_error(case, params, change, error, message):
    X, y = ruleweave_planted()
    if "extra" in change:
        X = X.assign(extra=change["extra"])
    X = change.get("X", X)
    y = change.get("y", y)
    with pytest.raises(error, match=message):
        DecisionListSearch(**params).fit(X, y, sample_weight=change.get("w"), progress=False)


def test_scoring_refuses_what_it_cannot_read(planted, tmp_path):
    X, y = planted
    search = DecisionListSearch(response=1, **SMALL).fit(X, y, progress=False)
    with pytest.raises(ValueError, match="lacks the column 'region'"):
        search.predict_proba(X.drop(columns="region"))
    with pytest.raises(TypeError, match="'age'"):
        search.predict(X.assign(age="old"))
    (tmp_path / "rules.pmml").write_text("<PMML><Header/></PMML>")
    with pytest.raises(ValueError, match="not a PMML rule-set document"):
        read_pmml(tmp_path / "rules.pmml")
    (tmp_path / "rules.pmml").write_text('<!DOCTYPE PMML [<!ENTITY a "b">]><PMML>&a;</PMML>')
    with pytest.raises(ValueError, match="not a readable PMML document"):
        read_pmml(tmp_path / "rules.pmml")
