"""One decision-list model: its rules table, its scores for new rows and its PMML document.

Words used here:
  slot       a rule's position counted over all lists of the model; the remainder (the rows no
             rule takes) comes after the last rule;
  figures    what the extension module measures: per list its rules (conditions, coverage,
             responses, 95% bounds) and the model's remainder;
  training   the figures measured on the rows the search saw; a row's score is its rule's
             training rate.
"""

import os
import tempfile

import numpy as np
import pandas as pd

from . import _ruleweave
from .frames import as_frame, empty_target, encode_column


def _rate(coverage, responses):
    return responses / coverage if coverage > 0 else np.nan


def flat_rules(figures):
    """(list, rule, figures) of every rule in slot order."""
    return [(l + 1, r + 1, rule) for l, entry in enumerate(figures["lists"])
            for r, rule in enumerate(entry["rules"])]


def totals(figures):
    """Coverage and responses of all measured rows: every rule plus the remainder."""
    coverage = figures["remainder"]["coverage"]
    responses = figures["remainder"]["responses"]
    for _, _, rule in flat_rules(figures):
        coverage += rule["coverage"]
        responses += rule["responses"]
    return coverage, responses


def grouped_auc(scores, positives, negatives):
    """Weighted ROC AUC of a score that is constant within groups: group g has score scores[g],
    positives[g] responding and negatives[g] other rows (weighted). Tied scores count half."""
    scores, positives, negatives = map(np.asarray, (scores, positives, negatives))
    p_total, n_total = positives.sum(), negatives.sum()
    if p_total <= 0 or n_total <= 0:
        return np.nan
    auc = 0.0
    for s, p in zip(scores, positives):
        auc += p * (negatives[scores < s].sum() + 0.5 * negatives[scores == s].sum())
    return auc / (p_total * n_total)


def classes_of(target, response_code):
    """scikit-learn's classes_ and the column of the response in it: a two-valued target's
    values in sorted order, else [False, True] (whether the row is a response)."""
    cats = target.categories
    if len(cats) != 2:
        return np.array([False, True]), 1
    if target.boolean:
        return np.array([False, True]), 1 if cats[response_code] == "True" else 0
    if target.numeric:
        values = [int(c) if target.integral else c for c in cats]
    else:
        values = list(cats)
    order = sorted(range(2), key=lambda i: values[i])
    classes = np.array([values[i] for i in order], dtype=object if not target.numeric else None)
    return classes, order.index(response_code)


