#!/usr/bin/env python3
"""Compiles the help page into the Windows help file with chmcmd.

Usage: make_chm.py PAGE OUTPUT.chm [CHMCMD]

The project (.hhp), the contents (.hhc, from the page's own table of contents) and a copy of the page are written
to a temporary folder, and chmcmd compiles them there. The help viewer reads the project's and the contents'
texts, and searches the page's words, in the code page of the help file's language (Russian: Windows-1251), so
every file goes in that code page; the page says so in the form that viewer understands.
"""
import html
import pathlib
import re
import shutil
import subprocess
import sys
import tempfile

PAGE_NAME = "ferrylo.html"
CONTENTS_NAME = "ferrylo.hhc"
PROJECT_NAME = "ferrylo.hhp"
TITLE = "Ferrylo — помощь"
CODE_PAGE = "cp1251"

# The viewer draws with the system's browser engine in its oldest mode unless told otherwise.
PAGE_HEAD = ('<meta http-equiv="Content-Type" content="text/html; charset=windows-1251">\n'
             '<meta http-equiv="X-UA-Compatible" content="IE=edge">')


def sections(page):
    """(anchor, title) of each entry of the page's table of contents."""
    nav = re.search(r"<nav>(.*?)</nav>", page, re.S)
    if not nav:
        sys.exit(f"{PAGE_NAME}: no <nav> table of contents")
    return [(anchor, html.unescape(title))
            for anchor, title in re.findall(r'<li><a href="#([^"]+)">(.*?)</a></li>', nav.group(1))]


def topic(name, local):
    return ('<LI><OBJECT type="text/sitemap">\n'
            f'<param name="Name" value="{html.escape(name)}">\n'
            f'<param name="Local" value="{local}">\n'
            '</OBJECT>\n')


def contents(page):
    entries = "".join(topic(title, f"{PAGE_NAME}#{anchor}") for anchor, title in sections(page))
    return ('<!DOCTYPE HTML PUBLIC "-//IETF//DTD HTML//EN">\n<HTML><HEAD></HEAD><BODY>\n'
            '<OBJECT type="text/site properties">\n<param name="Window Styles" value="0x800025">\n</OBJECT>\n'
            f'<UL>\n{topic(TITLE, PAGE_NAME)}<UL>\n{entries}</UL>\n</UL>\n</BODY></HTML>\n')


def project(chm_name):
    # The window: its title, contents and home page, the contents pane shown, Back, Forward, Home and Print.
    return ("[OPTIONS]\n"
            "Compatibility=1.1 or later\n"
            f"Compiled file={chm_name}\n"
            f"Contents file={CONTENTS_NAME}\n"
            f"Default topic={PAGE_NAME}\n"
            "Default Window=main\n"
            "Display compile progress=No\n"
            "Full-text search=Yes\n"
            "Language=0x419 Russian\n"
            f"Title={TITLE}\n\n"
            "[WINDOWS]\n"
            f'main="{TITLE}","{CONTENTS_NAME}",,"{PAGE_NAME}","{PAGE_NAME}",,,,,0x63520,,0x10304e,,,,,,,,0\n\n'
            f"[FILES]\n{PAGE_NAME}\n")


def main():
    if len(sys.argv) not in (3, 4):
        sys.exit(__doc__)
    page_path, output = pathlib.Path(sys.argv[1]), pathlib.Path(sys.argv[2]).resolve()
    chmcmd = sys.argv[3] if len(sys.argv) == 4 else "chmcmd"
    page = page_path.read_text(encoding="utf-8")
    if '<meta charset="utf-8">' not in page:
        sys.exit(f"{page_path}: expected <meta charset=\"utf-8\">")

    with tempfile.TemporaryDirectory() as folder:
        stage = pathlib.Path(folder)
        # A character the code page lacks (an arrow) goes as a character reference.
        (stage / PAGE_NAME).write_bytes(
            page.replace('<meta charset="utf-8">', PAGE_HEAD).encode(CODE_PAGE, errors="xmlcharrefreplace"))
        (stage / CONTENTS_NAME).write_text(contents(page), encoding=CODE_PAGE, newline="\r\n")
        (stage / PROJECT_NAME).write_text(project(output.name), encoding=CODE_PAGE, newline="\r\n")
        # chmcmd reports a failed compile only in its output.
        run = subprocess.run([chmcmd, "--no-html-scan", "--verbosity", "1", PROJECT_NAME], cwd=stage,
                             capture_output=True, text=True, errors="replace")
        made = stage / output.name
        if run.returncode != 0 or not made.exists() or made.read_bytes()[:4] != b"ITSF":
            sys.exit(f"chmcmd did not make {output.name}:\n{run.stdout}{run.stderr}")
        output.parent.mkdir(parents=True, exist_ok=True)
        shutil.copyfile(made, output)


if __name__ == "__main__":
    main()
