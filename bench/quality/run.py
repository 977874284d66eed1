#!/usr/bin/python3
"""Quality benchmark for `ruleweave search` (a benchmark, not a test).

For each data set (scikit-learn's bundled real sets, one class against the rest; the ARFF
sets shipped with Debian's weka package; a planted-segment generator) it makes stratified
70/30 splits with fixed seeds, runs `ruleweave search` on the training part, scores the test
part with each rule's *training* rate (`ruleweave score` maps every test row to its rule) and
reports test AUC, the first rule's training and test rate, its training coverage and the time.
The scored model is the program's own choice (`--pmml` writes the best-ranked model, model 1).
Where Weka is installed it runs JRip on the same splits beside it.

  /usr/bin/python3 bench/quality/run.py                    # program defaults, all data sets
  /usr/bin/python3 bench/quality/run.py --flags "--bins 10 --binning frequency"
  /usr/bin/python3 bench/quality/run.py --flags "--holdout 0.3"   # rank models by holdout AUC
  /usr/bin/python3 bench/quality/run.py --min-group 5%     # share of training cases (floor 10)
  /usr/bin/python3 bench/quality/run.py --grid             # settings comparison, CSVs in results/

Requires numpy, pandas and scikit-learn (Debian: python3-numpy, python3-pandas, python3-sklearn).
"""

import argparse
import csv
import itertools
import json
import math
import os
import shlex
import shutil
import subprocess
import sys
import tempfile
import time

import numpy as np
import pandas as pd
from sklearn import datasets as skd
from sklearn.metrics import roc_auc_score
from sklearn.model_selection import train_test_split

HERE = os.path.dirname(os.path.abspath(__file__))
REPO = os.path.dirname(os.path.dirname(HERE))
WEKA_JAR = "/usr/share/java/weka.jar"
WEKA_DATA_DIRS = ["/usr/share/doc/weka/examples", "/usr/share/weka/data", "/usr/share/weka"]
SEEDS = (1, 2, 3)
TARGET = "target"  # every prepared table names its target column so

# ----------------------------------------------------------------------------- data sets


def _clean_name(name, used):
    out = "".join(ch if ch.isalnum() or ch in "_-." else "_" for ch in str(name)).strip("_")
    out = out or "col"
    if out.lower() in ("rule", "rule_conditions", "rule_rate", TARGET):
        out = out + "_x"
    base, k = out, 2
    while out in used:
        out = "%s_%d" % (base, k)
        k += 1
    used.add(out)
    return out


def _table(X, y, response, nominal=()):
    """A data frame with clean column names, the binary target last ('yes'/'no')."""
    used = set()
    df = pd.DataFrame(X).copy()
    df.columns = [_clean_name(c, used) for c in df.columns]
    df[TARGET] = np.where(np.asarray(y) == response, "yes", "no")
    return df


def _sk_sets():
    out = []
    bc = skd.load_breast_cancer(as_frame=True)
    # target 0 is malignant
    out.append(("sk-breast-cancer:malignant", _table(bc.data, bc.target, 0)))
    iris = skd.load_iris(as_frame=True)
    for k, nm in ((1, "versicolor"), (2, "virginica")):
        out.append(("sk-iris:" + nm, _table(iris.data, iris.target, k)))
    wine = skd.load_wine(as_frame=True)
    for k in (0, 1, 2):
        out.append(("sk-wine:class_%d" % k, _table(wine.data, wine.target, k)))
    dig = skd.load_digits(as_frame=True)
    for k in (3, 8):
        out.append(("sk-digits:%d" % k, _table(dig.data, dig.target, k)))
    dia = skd.load_diabetes(as_frame=True, scaled=False)
    hi = (dia.target > np.median(dia.target)).astype(int)
    out.append(("sk-diabetes:above-median", _table(dia.data, hi, 1)))
    return out


