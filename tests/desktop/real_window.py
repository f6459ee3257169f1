#!/usr/bin/python3
"""Quarix in a real window: a virtual X display with the openbox window manager, the real
program, a second real start handing it a file, synthetic input through xdotool, the window
manager's stacking order and the real clipboard.

Usage: real_window.py --quarix PROGRAM --probe DESKTOP_PROBE --data DIR CASE
CASE is one of the test_* methods below without the prefix. With QUARIX_SCREENSHOT_DIR=DIR set, the
cases that show something worth seeing save a picture of the screen there.
"""

import argparse
import csv
import os
import queue
import select
import shutil
import subprocess
import sys
import tempfile
import threading
import time
import unittest
import uuid

ARGS = None
TIMEOUT = 60  # seconds; the sanitizer build starts slowly


class Desktop:
    """One virtual display with a window manager, and the programs started on it."""

    def __init__(self, home):
        self.home = home
        self.processes = []
        read_fd, write_fd = os.pipe()
        self.xvfb = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_fd), "-screen", "0", "1280x1024x24", "-nolisten", "tcp"],
            pass_fds=[write_fd], stderr=subprocess.DEVNULL)
        os.close(write_fd)
        with os.fdopen(read_fd) as pipe:
            self.display = ":" + pipe.readline().strip()
        self.env = dict(os.environ, DISPLAY=self.display, HOME=home, QT_QPA_PLATFORM="xcb",
                        XDG_CONFIG_HOME=os.path.join(home, ".config"), LC_ALL="C.UTF-8")
        self.env.pop("WAYLAND_DISPLAY", None)
        self.openbox = subprocess.Popen(["openbox", "--sm-disable"], env=self.env,
                                        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.wait_for(lambda: "_NET_SUPPORTING_WM_CHECK(WINDOW)" in self.xprop_root(
            "_NET_SUPPORTING_WM_CHECK"), "the window manager")

    def close(self):
        for process in self.processes + [self.openbox, self.xvfb]:
            if process.poll() is None:
                process.kill()
            process.wait()

    def run(self, *command, check=True):
        return subprocess.run(command, env=self.env, check=check, capture_output=True,
                              text=True, timeout=TIMEOUT).stdout

    def xprop_root(self, name):
        return self.run("xprop", "-root", name, check=False)

    @staticmethod
    def wait_for(condition, what, timeout=TIMEOUT):
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            result = condition()
            if result:
                return result
            time.sleep(0.1)
        raise AssertionError("timed out waiting for " + what)

    def window(self, title):
        """The id of the visible window with exactly this title, once it is mapped."""
        def find():
            out = self.run("xdotool", "search", "--onlyvisible", "--name", f"^{title}$",
                           check=False).split()
            return out[-1] if out else None
        return self.wait_for(find, f'the window "{title}"')

    def gone(self, title):
        self.wait_for(lambda: not self.run("xdotool", "search", "--onlyvisible", "--name",
                                           f"^{title}$", check=False).strip(),
                      f'the window "{title}" to close')

    def stacking(self):
        """Managed windows from bottom to top, as the window manager stacks them."""
        line = self.xprop_root("_NET_CLIENT_LIST_STACKING")
        return [int(w, 16) for w in line.split("#", 1)[1].replace(",", " ").split()] if "#" in line else []

    def key(self, window, *keys):
        """Types keys into a window as the user would: focused first, then real key events."""
        def focused():
            self.run("xdotool", "windowactivate", "--sync", window, check=False)
            return self.run("xdotool", "getactivewindow", check=False).strip() == window
        self.wait_for(focused, "the window to take the focus")
        time.sleep(0.2)  # the focus reaches Qt's widgets after the window manager's word
        self.run("xdotool", "key", "--clearmodifiers", *keys)

    def click(self, window, x, y):
        self.run("xdotool", "mousemove", "--window", window, str(x), str(y), "click", "1")

    def geometry(self, window):
        """x, y, width, height of a window on the screen."""
        values = {}
        for line in self.run("xdotool", "getwindowgeometry", "--shell", window).splitlines():
            name, _, value = line.partition("=")
            values[name] = int(value) if value.lstrip("-").isdigit() else value
        return values["X"], values["Y"], values["WIDTH"], values["HEIGHT"]

    def frame(self, window):
        """x, y, width, height of a window with the title bar and border the window manager
        draws around it."""
        # xwininfo, not xdotool: xdotool counts the title bar into the window's place twice.
        values = {}
        for line in self.run("xwininfo", "-id", window).splitlines():
            name, _, value = line.strip().partition(":")
            values[name] = value.strip()
        x, y = int(values["Absolute upper-left X"]), int(values["Absolute upper-left Y"])
        width, height = int(values["Width"]), int(values["Height"])
        line = self.run("xprop", "-id", window, "_NET_FRAME_EXTENTS", check=False)
        extents = line.split("=", 1)[1].split(",") if "=" in line else []
        left, right, top, bottom = (int(v) for v in extents) if len(extents) == 4 else (0,) * 4
        return x - left, y - top, width + left + right, height + top + bottom

    def screenshot(self, name, window=None):
        """The whole screen, or only `window` in its frame, as NAME.png."""
        folder = os.environ.get("QUARIX_SCREENSHOT_DIR")
        if folder:
            os.makedirs(folder, exist_ok=True)
            area = [str(v) for v in self.frame(window)] if window else []
            self.run(ARGS.probe, "shot", os.path.join(folder, name + ".png"), *area, check=False)


class Quarix:
    """A running quarix whose reports (QUARIX_REPORT_INSTANCE) are read line by line."""

    def __init__(self, desktop, key, *arguments, extra_env=None):
        env = dict(desktop.env, QUARIX_INSTANCE_KEY=key, QUARIX_REPORT_INSTANCE="1",
                   **(extra_env or {}))
        self.process = subprocess.Popen([ARGS.quarix, *arguments], env=env, cwd=desktop.home,
                                        stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
        desktop.processes.append(self.process)
        self.lines = queue.Queue()
        self.seen = []
        self.errors = []
        threading.Thread(target=self._read, args=(self.process.stdout, self.lines.put),
                         daemon=True).start()
        threading.Thread(target=self._read, args=(self.process.stderr, self.errors.append),
                         daemon=True).start()

    @staticmethod
    def _read(stream, put):
        for line in stream:
            put(line.rstrip("\n"))

    def expect(self, wanted, prefix=False):
        """Waits for the line `wanted` (or one starting with it) and returns it."""
        def matches(line):
            return line.startswith(wanted) if prefix else line == wanted
        deadline = time.monotonic() + TIMEOUT
        while not any(matches(line) for line in self.seen):
            try:
                self.seen.append(self.lines.get(timeout=max(0.0, deadline - time.monotonic())))
            except queue.Empty:
                raise AssertionError(f"quarix never said {wanted!r}; it said {self.seen}, "
                                     f"exit {self.process.poll()}, stderr {self.errors[-20:]}")
        return next(line for line in self.seen if matches(line))

    def assert_running(self):
        time.sleep(0.5)
        if self.process.poll() is not None:
            raise AssertionError(f"quarix ended with {self.process.returncode}: "
                                 + "\n".join(self.errors[-40:]))


class RealWindow(unittest.TestCase):
    def setUp(self):
        # QUARIX_WINDOW_HOME: a home folder of a neutral name for pictures (scripts/screenshots
        # makes one in a private /home), so no picture shows a temporary folder's name.
        self.given_home = os.environ.get("QUARIX_WINDOW_HOME")
        if self.given_home:
            os.makedirs(self.given_home, exist_ok=True)
        self.folder = self.given_home or tempfile.mkdtemp(prefix="quarix-window-")
        self.desktop = Desktop(self.folder)
        self.key = "quarix-window-test-" + uuid.uuid4().hex[:12]

    def tearDown(self):
        if any(error for _, error in self._outcome.result.failures + self._outcome.result.errors):
            self.desktop.screenshot("failed-" + self._testMethodName)
        self.desktop.close()
        if not self.given_home:
            shutil.rmtree(self.folder, ignore_errors=True)

    def copy(self, name, as_name=None):
        target = os.path.join(self.folder, as_name or name)
        shutil.copyfile(os.path.join(ARGS.data, name), target)
        return target

    def answer_sheet_and_field_types(self):
        """Takes the chooser's first sheet, then closes "Check Field Types"."""
        d = self.desktop
        d.key(d.window("Choose a sheet"), "Return")
        d.gone("Choose a sheet")
        d.key(d.window("Check Field Types"), "Return")
        d.gone("Check Field Types")

    def test_handover(self):
        """A second start hands its file over; the first opens it through every dialog and runs
        on. A third start while a dialog is open only brings the window to the front."""
        d = self.desktop
        first = Quarix(d, self.key)
        first.expect("listening")
        d.window("Quarix")
        workbook = self.copy("SampleSS.ods", "other.ods")

        second = Quarix(d, self.key, "other.ods")
        self.assertEqual(second.process.wait(TIMEOUT), 0)
        first.expect("raised")
        d.window("Choose a sheet")
        third = Quarix(d, self.key, self.copy("types.xls"))
        self.assertEqual(third.process.wait(TIMEOUT), 0)
        first.expect("busy " + os.path.join(self.folder, "types.xls"))
        first.assert_running()

        self.answer_sheet_and_field_types()
        first.expect("loaded " + workbook)
        first.assert_running()

    def test_first_start_shows_every_dialog(self):
        """A file named on the first start goes through the dialogs, visibly, after the window
        is on screen; a workbook of headings only is told."""
        d = self.desktop
        workbook = self.copy("SampleSS.ods")
        quarix = Quarix(d, self.key, workbook)
        quarix.expect("listening")
        main, chooser = int(d.window("Quarix")), int(d.window("Choose a sheet"))
        order = d.stacking()
        self.assertLess(order.index(main), order.index(chooser), "the chooser is hidden")
        self.answer_sheet_and_field_types()
        quarix.expect("loaded " + workbook)
        quarix.process.kill()

        headings = os.path.join(self.folder, "headings only.xls")
        subprocess.run([sys.executable, "-c", "import sys, xlwt; b = xlwt.Workbook(); "
                        "s = b.add_sheet('Only'); s.write(0, 0, 'Name'); s.write(0, 1, 'Code'); "
                        "b.save(sys.argv[1])", headings], check=True)
        quarix = Quarix(d, self.key + "-2", headings)
        d.key(d.window("Choose a sheet"), "Return")
        d.key(d.window("Quarix Message"), "Return")
        quarix.expect("not loaded " + headings)
        quarix.assert_running()

    def test_cancel_question_above_progress(self):
        """The cancel question opens above the progress window, which stays on top of the rest."""
        d = self.desktop
        table = self.copy("iris-excel-xls.xls")
        quarix = Quarix(d, self.key, table, extra_env={"QUARIX_TEST_STEP_DELAY_MS": "300"})
        d.key(d.window("Choose a sheet"), "Return")
        progress = d.window("Processing...")
        _, _, width, height = d.geometry(progress)
        # The Cancel button sits at the foot of the dialog, across its middle.
        d.click(progress, width // 2, height - 12)
        question = d.window("Cancel")
        order = d.stacking()
        self.assertIn(int(question), order)
        self.assertIn(int(progress), order)
        self.assertGreater(order.index(int(question)), order.index(int(progress)),
                           "the question opened beneath the progress window")
        d.screenshot("cancel-question")
        d.key(question, "Return")  # Yes, the default
        d.gone("Processing...")
        quarix.expect("not loaded " + table)
        quarix.assert_running()

    def choose_type(self, dialog, steps):
        """Picks the file type `steps` entries below the first in a file dialog's list, as the
        user does: a click on the list, then the keys."""
        d = self.desktop
        _, _, width, height = d.geometry(dialog)
        d.key(dialog, "alt+n")  # the dialog in front and its keys live before the click
        d.click(dialog, width // 3, height - 24)  # "Files of type" sits at the dialog's foot
        time.sleep(0.5)
        d.run("xdotool", "key", "Home", *["Down"] * steps, "Return")
        time.sleep(0.5)

    def type_name(self, dialog, name):
        d = self.desktop
        d.key(dialog, "alt+n", "ctrl+a")
        d.run("xdotool", "type", "--delay", "20", name)
        time.sleep(0.5)

    def test_csv_open_and_save(self):
        """A .csv chosen in the open dialog under the CSV type loads as File 1 with its decimal
        commas as numbers; its rows saved under the CSV type come out as a .csv with dots."""
        d = self.desktop
        reports = os.path.join(self.folder, "reports")
        os.makedirs(reports, exist_ok=True)
        table = os.path.join(reports, "iris.csv")
        shutil.copyfile(os.path.join(ARGS.data, "iris-semicolon.csv"), table)
        quarix = Quarix(d, self.key)
        quarix.expect("listening")
        main = d.window("Quarix")
        d.key(main, "ctrl+o")
        dialog = d.window("Open File 1")
        self.choose_type(dialog, 4)  # first: the name's completer would take the click
        self.type_name(dialog, "reports")
        d.key(dialog, "Return")  # into the folder
        time.sleep(0.5)  # the folder is listed in the background
        _, _, width, height = d.geometry(dialog)
        d.click(dialog, width // 2, height // 2)  # closes the name's completer, if it opened
        time.sleep(0.3)
        d.screenshot("open-csv-dialog", dialog)
        self.type_name(dialog, "iris.csv")
        d.key(dialog, "Return")
        d.key(d.window("Check Field Types"), "Return")
        d.gone("Check Field Types")
        quarix.expect("file1 " + table)
        d.key(main, "F9")  # the loaded rows in the grid
        time.sleep(1)
        d.screenshot("open-csv", main)

        d.key(main, "ctrl+s")
        dialog = d.window("Save File")
        self.choose_type(dialog, 3)
        self.type_name(dialog, "iris result")
        d.screenshot("save-dialog", dialog)
        d.key(dialog, "Return")
        saved = os.path.join(reports, "iris result.csv")
        d.wait_for(lambda: os.path.exists(saved), "the saved file")
        with open(saved, newline="", encoding="utf-8") as file:
            rows = list(csv.reader(file))
        self.assertEqual(rows[0],
                         ["Sepal.Length", "Sepal.Width", "Petal.Length", "Petal.Width", "Species"])
        self.assertEqual(rows[1], ["5.1", "3.5", "1.4", "0.2", "setosa"])
        self.assertEqual(len(rows), 151)
        quarix.assert_running()

    def drag(self, path, x, y):
        """Drags `path` from another program's window and drops it at x, y on the screen."""
        d = self.desktop
        probe = subprocess.Popen([ARGS.probe, "drag", path], env=d.env, stdout=subprocess.PIPE,
                                 text=True)
        d.processes.append(probe)
        sx, sy, sw, sh = d.geometry(d.window("Quarix drag source"))
        d.run("xdotool", "mousemove", "--sync", str(sx + sw // 2), str(sy + sh // 2),
              "mousedown", "1")
        for step in range(1, 11):  # the drop target learns of the drag from the moves
            d.run("xdotool", "mousemove", str(sx + (x - sx) * step // 10),
                  str(sy + (y - sy) * step // 10), "sleep", "0.1")
        d.run("xdotool", "mousemove", str(x), str(y), "sleep", "0.3", "mouseup", "1")
        ready, _, _ = select.select([probe.stdout], [], [], TIMEOUT)
        return probe.stdout.readline().strip() if ready else "no answer"

    def test_drop(self):
        """A file dropped on the window opens as File 1; on the File 2 field, as File 2."""
        d = self.desktop
        quarix = Quarix(d, self.key)
        quarix.expect("listening")
        at = quarix.expect("file2 field at ", prefix=True)
        field_x, field_y = (int(v) for v in at.split()[-2:])
        x, y, width, height = d.geometry(d.window("Quarix"))

        file1 = self.copy("types.xls")
        self.assertEqual(self.drag(file1, x + width // 2, y + height * 3 // 4), "dropped")
        self.answer_sheet_and_field_types()
        quarix.expect("file1 " + file1)

        file2 = self.copy("types.xls", "same columns.xls")
        self.assertEqual(self.drag(file2, field_x, field_y), "dropped")
        self.answer_sheet_and_field_types()
        quarix.expect("file2 " + file2)
        quarix.assert_running()

    def test_copy(self):
        """The whole grid, selected with Ctrl+A and copied with Ctrl+Shift+C, reaches the real
        clipboard as tab-separated rows under the headings and as an HTML table."""
        d = self.desktop
        table = self.copy("iris-excel-xls.xls")
        quarix = Quarix(d, self.key, table)
        self.answer_sheet_and_field_types()
        quarix.expect("loaded " + table)
        main = d.window("Quarix")
        d.key(main, "F9")  # the loaded data in the grid
        x, y, width, height = d.geometry(main)
        time.sleep(1)
        d.run("xdotool", "mousemove", str(x + width // 2), str(y + height * 3 // 4), "click", "1")
        d.key(main, "ctrl+a", "ctrl+shift+c")
        rows = d.wait_for(lambda: d.run("xclip", "-o", "-selection", "clipboard",
                                        check=False).splitlines(), "the copied text")
        self.assertEqual(rows[0].split("\t"),
                         ["Sepal.Length", "Sepal.Width", "Petal.Length", "Petal.Width", "Species"])
        self.assertEqual(len(rows), 151)
        self.assertEqual(rows[1].split("\t")[-1], "setosa")
        html = d.run("xclip", "-o", "-selection", "clipboard", "-t", "text/html")
        self.assertIn("<table", html)
        self.assertIn("<td>setosa</td>", html)
        d.screenshot("copy")


def main():
    global ARGS
    parser = argparse.ArgumentParser()
    parser.add_argument("--quarix", required=True)
    parser.add_argument("--probe", required=True)
    parser.add_argument("--data", required=True)
    parser.add_argument("case")
    ARGS = parser.parse_args()
    suite = unittest.TestSuite([RealWindow("test_" + ARGS.case)])
    result = unittest.TextTestRunner(verbosity=2).run(suite)
    sys.exit(0 if result.wasSuccessful() else 1)


if __name__ == "__main__":
    main()
