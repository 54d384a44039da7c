#!/usr/bin/python3
# Runs Orca for a test: every utterance goes to a log file as a
# "SPEECH OUTPUT: '...'" line, and it starts even while another Orca runs on
# the machine (a parallel test run).
# Usage: orca_speech.py LOG [orca options...]
import logging
import sys

log_path = sys.argv[1]
sys.argv = ["orca"] + sys.argv[2:]

launcher = {"__name__": "orca_launcher", "__file__": "/usr/bin/orca"}
with open("/usr/bin/orca", encoding="utf-8") as source:
    exec(compile(source.read(), "/usr/bin/orca", "exec"), launcher)
launcher["otherOrcas"] = lambda: []
# Keeps its own process name: pgrep -x orca finds the user's Orca only.
launcher["setProcessName"] = lambda name: False

import orca.speech  # noqa: E402  (makes the "speech" logger)

handler = logging.FileHandler(log_path, encoding="utf-8")
handler.setFormatter(logging.Formatter("%(message)s"))
logging.getLogger("speech").addHandler(handler)
sys.exit(launcher["main"]())
