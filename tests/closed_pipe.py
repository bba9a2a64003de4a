#!/usr/bin/env python3
"""closed_pipe.py ERR COMMAND...: runs COMMAND with its standard output on a
pipe whose read end is already closed (no race with a reader exiting) and
its standard error into the file ERR; exits with COMMAND's status."""
import os
import subprocess
import sys

read_end, write_end = os.pipe()
os.close(read_end)
with open(sys.argv[1], "w") as err:
    sys.exit(subprocess.run(sys.argv[2:], stdout=write_end, stderr=err).returncode)