def read_arff(path):
    """A small ARFF reader (dense data, nominal/numeric/string attributes); '?' is missing."""
    names, kinds = [], []
    rows = []
    in_data = False
    with open(path, encoding="utf-8", errors="replace") as fh:
        for line in fh:
            s = line.strip()
            if not s or s.startswith("%"):
                continue
            if not in_data:
                low = s.lower()
                if low.startswith("@attribute"):
                    rest = s[len("@attribute"):].strip()
                    if rest[0] in "'\"":
                        q = rest[0]
                        end = rest.index(q, 1)
                        name, decl = rest[1:end], rest[end + 1:].strip()
                    else:
                        parts = rest.split(None, 1)
                        name, decl = parts[0], parts[1] if len(parts) > 1 else ""
                    kind = "nominal" if decl.startswith("{") else decl.split()[0].lower()
                    names.append(name)
                    kinds.append(kind)
                elif low.startswith("@data"):
                    in_data = True
                continue
            rec = next(csv.reader([s], quotechar="'", skipinitialspace=True))
            rows.append([v.strip() for v in rec])
    df = pd.DataFrame(rows, columns=names)
    df = df.replace("?", np.nan)
    for n, k in zip(names, kinds):
        if k in ("numeric", "real", "integer"):
            df[n] = pd.to_numeric(df[n])
    return df


# (ARFF file in the weka package, the class value that counts as the response; the class is the last attribute)
WEKA_SETS = [
    ("breast-cancer.arff", "recurrence-events"),
    ("credit-g.arff", "bad"),
    ("diabetes.arff", "tested_positive"),
    ("ionosphere.arff", "b"),
    ("vote.arff", "republican"),
    ("glass.arff", "build wind float"),
    ("soybean.arff", "brown-spot"),
    ("segment-challenge.arff", "window"),
]


def _weka_sets():
    out = []
    for fname, response in WEKA_SETS:
        path = next((os.path.join(d, fname) for d in WEKA_DATA_DIRS
                     if os.path.exists(os.path.join(d, fname))), None)
        if path is None:
            continue
        df = read_arff(path)
        cls = df.columns[-1]
        y = df[cls].to_numpy()
        out.append(("weka-%s:%s" % (fname[:-5], response), _table(df.drop(columns=[cls]), y, response)))
    return out


def planted(n=4000, seed=7):
    """Synthetic table with four known segments of elevated response rate.

    Columns: numeric a, b, c, d; categorical region, plan, channel; noise n1..n4 (numeric) and
    k1, k2 (categorical). Base rate 0.08; inside a segment the rate is 0.45-0.55.
    Returns (frame, segment masks)."""
    rng = np.random.default_rng(seed)
    df = pd.DataFrame({
        "a": rng.uniform(0, 100, n).round(1),
        "b": rng.normal(50, 15, n).round(2),
        "c": rng.exponential(20, n).round(1),
        "d": rng.integers(18, 80, n),
        "region": rng.choice(["north", "south", "east", "west"], n),
        "plan": rng.choice(["basic", "plus", "pro", "family", "student"], n, p=[.35, .25, .15, .15, .10]),
        "channel": rng.choice(["web", "shop", "phone"], n, p=[.5, .3, .2]),
    })
    for i in range(1, 5):
        df["n%d" % i] = rng.normal(0, 1, n).round(3)
    df["k1"] = rng.choice(list("pqrstu"), n)
    df["k2"] = rng.choice(["x", "y"], n)
    segs = {
        "a>80 & region=north": (df.a > 80) & (df.region == "north"),
        "b in (30,40] & plan in {pro,family}": (df.b > 30) & (df.b <= 40) & df.plan.isin(["pro", "family"]),
        "c>40 & channel=phone": (df.c > 40) & (df.channel == "phone"),
        "d<30 & plan=student": (df.d < 30) & (df.plan == "student"),
    }
    p = np.full(n, 0.08)
    for k, (name, m) in enumerate(segs.items()):
        p[m.to_numpy()] = 0.45 + 0.1 * (k % 2)
    # a few missing values in the predictors
    for col in ("b", "channel", "n2"):
        miss = rng.random(n) < 0.02
        df.loc[miss, col] = np.nan
    y = rng.random(n) < p
    df[TARGET] = np.where(y, "yes", "no")
    return df, {k: v.to_numpy() for k, v in segs.items()}


