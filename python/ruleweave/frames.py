"""From pandas columns to the column definitions the extension module loads.

Words used here:
  schema  what a column became at fit time: its kind ("continuous", "nominal", "ordinal"), whether
          its categories are numbers (and whole numbers), and the categories in code order;
  coldef    a schema plus one numpy buffer of the column's values: float64 with NaN for missing
          (continuous), or integer category codes with -1 for missing (categorical).

How pandas dtypes are read:
  numeric          continuous, except whole-number columns with at most `bins` distinct values,
                   which are ordinal categories in ascending numeric order (as the command-line
                   program reads such columns);
  bool             nominal, categories "False" and "True";
  category         nominal, or ordinal in the declared order when the dtype is ordered;
  object / string  nominal, codes in order of first appearance; every value must be a str;
  anything else    TypeError naming the column.
NaN, None and pandas' NA are missing everywhere.
"""

import warnings
from dataclasses import dataclass, field

import numpy as np
import pandas as pd
from pandas.api import types as pdt


@dataclass
class ColumnSchema:
    name: str
    kind: str  # "continuous", "nominal" or "ordinal"
    numeric: bool = True
    integral: bool = False
    categories: list = field(default_factory=list)
    target: bool = False
    boolean: bool = False  # read from a bool column (categories "False", "True")

    def coldef(self, values, low=0.0, high=0.0, categories=None):
        """The coldef of this column over `values` (float64 or codes)."""
        out = {"name": self.name, "kind": self.kind, "target": self.target, "values": values}
        if self.kind == "continuous":
            out.update(min=float(low), max=float(high))
        else:
            out.update(numeric=self.numeric, integral=self.integral,
                       categories=list(self.categories if categories is None else categories))
        return out


def number_text(value):
    """A number as the library reads and writes category values: whole numbers without '.0'."""
    value = float(value)
    if value.is_integer() and abs(value) < 2.0 ** 53:
        return str(int(value))
    return repr(value)


def as_frame(X, feature_names=None):
    """X as a DataFrame: a DataFrame as it is, a 2-D array with `feature_names` (or x0, x1, ...)."""
    if isinstance(X, pd.DataFrame):
        if feature_names is not None:
            raise ValueError("feature_names: only for a numpy array; a DataFrame names its columns")
        return X
    array = np.asarray(X)
    if array.ndim != 2:
        raise ValueError(f"X must be a DataFrame or a 2-D array, got {array.ndim} dimension(s)")
    if feature_names is None:
        feature_names = [f"x{i}" for i in range(array.shape[1])]
    feature_names = [str(n) for n in feature_names]
    if len(feature_names) != array.shape[1]:
        raise ValueError(f"feature_names: {len(feature_names)} names for {array.shape[1]} columns")
    return pd.DataFrame(array, columns=feature_names)


def small_codes(codes, count):
    """Codes in the smallest integer type that holds `count` categories and -1."""
    for kind in (np.int8, np.int16, np.int32):
        if count < np.iinfo(kind).max:
            return codes.astype(kind, copy=False)
    return codes.astype(np.int64, copy=False)


def _float_values(name, column):
    """float64 values with NaN for missing, without a copy where the column already is float64."""
    dtype = column.dtype
    if isinstance(dtype, np.dtype) and dtype == np.float64:
        values = column.to_numpy()
    elif isinstance(dtype, np.dtype):
        values = column.to_numpy().astype(np.float64)
    else:  # pandas' nullable numbers
        values = column.to_numpy(dtype=np.float64, na_value=np.nan)
    if np.isinf(values).any():
        raise ValueError(f"column '{name}' holds an infinite value; replace it or mark it missing")
    return values


def _is_whole(values):
    present = values[~np.isnan(values)]
    head = present[:1000]
    if not np.array_equal(head, np.floor(head)):
        return False
    return bool(np.array_equal(present, np.floor(present)))


def _bool_codes(column):
    """0 for False, 1 for True, -1 for missing (pandas' nullable booleans)."""
    if isinstance(column.dtype, np.dtype):
        return column.to_numpy().astype(np.int8)
    values = column.to_numpy(dtype=np.float64, na_value=np.nan)
    return np.where(np.isnan(values), -1, values).astype(np.int8)


def _text_values(name, column):
    """An object/string column's values and missing mask; TypeError unless every value is a str."""
    kind = pdt.infer_dtype(column, skipna=True)
    if kind not in ("string", "empty"):
        raise TypeError(
            f"column '{name}' holds values that are not all text (pandas sees '{kind}'); "
            f"convert it, e.g. X['{name}'].astype(str), or give it a numeric or category dtype")
    values = column.to_numpy(dtype=object)
    return values, pd.isna(values)


def _category_texts(name, categories):
    """A category dtype's categories: numbers stay numbers, anything else is compared as text."""
    if pdt.is_numeric_dtype(categories.dtype) and not pdt.is_bool_dtype(categories.dtype):
        values = categories.to_numpy(dtype=np.float64)
        return True, bool(np.array_equal(values, np.floor(values))), [float(v) for v in values]
    if pdt.is_datetime64_any_dtype(categories.dtype) or pdt.is_timedelta64_dtype(categories.dtype):
        raise TypeError(f"column '{name}': categories of type {categories.dtype} are not supported")
    texts = [str(c) for c in categories]
    if len(set(texts)) != len(texts):
        raise ValueError(f"column '{name}': two categories have the same text")
    return False, False, texts


