"""The search settings' defaults, the same as the command-line program's; the estimator's
signature and its documentation take them from here, so they change in this one place."""

DEFAULTS = {
    "response": None,  # required at fit: the target category that counts as a response
    # a share of the (weighted) cases, never below MIN_GROUP_FLOOR; an int is a count
    "min_group": "2%",
    "list_depth": 10,
    "rule_depth": 3,
    "list_width": 5,
    "rule_width": 5,
    "bins": 10,
    "binning": "frequency",  # or "width"
    "confidence": 0.9,
    "direction": "up",  # or "down"
    "allow_missing": True,
    "holdout": None,  # share of the rows kept out of the search (stratified), or None
    "random_state": None,
    "n_jobs": None,  # search threads: None or -1 for one per core (as the program), or a count
}

# The smallest group a share of the cases may come to.
MIN_GROUP_FLOOR = 20
