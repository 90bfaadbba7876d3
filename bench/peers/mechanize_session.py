"""One submission session with Python's mechanize, for comparison with
Larkspur's HTTP engine session: open the add-URL page, fill its form, submit
it with its first button, read the answer and classify it.

    python3 mechanize_session.py FORM_URL FIELDS_JSON RUNS

FIELDS_JSON maps field names to the values to fill in. Every session uses a
fresh browser (its own cookies and connections), as every Larkspur session
uses an engine of its own. Prints what it is ("peer mechanize 0.4.8, Python
3.11.2") and the median time of one session after three warm-up sessions
("median_ms 0.812").
"""

import importlib.metadata
import json
import platform
import statistics
import sys
import time

import mechanize

SUCCESS_WORDS = ("SUCCESSFUL", "THANK", "THANKS", "THANK YOU FOR", "SUBMITTED")


def session(form_url, fields):
    browser = mechanize.Browser()
    browser.set_handle_robots(False)
    browser.open(form_url)
    browser.select_form(nr=0)
    for name, value in fields.items():
        browser[name] = value
    answer = browser.submit().read().decode("utf-8", "replace").upper()
    browser.close()
    return any(word in answer for word in SUCCESS_WORDS)


def main():
    if len(sys.argv) != 4:
        sys.stderr.write(__doc__)
        return 2
    form_url, fields, runs = sys.argv[1], json.loads(sys.argv[2]), int(sys.argv[3])
    print("peer mechanize %s, Python %s" % (importlib.metadata.version("mechanize"), platform.python_version()))
    times = []
    for i in range(runs + 3):
        start = time.perf_counter()
        ok = session(form_url, fields)
        elapsed = (time.perf_counter() - start) * 1000.0
        if not ok:
            sys.stderr.write("mechanize: the answer was not classified as a success\n")
            return 1
        if i >= 3:
            times.append(elapsed)
    print("median_ms %.3f" % statistics.median(times))
    return 0


if __name__ == "__main__":
    sys.exit(main())
