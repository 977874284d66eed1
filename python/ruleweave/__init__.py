"""Ruleweave for Python: decision lists (ordered rules that pick out groups with a high or low
rate of one target value) found in a pandas DataFrame by the Ruleweave library.

    from ruleweave import DecisionListSearch, read_pmml
    search = DecisionListSearch(response="yes").fit(X, y)
    search.rules_                       # the best model's rules as a DataFrame
    search.predict_proba(X_new)[:, 1]   # each row's rule's training rate
    search.to_pmml("rules.pmml")        # read_pmml("rules.pmml") scores without refitting
"""

from ._ruleweave import library_version
from .defaults import DEFAULTS
from .estimator import DecisionListSearch
from .model import DecisionListModel
from .pmml import read_pmml

__all__ = ["DEFAULTS", "DecisionListModel", "DecisionListSearch", "library_version", "read_pmml"]