def all_sets(names=None, planted_rows=(4000, 20000)):
    sets = [(n, df, None) for n, df in _sk_sets() + _weka_sets()]
    for rows in planted_rows:
        pdf, segs = planted(rows)
        sets.append(("planted-%drows" % rows, pdf, segs))
    if names:
        unknown = [w for w in names if not any(w in s[0] for s in sets)]
        if unknown:
            raise SystemExit("--sets: no data set name contains %s; the names are: %s"
                             % (", ".join(repr(w) for w in unknown), ", ".join(s[0] for s in sets)))
        sets = [s for s in sets if any(w in s[0] for w in names)]
    return sets


# ----------------------------------------------------------------------------- helpers


def write_arff(df, path, relation, nominal_levels):
    with open(path, "w") as fh:
        fh.write("@relation %s\n\n" % relation)
        for c in df.columns:
            if c in nominal_levels:
                vals = ",".join(_arff_quote(v) for v in nominal_levels[c])
                fh.write("@attribute %s {%s}\n" % (_arff_quote(c), vals))
            else:
                fh.write("@attribute %s numeric\n" % _arff_quote(c))
        fh.write("\n@data\n")
        for row in df.itertuples(index=False):
            out = []
            for c, v in zip(df.columns, row):
                if v is None or (isinstance(v, float) and math.isnan(v)):
                    out.append("?")
                elif c in nominal_levels:
                    out.append(_arff_quote(v))
                else:
                    out.append(repr(float(v)))
            fh.write(",".join(out) + "\n")


def _arff_quote(v):
    v = str(v)
    if v == "" or any(ch in v for ch in " ,'\"{}%\t?") :
        return "'" + v.replace("\\", "\\\\").replace("'", "\\'") + "'"
    return v


def find_java():
    """The java launcher: on PATH, else /usr/bin/java, else the first JVM under /usr/lib/jvm."""
    java = shutil.which("java")
    if java:
        return java
    cands = ["/usr/bin/java"] + sorted(
        os.path.join("/usr/lib/jvm", d, "bin", "java") for d in
        (os.listdir("/usr/lib/jvm") if os.path.isdir("/usr/lib/jvm") else []))
    return next((c for c in cands if os.access(c, os.X_OK)), None)


def jrip_check(java):
    """None when JRip runs, else the reason it cannot."""
    if not os.path.exists(WEKA_JAR):
        return "%s not found (Debian package weka)" % WEKA_JAR
    if java is None:
        return "no java launcher found"
    try:
        res = subprocess.run([java, "-cp", WEKA_JAR, "weka.classifiers.rules.JRip", "-h"],
                             capture_output=True, text=True, timeout=120)
    except (OSError, subprocess.TimeoutExpired) as e:
        return "java failed: %s" % e
    if "JRip" not in res.stdout + res.stderr:
        return "java -cp %s JRip did not run: %s" % (WEKA_JAR, (res.stderr or res.stdout).strip()[-200:])
    return None


JAVA = None


def run_jrip(train, test, tmp):
    levels = {}
    for c in train.columns:
        if not pd.api.types.is_numeric_dtype(train[c]):
            vals = pd.concat([train[c], test[c]]).dropna().astype(str).unique().tolist()
            levels[c] = sorted(vals) if c != TARGET else ["yes", "no"]
    tr, te = os.path.join(tmp, "train.arff"), os.path.join(tmp, "test.arff")
    write_arff(train, tr, "train", levels)
    write_arff(test, te, "test", levels)
    t0 = time.time()
    res = subprocess.run([JAVA, "-Xmx512m", "-cp", WEKA_JAR, "weka.classifiers.rules.JRip",
                          "-t", tr, "-T", te, "-p", "0", "-distribution"],
                         capture_output=True, text=True)
    dt = time.time() - t0
    if res.returncode != 0:
        raise RuntimeError("JRip failed: " + res.stderr[-500:])
    probs = []
    for line in res.stdout.splitlines():
        parts = line.split()
        if len(parts) >= 4 and parts[0].isdigit():
            dist = parts[-1].replace("*", "")
            p_yes = float(dist.split(",")[0])  # class order is {yes,no}
            probs.append(p_yes)
    if len(probs) != len(test):
        raise RuntimeError("JRip printed %d predictions for %d rows" % (len(probs), len(test)))
    return np.array(probs), dt


