#!/usr/bin/env python3
"""tarnedit driven from outside as a learner would drive it: under Wine on a
private Xvfb display, typed into with xdotool, read back with tarnprobe (the
standard messages of its controls) and kept as screenshots.

  window_test.py --scenario english|russian|imports|colouring --editor tarnedit.exe --probe tarnprobe.exe
                 --prefix WINEPREFIX --artefacts FOLDER

Exit code 77 (skipped) when the Windows build is missing; the reason is printed.
"""
import argparse
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time

SKIPPED = 77


class Failure(Exception):
    pass


# The editor and the probe are x86-64 programs: Wine's 64-bit loader starts
# them on every host, also where 32-bit Wine is installed but cannot execute.
WINE64 = "/usr/lib/wine/wine64" if os.path.exists("/usr/lib/wine/wine64") else "wine"


def check(condition, what):
    if not condition:
        raise Failure(what)
    print("ok:", what.splitlines()[0][:100])


def until(fetch, accept, what, timeout=15.0):
    """Polls fetch() until accept(value); returns the value or fails with the last one."""
    end = time.time() + timeout
    value = None
    while time.time() < end:
        value = fetch()
        if accept(value):
            return value
        time.sleep(0.3)
    raise Failure(f"{what}: last seen {value!r}")


def windows_path(unix_path):
    return "Z:" + os.path.abspath(unix_path).replace("/", "\\")


