"""A model for notebooks: its rules table and a cumulative gains chart as inline SVG (nothing is
fetched; the HTML stands alone)."""

import html

import numpy as np
import pandas as pd


def _percent(value):
    return "-" if value is None or np.isnan(value) else f"{100 * value:.1f}%"


def _count(value):
    if np.isnan(value):
        return "-"
    return f"{value:.0f}" if float(value).is_integer() else f"{value:.2f}"


def gains_svg(coverages, responses, width=320, height=220):
    """The cumulative gains curve: share of all responses against share of all rows, group by
    group in model order (the remainder last), with the diagonal of a random order."""
    coverages = np.asarray(coverages, dtype=float)
    responses = np.asarray(responses, dtype=float)
    total_c, total_r = coverages.sum(), responses.sum()
    if total_c <= 0 or total_r <= 0:
        return ""
    xs = np.concatenate([[0.0], np.cumsum(coverages) / total_c])
    ys = np.concatenate([[0.0], np.cumsum(responses) / total_r])
    pad = 30
    w, h = width - 2 * pad, height - 2 * pad

    def point(x, y):
        return f"{pad + x * w:.1f},{pad + (1 - y) * h:.1f}"

    curve = " ".join(point(x, y) for x, y in zip(xs, ys))
    dots = "".join(f'<circle cx="{pad + x * w:.1f}" cy="{pad + (1 - y) * h:.1f}" r="2.5"/>'
                   for x, y in zip(xs[1:-1], ys[1:-1]))
    return (
        f'<svg xmlns="http://www.w3.org/2000/svg" width="{width}" height="{height}" '
        f'font-family="sans-serif" font-size="10">'
        f'<rect x="{pad}" y="{pad}" width="{w}" height="{h}" fill="none" stroke="#999"/>'
        f'<polyline points="{point(0, 0)} {point(1, 1)}" fill="none" stroke="#bbb" '
        f'stroke-dasharray="4 3"/>'
        f'<polyline points="{curve}" fill="none" stroke="#1f77b4" stroke-width="2"/>'
        f'<g fill="#1f77b4">{dots}</g>'
        f'<text x="{pad + w / 2}" y="{height - 8}" text-anchor="middle">share of rows</text>'
        f'<text x="10" y="{pad + h / 2}" text-anchor="middle" '
        f'transform="rotate(-90 10 {pad + h / 2})">share of responses</text>'
        f'<text x="{pad + w / 2}" y="{pad - 10}" text-anchor="middle">cumulative gains</text>'
        "</svg>")


def model_html(model):
    """The rules table (training and, when kept, holdout figures) and the gains chart."""
    table = model.rules_
    columns = [("rule", None), ("conditions", None), ("coverage", _count),
               ("responses", _count), ("rate", _percent), ("95% interval", None),
               ("lift", lambda v: "-" if np.isnan(v) else f"{v:.2f}"),
               ("cum. coverage", _count), ("cum. rate", _percent)]
    holdout = "holdout_rate" in table.columns
    if holdout:
        columns += [("holdout coverage", _count), ("holdout rate", _percent)]
    head = "".join(f"<th>{html.escape(name)}</th>" for name, _ in columns)
    body = []
    for _, row in table.iterrows():
        remainder = pd.isna(row["list"])
        cells = [
            "remainder" if remainder else f"{row['list']}.{row['rule']}",
            "" if remainder else row["conditions"],
            _count(row["coverage"]), _count(row["responses"]), _percent(row["rate"]),
            f"[{_percent(row['lower'])}, {_percent(row['upper'])}]",
            "-" if np.isnan(row["lift"]) else f"{row['lift']:.2f}",
            "" if remainder else _count(row["cumulative_coverage"]),
            "" if remainder else _percent(row["cumulative_rate"])]
        if holdout:
            cells += [_count(row["holdout_coverage"]), _percent(row["holdout_rate"])]
        body.append("<tr>" + "".join(f"<td>{html.escape(str(c))}</td>" for c in cells) + "</tr>")
    coverage = table["coverage"].sum()
    title = (f"<p><b>{html.escape(model.target.name)} = {html.escape(str(model.response))}</b>: "
             f"{_count(coverage)} rows, base rate {_percent(model.base_rate)}</p>")
    chart = gains_svg(table["coverage"].to_numpy(), table["responses"].to_numpy())
    return (f'<div class="ruleweave-model">{title}'
            f'<table><thead><tr>{head}</tr></thead><tbody>{"".join(body)}</tbody></table>'
            f"{chart}</div>")