class SearchFailed(Exception):
    pass


class NoModel(Exception):
    pass


def run_ruleweave(binary, train, test, tmp, flags):
    """Search the training part, write the program's chosen model (`--model best`, the printed
    model 1) and score the test part. Returns (model JSON or None, number of models printed,
    the model's ranking AUC and on which rows, test scores, test rule labels, search seconds)."""
    trp, tep = os.path.join(tmp, "train.csv"), os.path.join(tmp, "test.csv")
    train.to_csv(trp, index=False)
    test.to_csv(tep, index=False)
    pm = os.path.join(tmp, "m.pmml")
    cmd = [binary, "search", trp, "--target", TARGET, "--response", "yes", "--format", "json",
           "--quiet", "--pmml", pm] + flags
    t0 = time.time()
    res = subprocess.run(cmd, capture_output=True, text=True)
    dt = time.time() - t0
    if res.returncode != 0 and "no model was found" in res.stderr:
        return None, 0, float("nan"), "", None, None, dt
    if res.returncode != 0:
        raise SearchFailed("search exit %d: %s" % (res.returncode, res.stderr.strip()[-300:]))
    models = json.loads(res.stdout)["models"]
    if not models or not os.path.exists(pm):
        raise SearchFailed("no model")
    model = models[0]  # printed best first; --pmml wrote this one
    scp = os.path.join(tmp, "scored.csv")
    res = subprocess.run([binary, "score", pm, tep, "--output", scp, "--quiet", "--format", "csv"],
                         capture_output=True, text=True)
    if res.returncode != 0:
        raise SearchFailed("score exit %d: %s" % (res.returncode, res.stderr.strip()[-300:]))
    scored = pd.read_csv(scp, dtype=str, keep_default_na=False)
    rule_ids = scored["rule"].to_numpy()
    # the rule's (or the remainder's) rate on the model's training data, from the model file
    scores = pd.to_numeric(scored["rule_rate"], errors="coerce").to_numpy(dtype=float)
    if np.isnan(scores).any():
        raise SearchFailed("scored file: %d rows without rule_rate" % int(np.isnan(scores).sum()))
    return (model, len(models), float(model.get("auc", float("nan"))), model.get("auc_rows", ""),
            scores, rule_ids, dt)


