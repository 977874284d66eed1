"""DecisionListSearch: the decision-list search as a scikit-learn-style estimator.

Ranking of the result models: each row is scored with its rule's training rate, and the model
with the highest weighted ROC AUC of that score against the response wins, measured on the
holdout rows when a holdout was kept, else on the training rows; ties go to the earlier model.
"""

import numbers
import sys
import warnings

import numpy as np
import pandas as pd

from . import _ruleweave
from .defaults import DEFAULTS, MIN_GROUP_FLOOR
from .frames import as_frame, infer_column
from .model import DecisionListModel, classes_of, flat_rules, grouped_auc

try:  # scikit-learn is optional: with it the estimator clones, pipelines and cross-validates
    from sklearn.base import BaseEstimator as _Base, ClassifierMixin as _Mixin
except ImportError:  # pragma: no cover - exercised on machines without scikit-learn
    import inspect

    class _Base:
        """get_params / set_params in scikit-learn's manner, for plain use without it."""

        @classmethod
        def _get_param_names(cls):
            signature = inspect.signature(cls.__init__)
            return sorted(p for p in signature.parameters if p != "self")

        def get_params(self, deep=True):
            return {name: getattr(self, name) for name in self._get_param_names()}

        def set_params(self, **params):
            valid = self._get_param_names()
            for name, value in params.items():
                if name not in valid:
                    raise ValueError(f"invalid parameter '{name}' for {type(self).__name__}")
                setattr(self, name, value)
            return self

    class _Mixin:
        _estimator_type = "classifier"


def _check_int(name, value, least):
    if isinstance(value, bool) or not isinstance(value, numbers.Integral) or value < least:
        raise ValueError(f"{name} must be a whole number of at least {least}, got {value!r}")
    return int(value)


def _weights(sample_weight, rows):
    """Frequency weights rounded to whole numbers; None without weights."""
    if sample_weight is None:
        return None
    w = np.asarray(sample_weight, dtype=np.float64)
    if w.ndim != 1 or len(w) != rows:
        raise ValueError(f"sample_weight has {w.size} value(s), X has {rows} row(s)")
    if not np.isfinite(w).all():
        raise ValueError("sample_weight holds a missing or infinite value")
    if (w < 0).any():
        raise ValueError("sample_weight holds a negative value")
    w = np.floor(w + 0.5)
    if (w >= 2.0 ** 31).any():
        raise ValueError("sample_weight holds a value of 2**31 or more")
    if not (w > 0).any():
        raise ValueError("sample_weight: every weight rounds to 0, nothing is left to fit")
    return w


def _target_series(y):
    """y as a Series: a Series, a one-column DataFrame, or anything numpy reads as 1-D."""
    if isinstance(y, pd.DataFrame):
        if y.shape[1] != 1:
            raise ValueError(f"y must be one column, got {y.shape[1]}")
        return y.iloc[:, 0]
    if isinstance(y, pd.Series):
        return y
    values = np.asarray(y)
    if values.ndim != 1:
        raise ValueError(f"y must be one-dimensional, got shape {values.shape}")
    return pd.Series(values)


def _response_code(target, response):
    """The code of `response` among the target's categories; ValueError when it is not one."""
    if response is None:
        raise ValueError("response: name the target value that counts as a response")
    for code, category in enumerate(target.categories):
        if target.numeric:
            try:
                if float(response) == category:
                    return code
            except (TypeError, ValueError):
                pass
        elif str(response) == category:
            return code
    shown = ", ".join(map(str, target.categories[:10]))
    raise ValueError(f"response: the value {response!r} does not occur in the target "
                     f"'{target.name}' (its values: {shown})")


def _take(coldef, rows):
    """A column definition restricted to `rows`; a continuous column gets the range of those rows."""
    out = dict(coldef, values=coldef["values"][rows])
    if coldef["kind"] == "continuous":
        present = out["values"][~np.isnan(out["values"])]
        out["min"], out["max"] = ((present.min(), present.max()) if len(present)
                                  else (0.0, 0.0))
    return out