def _unsupported(name, dtype):
    return TypeError(f"column '{name}' has dtype {dtype}, which cannot be read; use numbers, "
                     "bool, category or text (convert dates to numbers first)")


def infer_column(name, column, bins, target=False):
    """The schema and coldef of a column at fit time, or (None, None) when it is left out."""
    dtype = column.dtype
    if isinstance(dtype, pd.CategoricalDtype):
        numeric, integral, cats = _category_texts(name, dtype.categories)
        codes = small_codes(column.cat.codes.to_numpy(), len(cats))
        kind = "ordinal" if dtype.ordered and not target else "nominal"
        schema = ColumnSchema(name, kind, numeric, integral, cats, target)
        return _categorical_or_none(schema, codes)
    if pdt.is_bool_dtype(dtype):
        codes = _bool_codes(column)
        schema = ColumnSchema(name, "nominal", False, False, ["False", "True"], target, True)
        return _categorical_or_none(schema, codes)
    if pdt.is_numeric_dtype(dtype) and not pdt.is_complex_dtype(dtype):
        values = _float_values(name, column)
        if target:
            codes, uniques = pd.factorize(values, sort=False)
            cats = [float(v) for v in uniques]
            schema = ColumnSchema(name, "nominal", True, _is_whole(values), cats, True)
            return schema, schema.coldef(small_codes(codes, len(cats)))
        if _is_whole(values):
            present = values[~np.isnan(values)]
            uniques = pd.unique(present)
            if 0 < len(uniques) <= bins:
                cats = np.sort(uniques)
                codes = np.searchsorted(cats, values)
                codes[np.isnan(values)] = -1
                schema = ColumnSchema(name, "ordinal", True, True, [float(c) for c in cats])
                return schema, schema.coldef(small_codes(codes, len(cats)))
        if np.isnan(values).all():
            warnings.warn(f"column '{name}' has no value; it is not used", stacklevel=4)
            return None, None
        low, high = np.nanmin(values), np.nanmax(values)
        if not low < high:
            warnings.warn(f"column '{name}' has only one value; it is not used", stacklevel=4)
            return None, None
        schema = ColumnSchema(name, "continuous")
        return schema, schema.coldef(values, low, high)
    if pdt.is_object_dtype(dtype) or pdt.is_string_dtype(dtype):
        values, missing = _text_values(name, column)
        codes, uniques = pd.factorize(values, sort=False)
        codes[missing] = -1
        schema = ColumnSchema(name, "nominal", False, False, [str(u) for u in uniques], target)
        return _categorical_or_none(schema, small_codes(codes, len(uniques)))
    raise _unsupported(name, dtype)


def _categorical_or_none(schema, codes):
    if not schema.target and not (codes >= 0).any():
        warnings.warn(f"column '{schema.name}' has no value; it is not used", stacklevel=5)
        return None, None
    return schema, schema.coldef(codes)


def encode_column(schema, column):
    """The coldef of a column of new rows for a fit-time schema. Categories the schema does not
    hold are appended after its own (they match no condition that names categories)."""
    name = schema.name
    if schema.kind == "continuous":
        dtype = column.dtype
        if not pdt.is_numeric_dtype(dtype) or pdt.is_bool_dtype(dtype):
            raise TypeError(f"column '{name}' was numeric at fit time, now it has dtype {dtype}")
        values = _float_values(name, column)
        present = values[~np.isnan(values)]
        low, high = (present.min(), present.max()) if len(present) else (0.0, 0.0)
        return schema.coldef(values, low, high)
    if schema.numeric:
        dtype = column.dtype
        if isinstance(dtype, pd.CategoricalDtype):
            column = column.astype(dtype.categories.dtype if len(dtype.categories) else float)
            dtype = column.dtype
        if not pdt.is_numeric_dtype(dtype) or pdt.is_bool_dtype(dtype):
            raise TypeError(f"column '{name}' held numbers at fit time, now it has dtype {dtype}")
        keys = _float_values(name, column)
        missing = np.isnan(keys)
    else:
        dtype = column.dtype
        if isinstance(dtype, pd.CategoricalDtype):
            codes = column.cat.codes.to_numpy()
            texts = np.array([str(c) for c in dtype.categories] + [""], dtype=object)
            keys = texts[codes]  # code -1 picks the trailing "", masked as missing below
            missing = codes < 0
        elif pdt.is_bool_dtype(dtype):
            codes = _bool_codes(column)
            missing = codes < 0
            keys = np.where(codes == 1, "True", "False").astype(object)
        elif pdt.is_object_dtype(dtype) or pdt.is_string_dtype(dtype):
            keys, missing = _text_values(name, column)
        else:
            raise TypeError(f"column '{name}' held text at fit time, now it has dtype {dtype}")
    known = pd.Index(schema.categories)
    codes = known.get_indexer(keys)
    unknown = (codes < 0) & ~missing
    categories = list(schema.categories)
    if unknown.any():
        extra, uniques = pd.factorize(keys[unknown], sort=False)
        codes[unknown] = extra + len(categories)
        categories += [float(u) for u in uniques] if schema.numeric else [str(u) for u in uniques]
    codes[missing] = -1
    return schema.coldef(small_codes(codes, len(categories)), categories=categories)


def empty_target(schema, rows):
    """The target's coldef for rows without target values."""
    return schema.coldef(np.full(rows, -1, dtype=np.int8))