class Session:
    """One Xvfb display, one wineserver for the private prefix, one tarnedit."""

    def __init__(self, args, workdir, env_extra=None):
        self.args = args
        self.workdir = workdir
        self.env = dict(os.environ)
        self.env.update(WINEPREFIX=args.prefix, WINEDEBUG="-all", WINEDLLOVERRIDES="mscoree,mshtml=")
        self.env.update(env_extra or {})
        self.xvfb = None

    def __enter__(self):
        # -displayfd lets Xvfb pick a display number nobody else uses.
        read_fd, write_fd = os.pipe()
        self.xvfb = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_fd), "-screen", "0", "1024x768x24", "-nolisten", "tcp"],
            pass_fds=(write_fd,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write_fd)
        with os.fdopen(read_fd) as f:
            display = f.readline().strip()
        if not display:
            raise Failure("Xvfb did not start")
        self.env["DISPLAY"] = ":" + display
        if not os.path.exists(os.path.join(self.args.prefix, "system.reg")):
            subprocess.run([WINE64, "wineboot", "-i"], env=self.env, timeout=240,
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            subprocess.run(["wineserver", "-w"], env=self.env, timeout=60)
        subprocess.run(["wineserver", "-p"], env=self.env, timeout=30,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        return self

    def __exit__(self, exc_type, exc, tb):
        if exc_type is not None:  # what the window showed when the test failed
            try:
                self.screenshot(f"failed_{self.args.scenario}.png")
                print("dialogs open:", self.probe("dialogs", ok=False) or "none")
            except Exception as e:  # the failure itself matters more
                print("no failure screenshot:", e)
        subprocess.run(["wineserver", "-k"], env=self.env, timeout=30,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        if self.xvfb:
            self.xvfb.send_signal(signal.SIGTERM)
            try:
                self.xvfb.wait(timeout=10)
            except subprocess.TimeoutExpired:
                self.xvfb.kill()

    def probe(self, *what, ok=True):
        r = subprocess.run([WINE64, self.args.probe, *what], env=self.env, timeout=60,
                           stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
        if ok and r.returncode != 0:
            raise Failure(f"tarnprobe {' '.join(what)} failed ({r.returncode})")
        out = r.stdout.decode("utf-8", "replace")
        return out[:-1] if out.endswith("\n") else out

    def gone(self):
        r = subprocess.run([WINE64, self.args.probe, "gone", "20"], env=self.env, timeout=60,
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        return r.returncode == 0

    def launch(self, appdata):
        # The launcher sets APPDATA for tarnedit (Wine's own comes from its
        # registry); a Wine child keeps its parent's output open, so the
        # launcher's output goes to a file.
        with open(os.path.join(self.workdir, "launch.log"), "wb") as log:
            subprocess.run([WINE64, self.args.probe, "launch", windows_path(appdata), windows_path(self.args.editor)],
                           env=self.env, timeout=60, stdout=log, stderr=log)
        return self.probe("wait", "30")

    def xdo(self, *args):
        subprocess.run(["xdotool", *args], env=self.env, timeout=60, check=True)
        time.sleep(0.2)

    def type(self, text):
        """Types text into the window that has the focus. xdotool types every
        character the keyboard has; a Russian letter it would have to bind to
        a spare key first, and Wine, reading the key map on its own time,
        often takes the letter with the binding before. So Russian letters go
        to the editor as the characters a Russian layout gives (WM_CHAR)."""
        runs = []
        for ch in text:
            ascii_ch = ord(ch) < 128
            if runs and runs[-1][0] == ascii_ch:
                runs[-1][1] += ch
            else:
                runs.append([ascii_ch, ch])
        for ascii_run, run in runs:
            if ascii_run:
                self.xdo("type", "--delay", "25", run)
            else:
                self.probe("chars", run)

    def type_line(self, line):
        """Types a line at the end of the editor text and checks it arrived."""
        self.type(line)
        until(lambda: self.probe("text").split("\r\n")[-1], lambda t: t == line, f"the typed line {line!r}", 5)

    def key(self, *keys):
        for k in keys:
            self.xdo("key", k)

    def click_editor(self):
        # There is no window manager: a click gives the window the focus. The
        # window is centred, and its middle lies inside the editor.
        self.xdo("mousemove", "512", "330", "click", "1")

    def dialogs(self):
        r = subprocess.run([WINE64, self.args.probe, "dialogs"], env=self.env, timeout=60,
                           stdout=subprocess.PIPE, stderr=subprocess.PIPE)
        if r.returncode != 0:
            raise Failure(f"tarnprobe dialogs failed ({r.returncode}): {r.stderr.decode(errors='replace')}")
        return r.stdout.decode("utf-8", "replace").rstrip("\n")

    def wait_dialog(self, text, timeout=15.0):
        return until(self.dialogs, lambda d: text in d, f"a dialog with {text!r}", timeout)

    def no_dialog(self):
        until(self.dialogs, lambda d: d == "", "all dialogs closed")

    def press(self, button, another_follows=False):
        """Clicks a button of a dialog and waits until that dialog is gone (and,
        unless another follows, every dialog). A click that came before the
        dialog was ready is made again."""
        before = self.dialogs()
        for attempt in range(5):
            self.probe("press", button, ok=False)
            try:
                until(self.dialogs, lambda d: d != before, "the dialog closed", 4)
                break
            except Failure as failure:
                print(f"press {button!r}, attempt {attempt + 1}: {failure}")
        if not another_follows:
            self.no_dialog()

    def file_dialog(self, path, button):
        """Types a full path into the open or save dialog and presses its button."""
        self.wait_dialog(button)
        self.type(windows_path(path))
        time.sleep(0.3)
        self.probe("press", button)
        self.no_dialog()

    def screenshot(self, name):
        os.makedirs(self.args.artefacts, exist_ok=True)
        path = os.path.join(self.args.artefacts, name)
        subprocess.run(["import", "-window", "root", path], env=self.env, timeout=60, check=True)
        print("screenshot:", path)


def crlf_text(lines):
    return "\r\n".join(lines)


PROGRAM = [
    "program greet;",
    "var s: string[20];",
    "begin",
    "  s := 'Ёлка и ёж';",
    "  writeln(s);",
    "end.",
]


def english(args, work):
    appdata = os.path.join(work, "appdata")
    files = os.path.join(work, "my files")
    os.makedirs(appdata)
    os.makedirs(files)
    with Session(args, work) as s:
        title = s.launch(appdata)
        check(title == "Tarnwell - noname.pas", f"a new window is titled with noname.pas: {title!r}")
        menus = s.probe("menus")
        for caption in ["File", "  New\tCtrl+N", "  Open...\tCtrl+O", "  Reopen [grayed]", "  Save\tCtrl+S",
                        "  Save as...", "  Close", "  Exit\tAlt+F4", "Edit", "  Undo\tCtrl+Z", "  Cut\tCtrl+X",
                        "  Copy\tCtrl+C", "  Paste\tCtrl+V", "Compile", "Run", "Options", "Help", "  Help\tF1",
                        "  About"]:
            check(caption in menus.splitlines(), f"menu item {caption!r} in\n{menus}")
        check(s.probe("status", "0") == "F1 - Help", "status panel 0 shows the F1 hint")
        check(int(s.probe("limit")) > 1_000_000, "the editor takes more than 32,767 characters")

        # Type a program and save it under a name with a blank.
        s.click_editor()
        for i, line in enumerate(PROGRAM):
            s.type_line(line)
            if i + 1 < len(PROGRAM):
                s.key("Return")
        until(lambda: s.probe("text"), lambda t: t == crlf_text(PROGRAM), "the typed program in the editor")
        check(s.probe("status", "1") == "Modified", "typing shows Modified")
        check(s.probe("status", "2") == "   6 :   5", "the caret display stands after 'end.'")
        s.key("ctrl+s")
        s.file_dialog(os.path.join(files, "first try.pas"), "Save")
        saved = os.path.join(files, "first_try.pas")
        until(lambda: os.path.exists(saved), bool, "the file saved as first_try.pas")
        expected = ("\r\n".join(PROGRAM) + "\r\n").encode("cp1251")
        with open(saved, "rb") as f:
            check(f.read() == expected, "the saved bytes are the program in code page 1251 with CR LF")
        check(not os.path.exists(os.path.join(files, "first try.pas")), "no file keeps the blank")
        check(s.probe("title") == "Tarnwell - " + windows_path(saved), "the title names the saved file")
        check(s.probe("modified") == "0" and s.probe("status", "1") == "", "a saved document is not modified")

        # New asks before dropping changes: Cancel keeps them, No drops them.
        s.type(" ")
        s.key("ctrl+n")
        s.wait_dialog("Save changes?")
        s.press("Cancel")
        check(s.probe("title").endswith("first_try.pas"), "Cancel keeps the document")
        s.key("ctrl+n")
        s.wait_dialog("Save changes?")
        s.press("No")
        until(lambda: s.probe("title"), lambda t: t == "Tarnwell - noname.pas", "New after No")
        check(s.probe("text") == "", "New clears the editor")

        # Reopen it from the recent-files menu with the keyboard.
        menus = s.probe("menus")
        check("    1 " + windows_path(saved) in menus.splitlines(), f"the recent-files menu lists it\n{menus}")
        s.click_editor()
        s.key("F10", "Down", "Down", "Down", "Right")
        s.screenshot("tarnedit_reopen_menu.png")
        s.key("Return")
        until(lambda: s.probe("text"), lambda t: t == crlf_text(PROGRAM), "the reopened program")
        check(s.probe("title") == "Tarnwell - " + windows_path(saved), "the title after reopening")
        s.screenshot("tarnedit_english.png")

        # The second filter of the dialogs is the DOS code page 866 ("ASCII").
        s.key("F10", "Down", "Down", "Down", "Down", "Down", "Return")  # File, Save as...
        s.wait_dialog("Save")
        s.type(windows_path(os.path.join(files, "first ascii.pas")))
        s.key("alt+t", "Down")
        s.probe("press", "Save")
        s.no_dialog()
        ascii_file = os.path.join(files, "first_ascii.pas")
        until(lambda: os.path.exists(ascii_file), bool, "the file saved as first_ascii.pas")
        with open(ascii_file, "rb") as f:
            ascii_bytes = f.read()
        check(ascii_bytes == ("\r\n".join(PROGRAM) + "\r\n").encode("cp866"), "saved in code page 866, Ё and ё too")
        s.key("ctrl+o")
        s.wait_dialog("Open")
        s.type(windows_path(ascii_file))
        s.key("alt+t", "Down")
        s.probe("press", "Open")
        s.no_dialog()
        check(s.probe("text") == crlf_text(PROGRAM), "opened as ASCII it reads as typed")
        s.key("ctrl+o")
        s.file_dialog(ascii_file, "Open")
        shown = crlf_text(ascii_bytes.decode("cp1251").split("\r\n")[:-1])
        until(lambda: s.probe("text"), lambda t: t == shown, "opened as ANSI it shows the code page 866 bytes")

        # A 200 KB source loads whole.
        big_lines = [f"  writeln('line {i:05d} of a long program for the editor');" for i in range(4000)]
        big = os.path.join(files, "big.pas")
        with open(big, "wb") as f:
            f.write(("\r\n".join(big_lines) + "\r\n").encode("cp1251"))
        check(os.path.getsize(big) > 200_000, "the big source is over 200 KB")
        s.key("ctrl+o")
        s.file_dialog(big, "Open")
        text = until(lambda: s.probe("text"), lambda t: t.startswith(big_lines[0]), "the big file in the editor")
        check(text == crlf_text(big_lines), f"the big file loaded whole: {len(text)} characters")

        # A save into a read-only file fails, keeps the file and the changes.
        s.click_editor()
        s.key("ctrl+Home")
        s.type("x")
        os.chmod(big, 0o444)
        before = open(big, "rb").read()
        s.key("ctrl+s")
        box = s.wait_dialog(windows_path(big))
        s.screenshot("tarnedit_save_failed.png")
        s.press("OK")
        check(open(big, "rb").read() == before, "the read-only file is unchanged")
        check(s.probe("modified") == "1" and s.probe("status", "1") == "Modified",
              f"the document stays modified after a failed save ({box!r})")
        check(not [n for n in os.listdir(files) if n.startswith("tnw")], "no temporary file is left behind")
        os.chmod(big, 0o644)
        s.key("ctrl+s")
        until(lambda: open(big, "rb").read(), lambda b: b.startswith(b"x  writeln"), "the save once writable")
        check(s.probe("modified") == "0", "saved once the file is writable")

        # A save onto a full disk fails the same way: the old file stays whole.
        full_disk = os.path.join(work, "full disk")
        os.makedirs(full_disk)
        mounted = subprocess.run(["mount", "-t", "tmpfs", "-o", "size=64k", "tmpfs", full_disk],
                                 stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL).returncode == 0
        if not mounted:
            print("skipped: the full-disk save needs a small tmpfs, and this host lets no test mount one")
        else:
            try:
                target = os.path.join(full_disk, "full.pas")
                with open(target, "wb") as f:
                    f.write(b"program old;\r\nend.\r\n")
                s.click_editor()
                s.key("ctrl+Home")
                s.type("y")
                s.key("F10", "Down", "Down", "Down", "Down", "Down", "Return")  # File, Save as...
                s.wait_dialog("Save")
                s.type(windows_path(target))
                s.probe("press", "Save")
                s.wait_dialog("replace")
                s.press("Yes", another_follows=True)
                box = s.wait_dialog("Disk full")
                check(windows_path(target) in box, f"the box names the file\n{box}")
                s.press("OK")
                check(open(target, "rb").read() == b"program old;\r\nend.\r\n", "the file on the full disk is unchanged")
                check(os.listdir(full_disk) == ["full.pas"], "no temporary file is left on the full disk")
                check(s.probe("modified") == "1", "the document stays modified after the disk ran full")
                check(s.probe("title") == "Tarnwell - " + windows_path(big), "and it keeps its own name")
                s.key("ctrl+s")
                until(lambda: open(big, "rb").read(), lambda b: b.startswith(b"yx  writeln"), "saved in place again")
            finally:
                subprocess.run(["umount", "-l", full_disk], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

        # Help without a help file, the about box and the options dialog.
        s.key("F1")
        box = s.wait_dialog("Help file not exist.")
        check("tarnwell_en.chm" in box, "the missing help file is named")
        s.press("OK")
        s.click_editor()
        s.key("F10", "Left", "Left", "Down", "Down", "Return")  # Left passes the system menu
        box = s.wait_dialog("Tarnwell 3.2")
        check("dialog: About Tarnwell" in box, f"the about box\n{box}")
        s.press("OK")
        s.click_editor()
        s.key("F10", "Left", "Left", "Left", "Return")
        box = s.wait_dialog("Font:")
        check("dialog: Options" in box and "Editor" in box and "Consolas, 10" in box, f"the options dialog\n{box}")
        s.screenshot("tarnedit_options.png")
        s.probe("press", "...")
        s.wait_dialog("Sample")  # the font dialog
        s.type("DejaVu Sans Mono")
        s.key("alt+s")
        s.type("12")
        s.probe("press", "OK")
        until(s.dialogs, lambda d: "DejaVu Sans Mono, 12" in d and "Sample" not in d, "the chosen font in Options")
        s.press("OK")
        check(s.probe("charformat") == "DejaVu Sans Mono 12", "the editor text takes the chosen font")

        # Closing saves the window size and the recent files in APPDATA.
        s.click_editor()
        s.key("alt+F4")
        check(s.gone(), "the window closed")
    ini = open(os.path.join(appdata, "tarnedit.ini"), encoding="utf-8", newline="").read()
    check("[parameters]" in ini and "form_width=800" in ini and "form_height=600" in ini, f"the ini\n{ini}")
    check("fontname=DejaVu Sans Mono\r\nfontsize=12\r\n" in ini, "the font in the ini")
    recent = "#".join(windows_path(p) for p in (big, ascii_file, saved)) + "###"
    check(f"lastfile={recent}" in ini, f"the recent files in the ini\n{ini}")
    last_folder = full_disk if mounted else files  # chosen in the dialog, even when the save then failed
    check(f"pasfolder={windows_path(last_folder)}\\" in ini, f"the folder of the dialogs\n{ini}")


COLOURED = [
    "program p;",
    "{ note }",
    "begin",
    "  writeln('hi'); // done",
    "end.",
]
KEYWORD, COMMENT, STRING, WORD, PUNCTUATION = "0000FF", "008000i", "800000", "1C1C1C", "000000"


def colouring(args, work):
    """Colours as the learner types, after a "{" mid-program, after undo, and in a loaded file."""
    appdata = os.path.join(work, "appdata")
    os.makedirs(appdata)
    with Session(args, work) as s:
        s.launch(appdata)
        s.click_editor()
        for i, line in enumerate(COLOURED):
            s.type_line(line)
            if i + 1 < len(COLOURED):
                s.key("Return")

        def looks(at, to):
            return s.probe("colours", str(at), str(to)).splitlines()

        # Offsets count each line end as one character.
        expected = {0: KEYWORD, 6: KEYWORD, 8: WORD, 9: PUNCTUATION, 11: COMMENT, 18: COMMENT, 20: KEYWORD,
                    28: WORD, 35: PUNCTUATION, 36: STRING, 39: STRING, 40: PUNCTUATION, 41: PUNCTUATION,
                    43: COMMENT, 49: COMMENT, 51: KEYWORD, 54: PUNCTUATION}
        shown = looks(0, 55)
        for at, look in expected.items():
            check(shown[at] == look, f"typed: character {at} looks {look}: {shown[at]}")
        s.screenshot("tarnedit_colours.png")
        histogram = subprocess.run(["convert", os.path.join(args.artefacts, "tarnedit_colours.png"), "-format", "%c",
                                    "histogram:info:-"], stdout=subprocess.PIPE, timeout=60).stdout.decode()
        for name, rgb in (("keyword", "#0000FF"), ("comment", "#008000"), ("string", "#800000")):
            check(rgb in histogram, f"the screenshot has {name} pixels {rgb}")

        # A "{" at the start turns everything green up to the "}" of the next line.
        s.key("ctrl+Home")
        s.type("{")
        until(lambda: looks(0, 22), lambda l: l[:19] == [COMMENT] * 19 and l[21] == KEYWORD,
              "a typed { colours up to the next }")
        s.key("BackSpace")
        until(lambda: looks(0, 12), lambda l: l[0] == KEYWORD and l[9] == PUNCTUATION and l[11] == COMMENT,
              "deleting the { gives the line its colours back")
        # Undo takes back the learner's edit, not a colouring.
        s.type("{")
        until(lambda: looks(0, 22), lambda l: l[:19] == [COMMENT] * 19 and l[21] == KEYWORD,
              "typed again, the comment is green again")
        s.key("ctrl+End")
        s.key("ctrl+z")
        until(lambda: s.probe("text"), lambda t: t.startswith("program p;"), "undo takes back the {")
        until(lambda: looks(0, 12), lambda l: l[0] == KEYWORD and l[9] == PUNCTUATION and l[11] == COMMENT,
              "and the line has its colours back")
        s.screenshot("tarnedit_colours_brace.png")

        # A file loads coloured.
        source = os.path.join(work, "loaded.pas")
        with open(source, "wb") as f:
            f.write(("\r\n".join(COLOURED) + "\r\n").encode("cp1251"))
        s.key("ctrl+o")
        s.wait_dialog("Save changes?")
        s.press("No", another_follows=True)
        s.file_dialog(source, "Open")
        until(lambda: s.probe("text"), lambda t: t == crlf_text(COLOURED), "the file in the editor")
        shown = looks(0, 55)
        for at, look in expected.items():
            check(shown[at] == look, f"loaded: character {at} looks {look}: {shown[at]}")
        check(s.probe("modified") == "0", "loading leaves the document unmodified")
        s.key("alt+F4")
        check(s.gone(), "the window closed")


def compiling(args, work):
    """Compile with an error marked, compile again fixed, and Run: in a folder whose name has a blank."""
    appdata = os.path.join(work, "appdata")
    folder = os.path.join(work, "my programs")
    os.makedirs(appdata)
    os.makedirs(folder)
    if not os.path.exists(os.path.join(os.path.dirname(args.editor), "tarnc.exe")):
        print("skipped: tarnc.exe is not built beside tarnedit.exe")
        return
    source = os.path.join(folder, "prog.pas")
    ran = os.path.join(folder, "ran.txt")
    program = ["program prog()", "var f: text;", "begin", f"  f := rewrite('{windows_path(ran)}');",
               "  writestring(f, zzz);", "  close(f);", "end."]

    def write(lines):
        with open(source, "wb") as f:
            f.write(("\r\n".join(lines) + "\r\n").encode("cp1251"))

    write(program)
    with Session(args, work) as s:
        s.launch(appdata)
        s.click_editor()
        s.key("ctrl+o")
        s.file_dialog(source, "Open")
        until(lambda: s.probe("text"), lambda t: t == crlf_text(program), "the program in the editor")
        s.key("F9")
        s.wait_dialog("There are errors.", 60)
        s.screenshot("tarnedit_compile_dialog.png")
        s.press("OK")
        pane = s.probe("messages").split("\r\n")
        check(len(pane) == 4 and pane[0].startswith("Error code: ") and pane[1] == "Compiling: There are errors."
              and pane[2].startswith("Error ") and pane[3] == "Row: 5", f"the pane holds the four lines: {pane}")
        line5 = sum(len(l) + 1 for l in program[:4])
        looks = s.probe("colours", str(line5), str(line5 + len(program[4]))).splitlines()
        check(looks == ["FF0000"] * len(program[4]), f"line 5 is red: {looks}")
        at = int(s.probe("selection").split()[0])
        check(line5 <= at <= line5 + len(program[4]), f"the caret stands in line 5: {at}")
        check(s.probe("status", "2").startswith("   5 :"), "the caret display names line 5")
        s.screenshot("tarnedit_error_marked.png")

        # Fixed, it compiles: "Compiling: Done." and the line count; Run starts it.
        program[4] = "  writestring(f, 'it ran');"
        write(program)
        s.key("ctrl+o")
        s.file_dialog(source, "Open")
        until(lambda: s.probe("text"), lambda t: t == crlf_text(program), "the fixed program in the editor")
        s.key("F9")
        s.wait_dialog("Done: ", 60)
        s.press("OK")
        pane = s.probe("messages").split("\r\n")
        check(pane[0] == "Compiling: Done." and len(pane) == 2 and pane[1], f"the pane after success: {pane}")
        check(os.path.exists(os.path.join(folder, "prog.exe")), "the executable is beside the source")
        run_program = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tools", "run-program")
        which = subprocess.run([run_program, "--which"], env=dict(os.environ, TARN_RUNNER="auto"),
                               stdout=subprocess.PIPE, stderr=subprocess.DEVNULL).stdout.decode().strip()
        if which != "wine":
            print("skipped: running the program needs a host that runs 32-bit code")
        else:
            s.key("ctrl+F9")
            until(lambda: os.path.exists(ran) and open(ran, "rb").read().startswith(b"it ran"), bool,
                  "Run started the program, which wrote its file", 60)
            # The console stays open, titled with the program's path, until a key or the next compile.
            exe = windows_path(os.path.join(folder, "prog.exe"))
            until(lambda: s.probe("window", exe), lambda v: v == "1", "the program's console stays open")
            s.screenshot("tarnedit_after_run.png")
            s.xdo("mousemove", "850", "300", "click", "1")  # the editor, beside the console
            s.key("F9")
            s.wait_dialog("Done: ", 60)
            s.press("OK")
            until(lambda: s.probe("window", exe), lambda v: v == "0", "compiling again closed the console")
        # A folder 200 characters deep: the whole command line reaches the compiler.
        deep = os.path.join(work, *(["d" * 49] * 4))
        os.makedirs(deep)
        check(len(windows_path(deep)) > 200, f"the deep folder: {len(windows_path(deep))} characters")
        deep_source = os.path.join(deep, "deep.pas")
        with open(deep_source, "wb") as f:
            f.write(b"program deep()\r\nbegin\r\n  writeln('deep');\r\nend.\r\n")
        s.click_editor()
        s.key("ctrl+o")
        s.file_dialog(deep_source, "Open")
        until(lambda: s.probe("text"), lambda t: t.startswith("program deep()"), "the deep program in the editor")
        s.key("F9")
        s.wait_dialog("Done: ", 60)
        s.press("OK")
        check(s.probe("messages").startswith("Compiling: Done."), "compiled in the deep folder")
        check(os.path.exists(os.path.join(deep, "deep.exe")), "the executable in the deep folder")
        s.click_editor()
        s.key("alt+F4")
        check(s.gone(), "the window closed")


def russian_locale(work):
    locales = os.path.join(work, "locales")
    os.makedirs(locales)
    subprocess.run(["localedef", "-i", "ru_RU", "-f", "UTF-8", os.path.join(locales, "ru_RU.UTF-8")],
                   check=True, timeout=120, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    return {"LOCPATH": locales, "LC_ALL": "ru_RU.UTF-8", "LANG": "ru_RU.UTF-8"}


def russian(args, work):
    appdata = os.path.join(work, "appdata")
    os.makedirs(appdata)
    with open(os.path.join(appdata, "tarnedit.ini"), "w", encoding="utf-8") as f:
        f.write("[parameters]\r\nlastfile=Z:\\нет\\программа.pas#####\r\nform_width=700\r\nform_height=500\r\n")
    with Session(args, work, russian_locale(work)) as s:
        title = s.launch(appdata)
        check(title == "Tarnwell - noname.pas", f"the title: {title!r}")
        menus = s.probe("menus")
        lines = menus.splitlines()
        top = [l for l in lines if not l.startswith(" ")]
        check(top == ["Файл", "Правка", "Компиляция", "Запуск", "Параметры", "Помощь"], f"Russian menus: {top}")
        for caption in ["  Новый\tCtrl+N", "  Открыть...\tCtrl+O", "  Последний файл", "  Сохранить\tCtrl+S",
                        "  Сохранить как...", "  Закрыть", "  Завершить работу\tAlt+F4", "  Отмена\tCtrl+Z",
                        "  Вырезать\tCtrl+X", "  Копировать\tCtrl+C", "  Вставить\tCtrl+V", "  Справка\tF1",
                        "  О программе", "    1 Z:\\нет\\программа.pas"]:
            check(caption in lines, f"menu item {caption!r} in\n{menus}")
        check(s.probe("status", "0") == "F1 - Справка", "the F1 hint in Russian")
        s.click_editor()
        s.type_line("begin writeln('Привет'); end.")
        until(lambda: s.probe("status", "1"), lambda t: t == "Изменен", "Modified in Russian")
        s.key("F1")
        box = s.wait_dialog("Нет файла справки.")
        check("tarnwell_ru.chm" in box, "the Russian help file is looked for")
        s.press("ОК")
        # A recent file that is gone: a box names it and the text stays.
        s.click_editor()
        s.key("F10", "Down", "Down", "Down", "Right", "Return")
        s.wait_dialog("Сохранить изменения?")
        s.press("Нет", another_follows=True)
        box = s.wait_dialog("программа.pas")
        s.press("ОК")
        text = s.probe("text")
        check(text == "begin writeln('Привет'); end.", f"a file that cannot be read leaves the text: {text!r}")
        s.screenshot("tarnedit_russian.png")
        s.click_editor()
        s.key("alt+F4")
        s.wait_dialog("Сохранить изменения?")
        s.press("Нет")
        check(s.gone(), "the window closed")
    ini = open(os.path.join(appdata, "tarnedit.ini"), encoding="utf-8", newline="").read()
    check("form_width=700" in ini and "form_height=500" in ini, f"the window kept its size\n{ini}")


def imports(args, work):
    """A learner copies tarnedit.exe anywhere: a GUI program that needs no DLL
    beyond Windows' own (comctl32 6 and the task dialogs are found at run time)."""
    dump = subprocess.run(["objdump", "-p", args.editor], stdout=subprocess.PIPE, check=True, timeout=60).stdout
    dump = dump.decode(errors="replace")
    dlls = sorted(line.split("DLL Name:")[1].strip().lower() for line in dump.splitlines() if "DLL Name:" in line)
    system = {"comctl32.dll", "comdlg32.dll", "gdi32.dll", "kernel32.dll", "msvcrt.dll", "shell32.dll", "user32.dll",
              "advapi32.dll", "ole32.dll"}
    check(dlls and set(dlls) <= system, f"only Windows' own DLLs: {dlls}")
    check("Subsystem\t\t00000002" in dump, "a Windows GUI program")
    check("TaskDialogIndirect" not in dump, "task dialogs are looked up, so older systems still start it")


def hh_commands():
    """The command lines of the hh.exe processes Wine runs now."""
    found = []
    for pid in filter(str.isdigit, os.listdir("/proc")):
        try:
            with open(f"/proc/{pid}/cmdline", "rb") as f:
                line = f.read().replace(b"\0", b" ").decode("utf-8", "replace")
        except OSError:
            continue
        if "hh.exe" in line.lower():
            found.append(line)
    return found


def package(args, work):
    """The package as a learner unzips it, in a folder with a blank: tarnedit
    starts from there, compiles an example with the tarnc.exe beside it, and F1
    starts hh.exe with the help file beside it (the command, not the rendering:
    Wine's hh.exe needs an HTML engine Debian does not ship)."""
    tarnc = os.path.join(os.path.dirname(args.editor), "tarnc.exe")
    helps = [os.path.join(args.help_dir, f"tarnwell_{lang}.chm") for lang in ("en", "ru")]
    for needed in [tarnc] + helps:
        if not os.path.exists(needed):
            print(f"skipped: {needed} is not built")
            return
    folder = os.path.join(work, "Tarnwell 3")
    os.makedirs(os.path.join(folder, "examples"))
    for f in [args.editor, tarnc] + helps:
        shutil.copy(f, folder)
    example = os.path.join(folder, "examples", "primes.pas")
    shutil.copy(os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "examples", "primes.pas"), example)
    appdata = os.path.join(work, "appdata")
    os.makedirs(appdata)
    args.editor = os.path.join(folder, "tarnedit.exe")
    with Session(args, work) as s:
        s.launch(appdata)
        s.click_editor()
        s.key("ctrl+o")
        s.file_dialog(example, "Open")
        until(lambda: s.probe("text"), lambda t: "program" in t, "the example in the editor")
        s.key("F9")
        s.wait_dialog("Done: ", 60)
        s.press("OK")
        check(s.probe("messages").startswith("Compiling: Done."), "the example compiled from the package")
        check(os.path.exists(os.path.join(folder, "examples", "primes.exe")), "the executable beside the example")
        s.click_editor()
        s.key("F1")
        wanted = windows_path(os.path.join(folder, "tarnwell_en.chm")).lower()
        until(hh_commands, lambda cmds: any(wanted in c.lower() for c in cmds),
              f"F1 started hh.exe with {wanted}", 30)


def main():
    parser = argparse.ArgumentParser()
    for name in ("scenario", "editor", "probe", "prefix", "artefacts"):
        parser.add_argument("--" + name, required=True)
    parser.add_argument("--help-dir", default="")
    args = parser.parse_args()
    for exe in (args.editor, args.probe):
        if not os.path.exists(exe):
            print(f"skipped: {exe} is not built (the Windows cross build comes first)")
            return SKIPPED
    for tool in (WINE64, "Xvfb", "xdotool", "import"):
        if not shutil.which(tool):
            print(f"skipped: {tool} is not installed")
            return SKIPPED
    stale = os.path.join(args.artefacts, f"failed_{args.scenario}.png")
    if os.path.exists(stale):
        os.remove(stale)
    work = tempfile.mkdtemp(prefix="tarnedit-window-")
    try:
        {"english": english, "russian": russian, "imports": imports, "colouring": colouring, "compiling": compiling,
         "package": package}[args.scenario](args, work)
    except Failure as failure:
        print("FAILED:", failure)
        return 1
    finally:
        shutil.rmtree(work, ignore_errors=True)
    print("passed")
    return 0


if __name__ == "__main__":
    sys.exit(main())
