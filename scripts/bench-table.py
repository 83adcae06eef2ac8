"""Prints the figures of one scripts/bench.sh run as a Markdown table: measure, this project, anchor, ratio.

    python3 scripts/bench-table.py build/release/bench
"""

import json
import pathlib
import re
import sys

# The benchmark program's cases with an anchor: name prefix, what is measured, the project's figure and the anchor's
# (counter names, or "time" for the case's own time), and the ratio's counter with what it says.
CASES = [
    ("BM_OnConnectionAgainstOneVersionRequest", "Start-up: OnConnection, ms (anchor: one version-check request)",
     "time", "request_ms", "ratio_to_request", "start-up / request"),
    ("BM_AttachmentDownloadAgainstCurl", "Download of a {0} MB attachment to its file, ms (anchor: curl -o)",
     "time", "curl_ms", "throughput_ratio_to_curl", "throughput, add-in / curl"),
    ("BM_AttachmentDownloadPeakMemory", "Download of a {0} MB attachment: peak memory gained, MiB (anchor: its size)",
     "peak_gain_MiB", None, "peak_gain_over_attachment", "gain / size"),
    ("BM_SendWithAttachmentsAgainstCurlForm", "Send of {0} attachments of {1} MB, ms (anchor: curl -F)",
     "time", "curl_ms", "throughput_ratio_to_curl", "throughput, add-in / curl"),
    ("BM_SendLargeBodyAgainstCurlDataBinary", "Send of a {0} MB body, ms (anchor: curl --data-binary)",
     "time", "curl_ms", "throughput_ratio_to_curl", "throughput, add-in / curl"),
    ("BM_MessageReplyAgainstTinyXml2AndPugixml", "Reading a {0} KB message reply into its record, ms (anchor: "
     "tinyxml2)", "time", "tinyxml2_us", "ratio_to_tinyxml2", "time, add-in / tinyxml2"),
    ("BM_MessageReplyAgainstTinyXml2AndPugixml", "Reading a {0} KB message reply into its record, ms (anchor: "
     "pugixml)", "time", "pugixml_us", "ratio_to_pugixml", "time, add-in / pugixml"),
    ("BM_Utf8FromWideAgainstIconv", "Wide text of {0} characters to UTF-8, ms (anchor: iconv)", "time", "iconv_us",
     "ratio_to_iconv", "time, add-in / iconv"),
    ("BM_WideFromUtf8AgainstIconv", "UTF-8 text of {0} characters to wide text, ms (anchor: iconv)", "time",
     "iconv_us", "ratio_to_iconv", "time, add-in / iconv"),
    ("BM_LogWriteLineAgainstStdio", "An activity-log line written, ms (anchor: fputs and fflush)", "time",
     "stdio_ns", "ratio_to_stdio", "time, add-in / stdio"),
    ("BM_LogOuterScopeAgainstStdio", "An outermost logged operation, ms (anchor: a marker rewritten in place twice)",
     "time", "stdio_ns", "ratio_to_stdio", "time, add-in / stdio"),
    ("BM_MessageReplyFourTimesTheInput", "Reading a message reply four times {0} KB, ms (anchor: the {0} KB reply)",
     "large_us", "small_us", "time_ratio_for_4x_input", "time for 4x the input"),
]


def milliseconds(case):
    scale = {"ns": 1e-6, "us": 1e-3, "ms": 1.0, "s": 1e3}[case["time_unit"]]
    return case["real_time"] * scale


def figure(value):
    return f"{value:,.3g}" if abs(value) < 100 else f"{value:,.0f}"


def counter(case, name):
    """A counter's value, in milliseconds where the counter is in micro- or nanoseconds."""
    scale = {"_us": 1e-3, "_ns": 1e-6}.get(name[-3:], 1)
    return case[name] * scale


def case_rows(cases):
    rows = []
    for case in cases:
        name = case["name"]
        matching = [entry for entry in CASES if name.startswith(entry[0])]
        for prefix, label, own, anchor, ratio, says in matching:
            arguments = [part for part in name[len(prefix):].split("/") if part.isdigit()]
            own_value = milliseconds(case) if own == "time" else counter(case, own)
            anchor_value = counter(case, anchor) if anchor else float(arguments[0])
            rows.append((label.format(*arguments), figure(own_value), figure(anchor_value),
                         f"{case[ratio]:.3g} ({says})"))
        if not matching:
            rows.append((f"{name}, ns", figure(milliseconds(case) * 1e6), "none", ""))
    return rows


def upload_memory_row(text):
    values = dict(pair.split("=") for pair in text.split())
    gained = float(values["peak_MiB"]) - float(values["baseline_MiB"])
    return (f"Send of {values['payload_MiB']} MiB of attachments: peak memory gained, MiB (anchor: the payload)",
            figure(gained), values["payload_MiB"], f"{float(values['peak_gain_over_payload']):.3g} (gain / payload)")


def startup_counts_row(folder):
    counts = {}
    for mode in ("fast", "unreachable", "stalled"):
        text = (folder / f"startup-{mode}.callgrind").read_text()
        counts[mode] = int(re.search(r"^(?:summary|totals): (\d+)", text, re.MULTILINE).group(1))
    spread = max(counts.values()) / min(counts.values())
    return ("Start-up: OnConnection's instructions on Outlook's thread (callgrind), fast / unreachable / stalled "
            "service", " / ".join(f"{count:,}" for count in counts.values()), f"{counts['fast']:,} (fast)",
            f"{spread:.4f} (largest / smallest)")


def main():
    folder = pathlib.Path(sys.argv[1])
    report = json.loads((folder / "bench.json").read_text())
    rows = case_rows(case for case in report["benchmarks"] if case.get("run_type", "iteration") == "iteration")
    rows.append(upload_memory_row((folder / "upload-memory.txt").read_text()))
    rows.append(startup_counts_row(folder))
    print("| measure | this project | anchor | ratio |")
    print("|---|---|---|---|")
    for row in rows:
        print("| " + " | ".join(row) + " |")


if __name__ == "__main__":
    main()