def _progress(progress):
    """The callable the search reports to, and a function that ends the display."""
    if progress is False:
        return None, lambda: None
    if callable(progress):
        return progress, lambda: None
    try:
        from tqdm.auto import tqdm
    except ImportError:
        return None, lambda: None
    bar = tqdm(desc="loading", unit=" cases", disable=None, file=sys.stderr, leave=False)
    if bar.disable:  # not a terminal nor a notebook
        return None, bar.close
    stage = ["loading"]

    def report(info):
        if info["stage"] != stage[0]:
            stage[0] = info["stage"]
            bar.set_description(stage[0])
            bar.unit = " rules"
            bar.reset()
        count = info["cases"] if stage[0] == "loading" else info["rules"]
        bar.update(max(count, 0) - bar.n)
        if info["candidates"] >= 0:
            bar.set_postfix(candidates=info["candidates"], refresh=False)

    return report, bar.close


class DecisionListSearch(_Mixin, _Base):
    """Searches a DataFrame for decision lists: ordered rules whose rows have a markedly high
    (direction "up") or low ("down") rate of the target value `response`.

    Parameters (defaults in ruleweave.defaults.DEFAULTS, the command-line program's):
      response       the target value that counts as a response (required at fit)
      min_group      smallest group a condition may select: "2%" (a share of the weighted
                     rows, never below 20) or a count
      list_depth, rule_depth, list_width, rule_width   how far and how wide the search looks
      bins, binning  bins per continuous column, "frequency" or "width"
      confidence     confidence of the tests that accept a condition (0 < c < 1)
      direction      "up" or "down"
      allow_missing  whether conditions may select missing values
      holdout        share of the rows kept out of the search (stratified) to rank the models
                     and measure the best one, or None
      random_state   seed of the holdout split
      n_jobs         threads of the search: None or -1 for one per core, or a count; the
                     models are the same for every value

    After fit: models_ (every distinct model, in the search's order), model_ (the best by ROC
    AUC, see the module text; None when no rule was found), rules_, classes_,
    feature_names_in_, n_features_in_.
    """

    def __init__(self, response=DEFAULTS["response"], min_group=DEFAULTS["min_group"],
                 list_depth=DEFAULTS["list_depth"], rule_depth=DEFAULTS["rule_depth"],
                 list_width=DEFAULTS["list_width"], rule_width=DEFAULTS["rule_width"],
                 bins=DEFAULTS["bins"], binning=DEFAULTS["binning"],
                 confidence=DEFAULTS["confidence"], direction=DEFAULTS["direction"],
                 allow_missing=DEFAULTS["allow_missing"], holdout=DEFAULTS["holdout"],
                 random_state=DEFAULTS["random_state"], n_jobs=DEFAULTS["n_jobs"]):
        self.response = response
        self.min_group = min_group
        self.list_depth = list_depth
        self.rule_depth = rule_depth
        self.list_width = list_width
        self.rule_width = rule_width
        self.bins = bins
        self.binning = binning
        self.confidence = confidence
        self.direction = direction
        self.allow_missing = allow_missing
        self.holdout = holdout
        self.random_state = random_state
        self.n_jobs = n_jobs

    # -- settings ------------------------------------------------------------------------------

    def _parameters(self, total_weight):
        p = {name: _check_int(name, getattr(self, name), 1)
             for name in ("list_depth", "rule_depth", "list_width", "rule_width")}
        p["bins"] = _check_int("bins", self.bins, 2)
        if self.binning not in ("frequency", "width"):
            raise ValueError(f"binning must be 'frequency' or 'width', got {self.binning!r}")
        if self.direction not in ("up", "down"):
            raise ValueError(f"direction must be 'up' or 'down', got {self.direction!r}")
        confidence = self.confidence
        if (isinstance(confidence, bool) or not isinstance(confidence, numbers.Real)
                or not 0 < confidence < 1):
            raise ValueError(f"confidence must be a number between 0 and 1, got {confidence!r}")
        threads = 0 if self.n_jobs in (None, -1) else _check_int("n_jobs", self.n_jobs, 1)
        p.update(binning=self.binning, direction=self.direction, confidence=float(confidence),
                 threads=threads,
                 allow_missing=bool(self.allow_missing),
                 min_group=self._min_group(total_weight))
        return p

    def _min_group(self, total_weight):
        value = self.min_group
        share = None
        if isinstance(value, str) and value.strip().endswith("%"):
            try:
                share = float(value.strip()[:-1]) / 100.0
            except ValueError:
                share = None
        elif isinstance(value, float) and not isinstance(value, bool):
            share = value
        elif isinstance(value, numbers.Integral) and not isinstance(value, bool) and value >= 1:
            return int(value)
        if share is None or not 0 < share < 1:
            raise ValueError("min_group must be a share such as '5%' (or 0.05) or a count of "
                             f"at least 1, got {value!r}")
        return max(MIN_GROUP_FLOOR, int(np.ceil(share * total_weight)))

    def _holdout_rows(self, is_response):
        """Training and holdout row indices, the holdout drawn per class."""
        share = self.holdout
        rows = np.arange(len(is_response))
        if share is None:
            return rows, None
        if isinstance(share, bool) or not isinstance(share, numbers.Real) or not 0 < share < 1:
            raise ValueError(f"holdout must be a share between 0 and 1 or None, got {share!r}")
        seed = self.random_state
        if isinstance(seed, np.random.RandomState):
            seed = seed.randint(2 ** 31)
        rng = np.random.default_rng(seed)
        held = []
        for group in (rows[is_response], rows[~is_response]):
            held.append(rng.choice(group, int(round(share * len(group))), replace=False))
        held = np.sort(np.concatenate(held))
        train = np.setdiff1d(rows, held, assume_unique=True)
        if not is_response[train].any() or is_response[train].all() or len(held) == 0:
            raise ValueError(f"holdout={share!r} leaves too few rows of one class to search or "
                             "to measure; use a smaller share or more rows")
        return train, held

    # -- fitting -------------------------------------------------------------------------------

    def fit(self, X, y, sample_weight=None, *, feature_names=None, progress=None):
        """Searches X (a DataFrame, or a 2-D array with `feature_names`) for rules on the target
        y. sample_weight becomes the frequency weight (rounded to whole numbers; rows whose
        weight rounds to 0 are left out). progress: None shows a tqdm bar when tqdm is installed,
        False shows nothing, a callable receives the library's reports as dicts. Ctrl-C stops
        the search with KeyboardInterrupt and leaves the estimator as it was."""
        X = as_frame(X, feature_names)
        rows = len(X)
        if rows == 0 or X.shape[1] == 0:
            raise ValueError(f"X is empty ({rows} rows, {X.shape[1]} columns)")
        names = [str(c) for c in X.columns]
        if len(set(names)) != len(names):
            raise ValueError("X has two columns with the same name")
        self._parameters(rows)  # refuses bad settings before any work
        y = _target_series(y)
        if len(y) != rows:
            raise ValueError(f"y has {len(y)} value(s), X has {rows} row(s)")
        weights = _weights(sample_weight, rows)

        target_name = str(y.name) if y.name is not None else "target"
        while target_name in names:
            target_name = "_" + target_name
        target, target_coldef = infer_column(target_name, y.reset_index(drop=True), 0, target=True)
        codes = target_coldef["values"]
        if (codes < 0).any():
            raise ValueError(f"y has {(codes < 0).sum()} missing value(s); drop or fill them")
        if len(target.categories) < 2:
            raise ValueError(f"y has only one value ({target.categories[0]!r}); there is "
                             "nothing to tell apart")
        response_code = _response_code(target, self.response)
        is_response = codes == response_code

        features, coldefs = [], []
        bins = _check_int("bins", self.bins, 2)
        for name, column in zip(names, X.columns):
            schema, coldef = infer_column(name, X[column], bins)
            if schema is not None:
                features.append(schema)
                coldefs.append(coldef)
        if not features:
            raise ValueError("X has no column that can be used")

        train, held = self._holdout_rows(is_response)
        if weights is not None:
            train = train[weights[train] > 0]
            if held is not None:
                held = held[weights[held] > 0]
        train_weights = None if weights is None else weights[train]
        total = len(train) if weights is None else float(train_weights.sum())
        parameters = self._parameters(total)
        weight_name = "sample_weight"
        while weight_name in names or weight_name == target_name:
            weight_name = "_" + weight_name
        subset = (lambda s: s) if len(train) == rows else (lambda s: _take(s, train))
        train_coldefs = [subset(s) for s in coldefs] + [subset(target_coldef)]

        report, done = _progress(progress)
        try:
            result = _ruleweave.search(
                train_coldefs, train_weights, weight_name if weights is not None else "",
                _response_text(target, response_code), parameters, report,
                getattr(self, "_cancel_after_polls", -1))
        finally:
            done()
        del train_coldefs

        if not result["models"]:
            warnings.warn("the search found no rule that beats the base rate significantly; "
                          "every row scores the base rate", stacklevel=2)
        models = [DecisionListModel(m["pmml"], features, target, response_code, m)
                  for m in result["models"]]
        scores = []
        held_frame = X.iloc[held] if held is not None else None
        for model in models:
            evaluation = model.figures
            if held is not None:
                evaluation = model.measure(held_frame, codes[held], None if weights is None
                                           else weights[held], weight_name)
                model.holdout = evaluation
            scores.append(_auc(model, evaluation))
        best = int(np.nanargmax(scores)) if models and not np.isnan(scores).all() else 0

        self.feature_names_in_ = np.array(names, dtype=object)
        self.n_features_in_ = len(names)
        self.models_ = models
        self.model_scores_ = np.array(scores)
        self.model_ = models[best] if models else None
        self.classes_ = classes_of(target, response_code)[0]
        self._empty = DecisionListModel(None, features, target, response_code,
                                        _no_rules(is_response[train], train_weights))
        self.fit_seconds_ = {"load": result["load_seconds"], "search": result["search_seconds"]}
        return self

    # -- results -------------------------------------------------------------------------------

    def _fitted(self):
        if not hasattr(self, "models_"):
            raise AttributeError("this DecisionListSearch is not fitted yet; call fit first")
        return self.model_ if self.model_ is not None else self._empty

    @property
    def rules_(self):
        """The best model's rules table (see DecisionListModel.rules_)."""
        return self._fitted().rules_

    def apply(self, X):
        """Each row's rule in the best model as "L.R", or "remainder"."""
        return self._fitted().apply(X)

    def predict_proba(self, X):
        """Per row [1 - p, p] in the order of classes_, p the training rate of the row's rule."""
        return self._fitted().predict_proba(X)

    def predict(self, X):
        """The response class where the row's rule has a training rate above the base rate."""
        return self._fitted().predict(X)

    def to_pmml(self, path):
        """Writes the best model as PMML 3.0 (through a temporary file, renamed when whole)."""
        if self._fitted().document is None:
            raise ValueError("the search found no rule; there is no model to write")
        self.model_.to_pmml(path)

    def _repr_html_(self):
        if not hasattr(self, "models_"):
            return None
        return self._fitted()._repr_html_()


def _response_text(target, code):
    from .frames import number_text
    value = target.categories[code]
    return number_text(value) if target.numeric else value


def _no_rules(is_response, weights):
    """The figures of a model without rules: every row in the remainder."""
    w = np.ones(len(is_response)) if weights is None else weights
    coverage, responses = float(w.sum()), float(w[is_response].sum())
    lower, upper = _ruleweave.bounds(coverage, responses)
    return {"lists": [], "remainder": {"coverage": coverage, "responses": responses,
                                       "lower": lower, "upper": upper}}


def _auc(model, figures):
    """ROC AUC of the training rates as scores on the rows `figures` were measured on."""
    groups = [rule for _, _, rule in flat_rules(figures)] + [figures["remainder"]]
    positives = [g["responses"] for g in groups]
    negatives = [g["coverage"] - g["responses"] for g in groups]
    return grouped_auc(model.training_rates, positives, negatives)