def one_run(binary, name, df, segs, seed, flags, use_jrip, tmp):
    strat = df[TARGET]
    idx = np.arange(len(df))
    tr_i, te_i = train_test_split(idx, test_size=0.3, random_state=seed, stratify=strat)
    train, test = df.iloc[tr_i].reset_index(drop=True), df.iloc[te_i].reset_index(drop=True)
    y_te = (test[TARGET] == "yes").to_numpy().astype(int)
    row = {"dataset": name, "seed": seed, "n_train": len(train), "n_test": len(test),
           "base_rate": float((train[TARGET] == "yes").mean()), "n_columns": df.shape[1] - 1}
    try:
        model, n_models, rank_auc, auc_rows, scores, rule_ids, dt = run_ruleweave(
            binary, train, test, tmp, flags)
        row.update({"n_models": n_models, "rank_auc": rank_auc, "rank_auc_rows": auc_rows, "seconds": dt,
                    "n_rules": len(model["rules"]) if model else 0, "no_model": int(model is None)})
        if model is None:
            # nothing beat the base rate: every test row gets the same score
            row["test_auc"] = 0.5
            raise NoModel()
        row["test_auc"] = roc_auc_score(y_te, scores) if len(set(scores)) > 1 else 0.5
        if model["rules"]:
            r1 = model["rules"][0]
            row["r1_conditions"] = r1["text"]
            row["r1_train_cov"] = r1["coverage"]
            row["r1_train_share"] = r1["coverage"] / model["cases"]
            row["r1_train_rate"] = r1["rate"]
            m = rule_ids == "R%d.%d" % (r1["list"], r1["rule"])  # the scorer's label, R1.1
            row["r1_test_cov"] = int(m.sum())
            row["r1_test_rate"] = float(y_te[m].mean()) if m.any() else float("nan")
            row["r1_gap"] = row["r1_train_rate"] - row["r1_test_rate"]
        list_mask = rule_ids != "remainder"
        row["list_test_share"] = float(list_mask.mean())
        if segs is not None:
            found = 0
            uniq = [u for u in dict.fromkeys(rule_ids) if u != "remainder"]
            for sname, smask in segs.items():
                sm = smask[te_i]
                for u in uniq:
                    rm = rule_ids == u
                    prec = (rm & sm).sum() / max(rm.sum(), 1)
                    rec = (rm & sm).sum() / max(sm.sum(), 1)
                    if prec >= 0.6 and rec >= 0.5:
                        found += 1
                        break
            row["planted_found"] = found
    except NoModel:
        pass
    except SearchFailed as e:
        row["error"] = str(e)
    if use_jrip:
        try:
            probs, jdt = run_jrip(train, test, tmp)
            row["jrip_auc"] = roc_auc_score(y_te, probs) if len(set(probs)) > 1 else 0.5
            row["jrip_seconds"] = jdt
        except Exception as e:  # noqa: BLE001 - a peer failure must not stop the benchmark
            row["jrip_error"] = str(e)[:300]
    return row


def min_group_flags(share, n_train, floor=10):
    if share is None:
        return []
    return ["--min-group", str(max(floor, int(round(share * n_train))))]


def parse_share(text):
    if text is None:
        return None
    text = text.strip()
    return float(text[:-1]) / 100.0 if text.endswith("%") else float(text)


def run_setting(binary, sets, flags, share, use_jrip, label, jrip_cache=None, log=None, floor=10):
    rows = []
    for name, df, segs in sets:
        for seed in SEEDS:
            tmp = tempfile.mkdtemp(prefix="rw_quality_")
            try:
                n_train = len(df) - int(math.ceil(0.3 * len(df)))
                f = list(flags) + min_group_flags(share, n_train, floor)
                want_jrip = use_jrip and (jrip_cache is None or (name, seed) not in jrip_cache)
                row = one_run(binary, name, df, segs, seed, f, want_jrip, tmp)
                if jrip_cache is not None:
                    if want_jrip:
                        jrip_cache[(name, seed)] = {k: row.get(k) for k in ("jrip_auc", "jrip_seconds", "jrip_error")}
                    elif use_jrip:
                        row.update(jrip_cache[(name, seed)])
                row["setting"] = label
                row["flags"] = " ".join(f)
                rows.append(row)
                if log:
                    log(row)
            finally:
                shutil.rmtree(tmp, ignore_errors=True)
    return pd.DataFrame(rows)


