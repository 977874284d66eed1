"""Shared data for the Python package's tests: a frame with planted high-rate groups."""

import os
import shutil

import numpy as np
import pandas as pd
import pytest


def planted_frame(rows=4000, seed=7):
    """age (continuous), region (text), kids (few whole numbers), score (continuous) and a
    target y (0/1) whose rate is high for region north with age above 60 and for kids == 3."""
    rng = np.random.default_rng(seed)
    X = pd.DataFrame({
        "age": np.round(rng.uniform(18, 80, rows), 2),
        "region": rng.choice(["north", "south", "east", "west"], rows),
        "kids": rng.integers(0, 4, rows),
        "score": np.round(rng.normal(0, 1, rows), 3),
    })
    rate = 0.05 + 0.6 * ((X.age > 60) & (X.region == "north")) + 0.3 * (X.kids == 3)
    y = pd.Series((rng.random(rows) < rate).astype(int), name="y")
    return X, y


@pytest.fixture
def planted():
    return planted_frame()


@pytest.fixture
def cli():
    """The command-line program of the build, or a skip when it is not there."""
    path = os.environ.get("RULEWEAVE_CLI") or shutil.which("ruleweave")
    if not path or not os.path.exists(path):
        pytest.skip("the command-line program is not built (RULEWEAVE_CLI unset)")
    return path
