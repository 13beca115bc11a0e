"""The build's comparison of the event and method tables with the control's
IDL: the tables as committed pass, and each kind of drift fails the build.

    idl_tables_test.py ROOT
"""
import os
import subprocess
import sys
import tempfile

root = sys.argv[1]
script = os.path.join(root, "plugin/control/idl_tables.py")
idl = os.path.join(root, "plugin/control/ZumiPictavoEx.idl")
tables = {"events": "plugin/control/pictavoex_events.h",
          "methods": "plugin/entry/control_methods.cpp",
          "tests": "tests/support/script_methods.h"}

# table, text replaced, its replacement, whether the check must pass
CASES = [
    ("events", "", "", True),
    ("events", "X(5, OnSink_PrepareToUpload, (long value)", "X(5, OnSink_PrepareToUpload, (BSTR value)", False),
    ("events", "X(51, OnSink_UsbNotRead", "X(52, OnSink_UsbNotRead", False),
    ("events", "(text1, value1, value2, value3, text2), (text1, text2)",
     "(text1, value1, value2, value3, text2), (text1, value1)", False),
    ("methods", "X(UploadCtrlSetUploadLimit, SetUploadLimit, None, N)",
     "X(UploadCtrlSetUploadLimit, SetUploadLimit, None, S)", False),
    ("tests", '{"GetVersion", 9, "", \'I\'}', '{"GetVersion", 10, "", \'I\'}', False),
]

failures = 0
with tempfile.TemporaryDirectory() as work:
    for table, old, new, passes in CASES:
        paths = {}
        for name, rel in tables.items():
            text = open(os.path.join(root, rel), encoding="utf-8").read()
            if name == table and old:
                assert old in text, f"{rel} no longer holds {old!r}"
                text = text.replace(old, new)
            paths[name] = os.path.join(work, os.path.basename(rel))
            open(paths[name], "w", encoding="utf-8").write(text)
        stamp = os.path.join(work, "checked")
        run = subprocess.run([sys.executable, script, "check", idl, paths["events"], paths["methods"],
                              paths["tests"], stamp], capture_output=True, text=True)
        if (run.returncode == 0) != passes:
            failures += 1
            print(f"FAIL {table}: {new or 'as committed'}: exit {run.returncode}\n{run.stderr}")
sys.exit(1 if failures else 0)