def summarise(raw):
    """Per data set means over seeds, and overall figures over the real data sets."""
    cols = ["test_auc", "jrip_auc", "r1_train_rate", "r1_test_rate", "r1_gap", "r1_train_cov",
            "r1_train_share", "n_rules", "seconds", "planted_found", "n_models", "rank_auc"]
    cols = [c for c in cols if c in raw.columns]
    per = raw.groupby("dataset", sort=False)[cols].mean(numeric_only=True)
    if "error" in raw.columns:
        per["errors"] = raw.groupby("dataset", sort=False)["error"].apply(lambda s: s.notna().sum())
    real = raw[~raw.dataset.str.startswith("planted")]
    preal = per[~per.index.str.startswith("planted")]
    overall = {
        "data_sets": len(preal),
        "mean_test_auc": preal["test_auc"].mean() if "test_auc" in preal else float("nan"),
        "mean_r1_gap": preal["r1_gap"].mean() if "r1_gap" in preal else float("nan"),
        "median_r1_train_cov": real["r1_train_cov"].median() if "r1_train_cov" in real else float("nan"),
        "median_r1_train_share": real["r1_train_share"].median() if "r1_train_share" in real else float("nan"),
        "mean_seconds": preal["seconds"].mean() if "seconds" in preal else float("nan"),
        "runs_failed": int(raw["error"].notna().sum()) if "error" in raw.columns else 0,
        "runs_without_model": int(raw["no_model"].sum()) if "no_model" in raw.columns else 0,
    }
    if "jrip_auc" in preal:
        overall["jrip_mean_auc"] = preal["jrip_auc"].mean()
    pl = raw[raw.dataset.str.startswith("planted")]
    for name, part in pl.groupby("dataset", sort=False):
        key = name.replace("planted-", "planted_")
        overall[key + "_found"] = part["planted_found"].mean() if "planted_found" in part else float("nan")
        overall[key + "_auc"] = part["test_auc"].mean()
        if "jrip_auc" in part:
            overall[key + "_jrip_auc"] = part["jrip_auc"].mean()
    return per, overall


def print_table(per, overall, label, rank_rows):
    print("\nsetting: %s   (scored model: the program's model 1, ranked by %s AUC)"
          % (label or "program defaults", rank_rows or "training"))
    hdr = ["data set", "AUC", "JRip", "r1 train", "r1 test", "gap", "r1 cov", "rules", "sec"]
    print("%-34s %6s %6s %8s %8s %6s %7s %5s %6s" % tuple(hdr))
    for name, r in per.iterrows():
        g = lambda k, fmt="%.3f": (fmt % r[k]) if k in r and not pd.isna(r[k]) else "-"  # noqa: E731
        extra = ""
        if "planted_found" in r and not pd.isna(r.get("planted_found")):
            extra = "  planted segments found: %.2f of 4" % r["planted_found"]
        if "errors" in r and r["errors"]:
            extra += "  (%d failed runs)" % r["errors"]
        print("%-34s %6s %6s %8s %8s %6s %7s %5s %6s%s" % (
            name[:34], g("test_auc"), g("jrip_auc"), g("r1_train_rate"), g("r1_test_rate"),
            g("r1_gap", "%+.3f"), g("r1_train_cov", "%.1f"), g("n_rules", "%.1f"), g("seconds", "%.2f"), extra))
    o = overall
    print("-" * 96)
    print("real data sets: %d   mean test AUC %.3f   JRip mean AUC %s   mean first-rule gap (train-test) %+.3f"
          % (o["data_sets"], o["mean_test_auc"],
             "%.3f" % o["jrip_mean_auc"] if "jrip_mean_auc" in o and not pd.isna(o["jrip_mean_auc"]) else "-",
             o["mean_r1_gap"]))
    print("median first-rule training coverage %.0f cases (%.1f%% of training cases)   mean search time %.2f s"
          % (o["median_r1_train_cov"], 100 * o["median_r1_train_share"], o["mean_seconds"]))
    for k in o:
        if k.startswith("planted_") and k.endswith("_found"):
            print("planted-segment table, %s: %.2f of 4 segments recovered (mean over seeds), test AUC %.3f"
                  % (k[8:-6], o[k], o[k[:-6] + "_auc"]))
    if o["runs_without_model"]:
        print("runs where no rule beat the base rate (scored as AUC 0.5): %d" % o["runs_without_model"])
    if o["runs_failed"]:
        print("failed runs: %d" % o["runs_failed"])


# ----------------------------------------------------------------------------- grid

