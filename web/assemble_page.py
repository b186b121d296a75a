#!/usr/bin/env python3
"""Puts the page together from web/ and the built module: OUT/valdrex.html, one file holding its
style, scripts, worker and WebAssembly (it works opened from a file, with no network), and
OUT/site/, the same page in files for a web server. Both carry the licences of what is inside
them and a Content-Security-Policy under which the page can reach nothing outside itself.

    assemble_page.py WEB_DIR MODULE_JS LICENCES_TXT OUT_DIR
"""
import base64
import hashlib
import html
import os
import re
import shutil
import sys

LIMIT = 4 * 1024 * 1024  # what a teacher's mail or USB copy takes without thinking about it

# The inlined page may run its own scripts (by their hashes), compile WebAssembly and start its
# worker from a blob; nothing else, and no request anywhere.
INLINED_POLICY = ("default-src 'none'; script-src {scripts} 'wasm-unsafe-eval'; "
                  "style-src {styles}; worker-src blob:; form-action 'none'; base-uri 'none'")
# On a web server the page loads its own files, and only those; its worker source is read
# from its own folder and started from a blob, under this same policy.
SITE_POLICY = ("default-src 'none'; script-src 'self' 'wasm-unsafe-eval'; style-src 'self'; "
               "connect-src 'self'; worker-src blob:; form-action 'none'; base-uri 'none'")

POLICY_META = re.compile(r'<meta http-equiv="Content-Security-Policy" content="[^"]*">')
STYLE_LINK = re.compile(r'<link rel="stylesheet" href="([^"]+)">')
SCRIPT_TAG = re.compile(r'<script src="([^"]+)"></script>')
LICENCES = "<pre id=\"licences\">（构建时填入）</pre>"


def sha256(text):
    return "'sha256-" + base64.b64encode(hashlib.sha256(text.encode()).digest()).decode() + "'"


def script_body(text, name):
    # Inside <script> only "</script" ends the element, and "<!--" changes how it is read.
    if re.search(r"</script|<!--", text, re.IGNORECASE):
        sys.exit(f"{name} holds text that would end its <script> element early")
    return text


def main():
    web, module_js, licences_txt, out = sys.argv[1:]
    read = lambda path: open(path, encoding="utf-8").read()
    page = read(os.path.join(web, "valdrex.html"))
    worker = read(module_js) + "\n" + read(os.path.join(web, "valdrex_worker.js"))
    licences = LICENCES.replace("（构建时填入）", html.escape(read(licences_txt)))
    page = page.replace(LICENCES, licences)
    if licences not in page:
        sys.exit("valdrex.html has no place for the licences")

    # The server's copy: the page as written, its files beside it, the worker in one script.
    site = os.path.join(out, "site")
    shutil.rmtree(site, ignore_errors=True)
    os.makedirs(site)
    with open(os.path.join(site, "valdrex.html"), "w", encoding="utf-8") as f:
        f.write(POLICY_META.sub(lambda m: m.group(0).split(' content="')[0] +
                                f' content="{SITE_POLICY}">', page))
    for name in STYLE_LINK.findall(page) + SCRIPT_TAG.findall(page):
        shutil.copy(os.path.join(web, name), site)
    with open(os.path.join(site, "valdrex-worker.js"), "w", encoding="utf-8") as f:
        f.write(worker)

    # The single file: everything inlined, the worker's source as an inert text block.
    scripts, styles = [], []

    def inline_style(m):
        css = read(os.path.join(web, m.group(1)))
        styles.append(sha256(css))
        return "<style>" + css + "</style>"

    def inline_script(m):
        js = script_body(read(os.path.join(web, m.group(1))), m.group(1))
        scripts.append(sha256(js))
        return "<script>" + js + "</script>"

    page = STYLE_LINK.sub(inline_style, page)
    page = SCRIPT_TAG.sub(inline_script, page)
    first = page.index("<script>")
    page = (page[:first] + '<script type="text/plain" id="valdrex-worker-source">' +
            script_body(worker, "the worker") + "</script>\n" + page[first:])
    policy = INLINED_POLICY.format(scripts=" ".join(scripts), styles=" ".join(styles))
    page = POLICY_META.sub(
        lambda m: f'<meta http-equiv="Content-Security-Policy" content="{policy}">', page)
    target = os.path.join(out, "valdrex.html")
    with open(target, "w", encoding="utf-8") as f:
        f.write(page)
    size = os.path.getsize(target)
    if size > LIMIT:
        sys.exit(f"{target} is {size} bytes, more than {LIMIT}")
    print(f"built {target} ({size} bytes) and {site}/")


if __name__ == "__main__":
    main()