class DecisionListModel:
    """A fitted or imported model. Holds its PMML document (None for a search that found no
    rule), the schemas of the columns it reads and its training figures; every score comes from
    applying the document to new rows through the library."""

    def __init__(self, document, features, target, response_code, figures, holdout=None):
        self.document = document
        self.features = features
        self.target = target
        self.response_code = response_code
        self.classes_, self.positive = classes_of(target, response_code)
        self.figures = figures
        self.holdout = holdout
        coverage, responses = totals(figures)
        self.base_rate = _rate(coverage, responses)
        rates = [_rate(rule["coverage"], rule["responses"]) for _, _, rule in flat_rules(figures)]
        rest = figures["remainder"]
        rates.append(_rate(rest["coverage"], rest["responses"]))
        # A group the training rows never reached scores at the base rate.
        self.training_rates = np.where(np.isnan(rates), self.base_rate, rates)
        self.labels = np.array([f"{l}.{r}" for l, r, _ in flat_rules(figures)] + ["remainder"],
                               dtype=object)

    @property
    def response(self):
        return self.target.categories[self.response_code]

    # -- rules ---------------------------------------------------------------------------------

    @property
    def rules_(self):
        """One row per rule in order, then the remainder: list, rule, conditions, coverage,
        responses, rate, lower and upper (95% interval of the rate), lift over the base rate,
        cumulative coverage and rate, and the same measured on the holdout rows when there were
        any (holdout_coverage, holdout_responses, holdout_rate, holdout_lower, holdout_upper)."""
        rows = []
        cum_coverage = cum_responses = 0.0
        entries = flat_rules(self.figures) + [(None, None, self.figures["remainder"])]
        for l, r, rule in entries:
            rate = _rate(rule["coverage"], rule["responses"])
            row = {"list": l, "rule": r,
                   "conditions": rule["conditions"] if l is not None else "remainder",
                   "coverage": rule["coverage"], "responses": rule["responses"], "rate": rate,
                   "lower": rule["lower"], "upper": rule["upper"],
                   "lift": rate / self.base_rate if self.base_rate > 0 else np.nan}
            if l is not None:
                cum_coverage += rule["coverage"]
                cum_responses += rule["responses"]
                row["cumulative_coverage"] = cum_coverage
                row["cumulative_rate"] = _rate(cum_coverage, cum_responses)
            else:
                row["cumulative_coverage"] = row["cumulative_rate"] = np.nan
            rows.append(row)
        table = pd.DataFrame(rows)
        table["list"] = table["list"].astype("Int64")
        table["rule"] = table["rule"].astype("Int64")
        if self.holdout is not None:
            held = flat_rules(self.holdout) + [(None, None, self.holdout["remainder"])]
            table["holdout_coverage"] = [h["coverage"] for _, _, h in held]
            table["holdout_responses"] = [h["responses"] for _, _, h in held]
            table["holdout_rate"] = [_rate(h["coverage"], h["responses"]) for _, _, h in held]
            table["holdout_lower"] = [h["lower"] for _, _, h in held]
            table["holdout_upper"] = [h["upper"] for _, _, h in held]
        return table

    # -- scoring -------------------------------------------------------------------------------

    def _specs(self, X):
        X = as_frame(X)
        if len(X) == 0:
            raise ValueError("X has no rows")
        columns = {str(c): c for c in X.columns}
        coldefs = []
        for schema in self.features:
            if schema.name not in columns:
                raise ValueError(f"X lacks the column '{schema.name}' the model reads")
            coldefs.append(encode_column(schema, X[columns[schema.name]]))
        coldefs.append(empty_target(self.target, len(X)))
        return coldefs, len(X)

    def slots(self, X):
        """Per row the slot of the rule that takes it; the remainder is the last slot."""
        coldefs, rows = self._specs(X)
        last = len(self.labels) - 1
        if self.document is None:
            return np.full(rows, last, dtype=np.int32)
        slots = _ruleweave.measure(self.document, coldefs, None, "", rows=True)["slots"]
        slots[slots < 0] = last
        return slots

    def measure(self, X, y_codes, weights=None, weight_name=""):
        """The model's figures on rows with known target codes."""
        if self.document is None:
            return None
        coldefs, _ = self._specs(X)
        coldefs[-1] = self.target.coldef(y_codes)
        return _ruleweave.measure(self.document, coldefs, weights, weight_name)

    def apply(self, X):
        """Each row's rule as "L.R" (list and rule, from 1), or "remainder"."""
        return self.labels[self.slots(X)]

    def predict_proba(self, X):
        """Two columns in the order of classes_: the training rate of each row's rule (its
        probability of the response) and one minus it."""
        p = self.training_rates[self.slots(X)]
        out = np.empty((len(p), 2))
        positive = self.positive
        out[:, positive] = p
        out[:, 1 - positive] = 1.0 - p
        return out

    def predict(self, X):
        """The response where the row's rule has a training rate above the base rate, else the
        other class."""
        p = self.training_rates[self.slots(X)]
        positive = self.positive
        return np.where(p > self.base_rate, self.classes_[positive], self.classes_[1 - positive])

    # -- output --------------------------------------------------------------------------------

    def to_pmml(self, path):
        """Writes the model as a PMML 3.0 document; the file appears whole or not at all."""
        if self.document is None:
            raise ValueError("the search found no rule; there is no model to write")
        path = os.fspath(path)
        folder = os.path.dirname(os.path.abspath(path))
        handle, temp = tempfile.mkstemp(prefix=".ruleweave-", suffix=".pmml", dir=folder)
        try:
            with os.fdopen(handle, "w", encoding="utf-8") as out:
                out.write(self.document)
            os.replace(temp, path)
        except BaseException:
            if os.path.exists(temp):
                os.unlink(temp)
            raise

    def _repr_html_(self):
        from .html import model_html
        return model_html(self)