def grid_settings(full):
    """(label, flags, share, floor). The first is the program's defaults (no flags)."""
    out = [("defaults", [], None, 10)]
    if full:
        for share, bins, binning, depth, conf in itertools.product(
                (0.01, 0.02, 0.05, 0.10), (5, 10, 20), ("frequency", "width"), (5, 10), (0.9, 0.95)):
            out.append(_setting(share, bins, binning, depth, conf))
        return out
    # a center and one-factor-at-a-time variations around it, plus a few pairs
    center = dict(share=0.02, floor=20, bins=10, binning="frequency", depth=10, conf=0.9)
    variants = [center]
    for k, vals in (("share", (0.01, 0.03, 0.05, 0.10)), ("floor", (10, 30)), ("bins", (5, 20)),
                    ("binning", ("width",)), ("depth", (5,)), ("conf", (0.95,))):
        for v in vals:
            variants.append(dict(center, **{k: v}))
    variants += [dict(center, share=0.05, floor=10), dict(center, share=0.05, conf=0.95),
                 dict(center, share=0.03, conf=0.95), dict(center, share=0.05, floor=10, depth=5),
                 dict(center, bins=20, binning="width"), dict(center, bins=5, binning="width")]
    seen = set()
    for v in variants:
        key = tuple(sorted(v.items()))
        if key not in seen:
            seen.add(key)
            out.append(_setting(v["share"], v["bins"], v["binning"], v["depth"], v["conf"], v["floor"]))
    return out


def _setting(share, bins, binning, depth, conf, floor=10):
    label = "mg%g%% bins%d %s depth%d conf%g" % (share * 100, bins, binning[:4], depth, conf)
    if floor != 10:
        label = label.replace(" ", " floor%d " % floor, 1)
    flags = ["--bins", str(bins), "--binning", binning, "--list-depth", str(depth), "--confidence", str(conf)]
    return label, flags, share, floor


