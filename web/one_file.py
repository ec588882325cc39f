#!/usr/bin/env python3
"""one_file.py - makes the page one file: shell.html with the program's
JavaScript in place of {{{ SCRIPT }}} and its WebAssembly before it, gzipped
and in base64, for the page's script to unpack (the browser's own
DecompressionStream) and hand to the program as it starts. A wasm gzipped
before base64 makes a page about a fifth smaller, served gzipped, than
emcc's own one-file page, whose base64 gzip can hardly shrink.
Usage: one_file.py SHELL JS WASM OUTPUT"""
import base64
import gzip
import os
import sys

shell, script, wasm, output = sys.argv[1:]
with open(wasm, "rb") as f:
    packed = base64.b64encode(gzip.compress(f.read(), 9, mtime=0)).decode()
with open(script, encoding="utf-8") as f:
    code = f.read()
with open(shell, encoding="utf-8") as f:
    page = f.read()
if page.count("{{{ SCRIPT }}}") != 1 or "</script" in code:
    sys.exit(f"{sys.argv[0]}: {shell} must hold {{{{{{ SCRIPT }}}}}} once, and the script no </script")
parts = page.split("{{{ SCRIPT }}}")
# Written beside and renamed, so that a page half written is never served.
with open(output + ".part", "w", encoding="utf-8") as f:
    f.write(f'{parts[0]}<script type="application/octet-stream" id="wasm">{packed}</script>\n'
            f"<script>\n{code}</script>{parts[1]}")
os.replace(output + ".part", output)