def main():
    ap = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument("--binary", default=os.path.join(REPO, "build", "bin", "ruleweave"),
                    help="ruleweave program (default: build/bin/ruleweave under the repository)")
    ap.add_argument("--flags", default="", help="extra `ruleweave search` flags, in one string")
    ap.add_argument("--min-group", dest="min_group", default=None,
                    help="minimum group as a share, e.g. 5%% or 0.05: passed as a count of the "
                         "training cases, at least 10")
    ap.add_argument("--min-floor", dest="min_floor", type=int, default=10,
                    help="with a share: the smallest count passed (default 10)")
    ap.add_argument("--sets", default="",
                    help="comma-separated parts of the data set names printed at the start "
                         "(e.g. sk-wine,weka-vote:republican,planted): only data sets whose "
                         "name contains one of them")
    ap.add_argument("--planted-rows", default="4000,20000",
                    help="rows of the planted-segment tables, comma-separated (default 4000,20000)")
    ap.add_argument("--no-jrip", action="store_true", help="do not run Weka's JRip")
    ap.add_argument("--grid", action="store_true", help="compare settings (program defaults first)")
    ap.add_argument("--full-grid", action="store_true",
                    help="with --grid: every combination of 4 shares (floor 10) x 3 bin counts x "
                         "2 binnings x 2 list depths x 2 confidences, instead of the default "
                         "one-factor-at-a-time grid")
    ap.add_argument("--out", default=os.path.join(HERE, "results"), help="folder for result CSVs")
    ap.add_argument("--tag", default=time.strftime("%Y%m%d-%H%M%S"), help="name part of result files")
    ap.add_argument("-v", "--verbose", action="store_true", help="one line per run")
    a = ap.parse_args()

    binary = os.path.abspath(a.binary)
    if not os.access(binary, os.X_OK):
        sys.exit("ruleweave program not found: %s (build it, or pass --binary)" % binary)
    global JAVA
    JAVA = find_java()
    why_not = "--no-jrip" if a.no_jrip else jrip_check(JAVA)
    use_jrip = why_not is None
    sets = all_sets([s for s in a.sets.split(",") if s],
                    [int(x) for x in a.planted_rows.split(",") if x])
    print("data sets: %d (%s)" % (len(sets), ", ".join(s[0] for s in sets)))
    print("program: %s   JRip: %s" % (binary, "yes (%s)" % JAVA if use_jrip else "no (%s)" % why_not))

    def log(row):
        if a.verbose:
            print("  %-32s seed %d  auc %s  jrip %s  r1 %s  %s" % (
                row["dataset"], row["seed"], "%.3f" % row["test_auc"] if "test_auc" in row else "-",
                "%.3f" % row["jrip_auc"] if row.get("jrip_auc") is not None else "-",
                row.get("r1_conditions", row.get("error", "")), row["setting"]), flush=True)

    os.makedirs(a.out, exist_ok=True)
    if not a.grid:
        flags = shlex.split(a.flags)
        share = parse_share(a.min_group)
        label = " ".join(flags + (["--min-group %s" % a.min_group] if share is not None else []))
        if share is not None and a.min_floor != 10:
            label += " (floor %d)" % a.min_floor
        raw = run_setting(binary, sets, flags, share, use_jrip, label or "defaults", log=log,
                          floor=a.min_floor)
        per, overall = summarise(raw)
        rows_used = sorted(set(raw["rank_auc_rows"].dropna()) - {""}) if "rank_auc_rows" in raw else []
        print_table(per, overall, label, "/".join(rows_used))
        path = os.path.join(a.out, "raw-%s.csv" % a.tag)
        raw.to_csv(path, index=False)
        print("raw results: %s" % path)
        return

    settings = grid_settings(a.full_grid)
    extra = shlex.split(a.flags)
    jrip_cache = {}
    raws, summary = [], []
    raw_path = os.path.join(a.out, "grid-raw-%s.csv" % a.tag)
    sum_path = os.path.join(a.out, "grid-summary-%s.csv" % a.tag)
    print("settings: %d, runs per setting: %d" % (len(settings), len(sets) * len(SEEDS)), flush=True)
    for i, (label, flags, share, floor) in enumerate(settings):
        t0 = time.time()
        raw = run_setting(binary, sets, flags + extra, share, use_jrip, label, jrip_cache, log, floor)
        per, overall = summarise(raw)
        overall = dict(setting=label, flags=" ".join(flags) + ("" if share is None else
                                                             " --min-group %g%% (at least %d)" % (share * 100, floor)),
                       **overall)
        summary.append(overall)
        raws.append(raw)
        pd.concat(raws).to_csv(raw_path, index=False)
        pd.DataFrame(summary).to_csv(sum_path, index=False, float_format="%.4f")
        planted_txt = "  ".join("%s %.2f/4 AUC %.3f" % (k[8:-6], overall[k], overall[k[:-6] + "_auc"])
                                for k in overall if k.startswith("planted_") and k.endswith("_found"))
        print("[%d/%d] %-48s AUC %.3f  JRip %.3f  gap %+.3f  median r1 cov %.0f (%.1f%%)  planted: %s  (%.0f s)" % (
            i + 1, len(settings), label, overall["mean_test_auc"], overall.get("jrip_mean_auc", float("nan")),
            overall["mean_r1_gap"], overall["median_r1_train_cov"], 100 * overall["median_r1_train_share"],
            planted_txt, time.time() - t0), flush=True)
    allraw = pd.concat(raws)
    for col, nm in (("test_auc", "auc"), ("r1_gap", "gap"), ("r1_train_cov", "r1cov")):
        piv = allraw.groupby(["dataset", "setting"], sort=False)[col].mean().unstack()
        piv = piv[[s[0] for s in settings]]
        if col == "test_auc" and "jrip_auc" in allraw.columns:
            piv["JRip"] = allraw.groupby("dataset", sort=False)["jrip_auc"].mean()
        piv.T.to_csv(os.path.join(a.out, "grid-%s-by-dataset-%s.csv" % (nm, a.tag)), float_format="%.3f")
    print("\nsummary: %s\nraw: %s\nper data set: grid-{auc,gap,r1cov}-by-dataset-%s.csv"
          % (sum_path, raw_path, a.tag))


if __name__ == "__main__":
    main()
